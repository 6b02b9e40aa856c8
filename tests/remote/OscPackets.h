#pragma once

#include <oscpack/osc/OscOutboundPacketStream.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

using Packet = std::vector<char>;

// One OSC message with the given arguments, encoded by oscpack.
template <typename... Args>
Packet Message(const char* address, const Args&... args) {
  Packet buffer(70000);
  osc::OutboundPacketStream stream(buffer.data(), buffer.size());
  stream << osc::BeginMessage(address);
  ((stream << args), ...);
  stream << osc::EndMessage;
  buffer.resize(stream.Size());
  return buffer;
}

// A "/lsystem" message: the sub-command string, then its arguments.
template <typename... Args>
Packet Command(const char* name, const Args&... args) {
  return Message("/lsystem", name, args...);
}

inline void AppendInt32(Packet& packet, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) packet.push_back(static_cast<char>(value >> shift));
}

// A bundle written byte by byte: "#bundle", the time tag, then each element
// preceded by its size.
inline Packet Bundle(std::initializer_list<Packet> elements, std::uint64_t timeTag = 1) {
  Packet packet = {'#', 'b', 'u', 'n', 'd', 'l', 'e', '\0'};
  AppendInt32(packet, static_cast<std::uint32_t>(timeTag >> 32));
  AppendInt32(packet, static_cast<std::uint32_t>(timeTag));
  for (const Packet& element : elements) {
    AppendInt32(packet, static_cast<std::uint32_t>(element.size()));
    packet.insert(packet.end(), element.begin(), element.end());
  }
  return packet;
}

// Bytes given as a string literal, embedded zeros included.
template <std::size_t N>
Packet Bytes(const char (&text)[N]) {
  return Packet(text, text + N - 1);
}
