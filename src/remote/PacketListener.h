#pragma once

// Whatever consumes whole received packets: a transport hands each datagram
// over as its bytes and their length.
class CPacketListener {
 public:
  virtual ~CPacketListener() = default;
  virtual void ProcessPacket(const char* data, int size) = 0;
};
