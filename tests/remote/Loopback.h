#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "remote/UdpReceiver.h"

// Sends datagrams to a port on 127.0.0.1.
class UdpSender {
 public:
  explicit UdpSender(int port) : socket_(socket(AF_INET, SOCK_DGRAM, 0)) {
    to_.sin_family = AF_INET;
    to_.sin_port = htons(static_cast<uint16_t>(port));
    to_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  }
  ~UdpSender() { close(socket_); }
  UdpSender(const UdpSender&) = delete;
  UdpSender& operator=(const UdpSender&) = delete;

  void Send(const std::vector<char>& datagram) {
    const ssize_t sent = sendto(socket_, datagram.data(), datagram.size(), 0,
                                reinterpret_cast<const sockaddr*>(&to_), sizeof to_);
    EXPECT_EQ(sent, static_cast<ssize_t>(datagram.size()));
  }

 private:
  int socket_;
  sockaddr_in to_{};
};

// Waits until condition holds, for at most bound (a generous one unless
// given); false when it never did.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds bound = std::chrono::seconds(20)) {
  const auto giveUp = std::chrono::steady_clock::now() + bound;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Waits until receiver has read count datagrams from its socket.
inline bool WaitForReceived(const CUdpReceiver& receiver, std::size_t count) {
  return WaitUntil([&] { return receiver.GetCounts().received >= count; });
}

// The numbers in the drop reports: the datagrams of each, and the total the
// last one gives.
struct DropReports {
  int sum = 0;
  int lastTotal = -1;
};

inline DropReports ParseDropReports(const std::string& text) {
  DropReports reports;
  const std::regex line(R"(dendrix: OSC: (\d+) datagrams? dropped, arriving faster than they are processed \((\d+) dropped in all\)\n)");
  for (std::sregex_iterator i(text.begin(), text.end(), line), end; i != end; ++i) {
    reports.sum += std::stoi((*i)[1]);
    reports.lastTotal = std::stoi((*i)[2]);
  }
  return reports;
}

// A port on 127.0.0.1 that was free a moment ago.
inline int FreePort() {
  CUdpReceiver probe(nullptr);
  EXPECT_TRUE(probe.Open("127.0.0.1", 0)) << probe.Error();
  return probe.Port();
}
