#include "remote/OscScript.h"

#include <oscpack/osc/OscOutboundPacketStream.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>

#include "remote/UdpReceiver.h"

namespace {

constexpr const char* kTypeTags = "ihfdsScrmtbTFNI";

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Splits a line into its words up to a comment; false, with why, on a
// quoted value that is not closed or is badly escaped.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& why) {
  std::size_t i = 0;
  for (;;) {
    while (i < line.size() && IsSpace(line[i])) ++i;
    if (i == line.size() || line[i] == '#') return true;
    std::string word;
    if (line[i] == '"') {
      for (++i;; ++i) {
        if (i == line.size()) {
          why = "a quoted value is not closed";
          return false;
        }
        if (line[i] == '"') break;
        if (line[i] == '\\') {
          if (i + 1 == line.size() || (line[i + 1] != '"' && line[i + 1] != '\\')) {
            why = "in quotes a backslash stands only before \" or \\";
            return false;
          }
          ++i;
        }
        word += line[i];
      }
      ++i;
      if (i < line.size() && !IsSpace(line[i])) {
        why = "a quoted value must end its word";
        return false;
      }
    } else {
      while (i < line.size() && !IsSpace(line[i])) word += line[i++];
    }
    words.push_back(word);
  }
}

template <typename T>
bool ParseWhole(const std::string& text, T& value, int base = 10) {
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, value, base);
  return !text.empty() && status == std::errc() && stop == end;
}

bool ParseFloating(const std::string& text, auto& value) {
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, value);
  return !text.empty() && status == std::errc() && stop == end;
}

// Decimal or, after "0x", hexadecimal; at most max.
bool ParseUnsigned(const std::string& text, std::uint64_t max, std::uint64_t& value) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  return ParseWhole(hex ? text.substr(2) : text, value, hex ? 16 : 10) && value <= max;
}

bool ParseBlob(const std::string& text, std::vector<char>& bytes) {
  if (text.size() % 2 != 0) return false;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    unsigned byte = 0;
    if (!ParseWhole(text.substr(i, 2), byte, 16)) return false;
    bytes.push_back(static_cast<char>(byte));
  }
  return true;
}

// Streams value, the argument of type tag, into stream; false, with why,
// when the text is no value of that type.
bool StreamValue(char tag, const std::string& value, osc::OutboundPacketStream& stream, std::string& why) {
  auto invalid = [&](const char* what) {
    why = "'" + value + "' is not " + what + " (type tag " + tag + ")";
    return false;
  };
  switch (tag) {
    case 'i': {
      osc::int32 v;
      if (!ParseWhole(value, v)) return invalid("an int32");
      stream << v;
      return true;
    }
    case 'h': {
      osc::int64 v;
      if (!ParseWhole(value, v)) return invalid("an int64");
      stream << v;
      return true;
    }
    case 'f': {
      float v;
      if (!ParseFloating(value, v)) return invalid("a float32");
      stream << v;
      return true;
    }
    case 'd': {
      double v;
      if (!ParseFloating(value, v)) return invalid("a float64");
      stream << v;
      return true;
    }
    case 's':
      stream << value.c_str();
      return true;
    case 'S':
      stream << osc::Symbol(value.c_str());
      return true;
    case 'c':
      if (value.size() != 1) return invalid("a single character");
      stream << value[0];
      return true;
    case 'r':
    case 'm': {
      std::uint64_t v;
      if (!ParseUnsigned(value, std::numeric_limits<osc::uint32>::max(), v)) {
        return invalid("a 32-bit unsigned number");
      }
      if (tag == 'r') {
        stream << osc::RgbaColor(static_cast<osc::uint32>(v));
      } else {
        stream << osc::MidiMessage(static_cast<osc::uint32>(v));
      }
      return true;
    }
    case 't': {
      std::uint64_t v;
      if (!ParseUnsigned(value, std::numeric_limits<std::uint64_t>::max(), v)) {
        return invalid("a 64-bit unsigned time tag");
      }
      stream << osc::TimeTag(v);
      return true;
    }
    case 'b': {
      std::vector<char> bytes;
      if (!ParseBlob(value, bytes)) return invalid("a blob of hex digits, two a byte");
      stream << osc::Blob(bytes.data(), static_cast<osc::osc_bundle_element_size_t>(bytes.size()));
      return true;
    }
  }
  return false;
}

bool TakesValue(char tag) { return std::strchr("TFNI", tag) == nullptr; }

void StreamValueless(char tag, osc::OutboundPacketStream& stream) {
  switch (tag) {
    case 'T': stream << true; break;
    case 'F': stream << false; break;
    case 'N': stream << osc::OscNil; break;
    case 'I': stream << osc::Infinitum; break;
  }
}

// Encodes the words of one line into packet; false, with why, when they
// are no message.
bool EncodeMessage(const std::vector<std::string>& words, std::vector<char>& packet, std::string& why) {
  const std::string& address = words[0];
  if (address[0] != '/') {
    why = "'" + address + "' is not an OSC address: it must begin with '/'";
    return false;
  }
  std::string tags = words.size() > 1 ? words[1] : "";
  if (!tags.empty() && tags[0] == ',') tags.erase(0, 1);
  std::size_t wanted = 0;
  for (char tag : tags) {
    if (tag == '\0' || !std::strchr(kTypeTags, tag)) {
      why = std::string("unknown type tag '") + tag + "' (known: i h f d s S c r m t b T F N I)";
      return false;
    }
    wanted += TakesValue(tag) ? 1 : 0;
  }
  const std::size_t given = words.size() > 2 ? words.size() - 2 : 0;
  if (given != wanted) {
    why = "the type tags '" + tags + "' take " + std::to_string(wanted) + (wanted == 1 ? " value" : " values") +
          ", the line gives " + std::to_string(given);
    return false;
  }
  packet.resize(CUdpReceiver::kMaxDatagram);
  osc::OutboundPacketStream stream(packet.data(), packet.size());
  try {
    stream << osc::BeginMessage(address.c_str());
    std::size_t next = 2;
    for (char tag : tags) {
      if (!TakesValue(tag)) {
        StreamValueless(tag, stream);
      } else if (!StreamValue(tag, words[next++], stream, why)) {
        return false;
      }
    }
    stream << osc::EndMessage;
  } catch (const osc::OutOfBufferMemoryException&) {
    why = "the message is longer than " + std::to_string(CUdpReceiver::kMaxDatagram) + " bytes";
    return false;
  }
  packet.resize(stream.Size());
  return true;
}

}  // namespace

bool ReadOscScript(std::istream& in, const std::string& name, std::vector<OscScriptPacket>& packets,
                   std::string& error) {
  std::vector<OscScriptPacket> read;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::vector<std::string> words;
    std::string why;
    OscScriptPacket packet;
    packet.line = number;
    if (SplitWords(line, words, why) && (words.empty() || EncodeMessage(words, packet.bytes, why))) {
      if (!words.empty()) read.push_back(std::move(packet));
      continue;
    }
    error = name + ":" + std::to_string(number) + ": " + why;
    return false;
  }
  if (in.bad()) {
    error = name + ": read error";
    return false;
  }
  packets = std::move(read);
  return true;
}

bool ReadOscScriptFile(const std::string& path, std::vector<OscScriptPacket>& packets, std::string& error) {
  if (path == "-") return ReadOscScript(std::cin, "standard input", packets, error);
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  return ReadOscScript(file, path, packets, error);
}
