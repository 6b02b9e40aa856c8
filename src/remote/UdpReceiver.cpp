#include "remote/UdpReceiver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <system_error>

namespace {

// What the socket asks the kernel to hold while the receiving thread is busy.
constexpr int kSocketBufferBytes = 1 << 20;
constexpr auto kReportInterval = std::chrono::seconds(1);

std::string SystemError() { return std::strerror(errno); }

bool IsLoopbackAddress(const sockaddr_storage& address) {
  if (address.ss_family == AF_INET) {
    const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
    return (ntohl(v4.sin_addr.s_addr) >> 24) == 127;
  }
  if (address.ss_family == AF_INET6) {
    const in6_addr& v6 = reinterpret_cast<const sockaddr_in6&>(address).sin6_addr;
    return IN6_IS_ADDR_LOOPBACK(&v6) || (IN6_IS_ADDR_V4MAPPED(&v6) && v6.s6_addr[12] == 127);
  }
  return false;
}

}  // namespace

void WriteErrorLine(const std::string& line) { std::cerr << line + '\n' << std::flush; }

CUdpReceiver::CUdpReceiver(Wake wake, std::size_t maxPackets, std::size_t maxBytes)
    : wake_(std::move(wake)), maxPackets_(maxPackets), maxBytes_(maxBytes) {}

CUdpReceiver::~CUdpReceiver() { Close(); }

bool CUdpReceiver::Fail(const std::string& why) {
  Close();
  error_ = why;
  return false;
}

bool CUdpReceiver::Open(const std::string& address, int port) {
  Close();
  error_.clear();
  if (port < 0 || port > 65535) return Fail("invalid UDP port " + std::to_string(port));
  if (!Bind(address, port)) {
    return Fail("cannot bind UDP " + address + " port " + std::to_string(port) + ": " + error_);
  }
  int stop[2];
  if (pipe2(stop, O_CLOEXEC) != 0) return Fail("cannot create a pipe: " + SystemError());
  stopRead_ = stop[0];
  stopWrite_ = stop[1];
  buffer_ = std::make_unique<char[]>(kMaxDatagram);
  try {
    thread_ = std::thread(&CUdpReceiver::Receive, this);
  } catch (const std::system_error& e) {
    return Fail(std::string("cannot start the receiving thread: ") + e.what());
  }
  return true;
}

// Binds socket_ to the first address that address and port resolve to and
// that accepts the bind; error_ holds the reason when none does.
bool CUdpReceiver::Bind(const std::string& address, int port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const int status = getaddrinfo(address.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (status != 0) {
    error_ = gai_strerror(status);
    return false;
  }
  for (addrinfo* a = found; a && socket_ < 0; a = a->ai_next) {
    socket_ = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (socket_ < 0 || bind(socket_, a->ai_addr, a->ai_addrlen) != 0) {
      error_ = SystemError();
      if (socket_ >= 0) close(socket_);
      socket_ = -1;
    }
  }
  freeaddrinfo(found);
  if (socket_ < 0) return false;

  setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &kSocketBufferBytes, sizeof kSocketBufferBytes);
  // Datagrams the system discards while the socket's buffer is full are
  // counted too: each datagram read then carries the running count.
  const int on = 1;
  setsockopt(socket_, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(socket_, reinterpret_cast<sockaddr*>(&bound), &length);
  char host[NI_MAXHOST] = "";
  char service[NI_MAXSERV] = "";
  getnameinfo(reinterpret_cast<sockaddr*>(&bound), length, host, sizeof host, service, sizeof service,
              NI_NUMERICHOST | NI_NUMERICSERV | NI_DGRAM);
  boundAddress_ = host;
  port_ = std::atoi(service);
  loopback_ = IsLoopbackAddress(bound);
  return true;
}

void CUdpReceiver::Close() {
  if (thread_.joinable()) {
    const char stop = 1;
    while (write(stopWrite_, &stop, 1) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  if (socket_ != -1) close(socket_);
  socket_ = -1;
  buffer_.reset();
  for (int* fd : {&stopRead_, &stopWrite_}) {
    if (*fd != -1) close(*fd);
    *fd = -1;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.clear();
  queuedBytes_ = 0;
  wakePending_ = false;
}

CUdpReceiver::Counts CUdpReceiver::GetCounts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return counts_;
}

void CUdpReceiver::Deliver(const Consumer& consume) {
  std::vector<std::vector<char>> batch;
  bool more = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    while (!queue_.empty() && batch.size() < kDeliverBatch) {
      queuedBytes_ -= queue_.front().size();
      batch.push_back(std::move(queue_.front()));
      queue_.pop_front();
    }
    more = !queue_.empty();
    wakePending_ = more;
  }
  // Asked for before consuming, so that a consumer that throws cannot leave
  // the rest of the queue waiting for a wake that never comes.
  if (more && wake_) wake_();
  for (const std::vector<char>& packet : batch) consume(packet.data(), static_cast<int>(packet.size()));
}

void CUdpReceiver::Enqueue(std::vector<char> packet) {
  bool wake = false;
  bool dropped = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_.received;
    if (queue_.size() >= maxPackets_ || queuedBytes_ + packet.size() > maxBytes_) {
      ++counts_.dropped;
      dropped = true;
    } else {
      queuedBytes_ += packet.size();
      queue_.push_back(std::move(packet));
      counts_.peakQueued = std::max(counts_.peakQueued, queue_.size());
      counts_.peakQueuedBytes = std::max(counts_.peakQueuedBytes, queuedBytes_);
      wake = !wakePending_;
      wakePending_ = true;
    }
  }
  if (wake && wake_) wake_();
  if (dropped) NoteDrops(1);
}

void CUdpReceiver::NoteOverflow(msghdr& message) {
  for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
    if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SO_RXQ_OVFL) continue;
    std::uint32_t total = 0;
    std::memcpy(&total, CMSG_DATA(c), sizeof total);
    const std::uint32_t fresh = total - systemDropsSeen_;  // the count wraps around
    systemDropsSeen_ = total;
    if (fresh == 0) continue;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      counts_.overflowed += fresh;
    }
    NoteDrops(fresh);
  }
}

void CUdpReceiver::NoteDrops(std::size_t count) {
  droppedSinceReport_ += count;
  if (std::chrono::steady_clock::now() - lastReport_ >= kReportInterval) ReportDrops();
}

void CUdpReceiver::ReportDrops() {
  lastReport_ = std::chrono::steady_clock::now();
  if (droppedSinceReport_ == 0) return;
  const Counts counts = GetCounts();
  WriteErrorLine("dendrix: OSC: " + std::to_string(droppedSinceReport_) +
                 (droppedSinceReport_ == 1 ? " datagram" : " datagrams") +
                 " dropped, arriving faster than they are processed (" +
                 std::to_string(counts.dropped + counts.overflowed) + " dropped in all)");
  droppedSinceReport_ = 0;
}

void CUdpReceiver::Receive() {
  pollfd watched[2] = {{socket_, POLLIN, 0}, {stopRead_, POLLIN, 0}};
  for (;;) {
    // While drops wait to be reported, wake up in time to report them.
    int timeoutMs = -1;
    if (droppedSinceReport_ > 0) {
      const auto left = kReportInterval - (std::chrono::steady_clock::now() - lastReport_);
      timeoutMs = std::max<int>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count());
    }
    const int ready = poll(watched, 2, timeoutMs);
    if (ready < 0 && errno != EINTR) {
      WriteErrorLine("dendrix: OSC receiver stopped: " + SystemError());
      break;
    }
    if (ready == 0) ReportDrops();
    if (ready <= 0) continue;
    if (watched[1].revents != 0 || (watched[0].revents != 0 && !ReadDatagram())) break;
  }
  ReportDrops();
}

bool CUdpReceiver::ReadDatagram() {
  iovec data{buffer_.get(), kMaxDatagram};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(std::uint32_t))];
  msghdr message{};
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  // MSG_TRUNC makes recvmsg return the datagram's real length, so that one
  // that did not fit is recognised rather than handed over cut short.
  const ssize_t length = recvmsg(socket_, &message, MSG_TRUNC);
  if (length < 0) {
    if (errno == EINTR || errno == EAGAIN || errno == ECONNREFUSED) return true;
    WriteErrorLine("dendrix: OSC receiver stopped: " + SystemError());
    return false;
  }
  NoteOverflow(message);
  if (static_cast<std::size_t>(length) > kMaxDatagram) {
    WriteErrorLine("dendrix: OSC datagram of " + std::to_string(length) + " bytes dropped: larger than " +
                   std::to_string(kMaxDatagram) + " bytes");
    return true;
  }
  Enqueue(std::vector<char>(buffer_.get(), buffer_.get() + length));
  return true;
}
