#pragma once

#include <sys/socket.h>

#include <chrono>
#include <cstdint>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Receives UDP datagrams on a thread of its own and keeps each one, whole,
// in a bounded queue until the consuming thread takes it with Deliver. The
// receiving thread never waits for the consumer: a datagram that finds the
// queue full is dropped and counted, as are the datagrams the system
// discards while the socket's buffer is full, and while datagrams are being
// dropped their count is written to standard error once a second.
class CUdpReceiver {
 public:
  // The largest payload of a UDP datagram over IPv4.
  static constexpr std::size_t kMaxDatagram = 65507;
  static constexpr std::size_t kDefaultMaxPackets = 1024;
  static constexpr std::size_t kDefaultMaxBytes = 4 << 20;
  // Packets that one Deliver hands over at most.
  static constexpr std::size_t kDeliverBatch = 64;

  // Called on the receiving thread when packets are waiting and no earlier
  // call is still unanswered by a Deliver; it should only arrange for
  // Deliver to run on the consuming thread (post an event, signal).
  using Wake = std::function<void()>;
  using Consumer = std::function<void(const char* data, int size)>;

  struct Counts {
    std::size_t received = 0;    // datagrams read from the socket
    std::size_t dropped = 0;     // of those, dropped because the queue was full
    std::size_t overflowed = 0;  // datagrams the system discarded, the socket's buffer full
    std::size_t peakQueued = 0;       // the most packets waiting at once
    std::size_t peakQueuedBytes = 0;  // the most bytes of packets waiting at once
  };

  // The queue holds at most maxPackets packets and maxBytes bytes of them.
  explicit CUdpReceiver(Wake wake, std::size_t maxPackets = kDefaultMaxPackets,
                        std::size_t maxBytes = kDefaultMaxBytes);
  ~CUdpReceiver();
  CUdpReceiver(const CUdpReceiver&) = delete;
  CUdpReceiver& operator=(const CUdpReceiver&) = delete;

  // Binds to a numeric address or host name and a port (0: one the system
  // chooses) and starts receiving. False, with Error() saying why, when the
  // address does not resolve, no socket binds or the thread cannot start.
  bool Open(const std::string& address, int port);
  // Stops the receiving thread, then closes the socket and frees the receive
  // buffer. Packets still waiting are discarded.
  void Close();

  // On the consuming thread: hands the waiting packets to consume, oldest
  // first, at most kDeliverBatch of them, and wakes again when more are left,
  // so that the consumer's own events run in between.
  void Deliver(const Consumer& consume);

  const std::string& Error() const { return error_; }
  // The address and port bound, once Open succeeded.
  const std::string& BoundAddress() const { return boundAddress_; }
  int Port() const { return port_; }
  // Whether the bound address is reachable only from this machine.
  bool IsLoopback() const { return loopback_; }
  Counts GetCounts() const;

 private:
  bool Fail(const std::string& why);
  bool Bind(const std::string& address, int port);
  void Receive();
  // Reads one datagram; false when receiving must stop.
  bool ReadDatagram();
  // Queues packet, or drops and counts it; wakes the consumer when needed.
  void Enqueue(std::vector<char> packet);
  // Counts the datagrams the system discarded since the last one read.
  void NoteOverflow(msghdr& message);
  // Adds to the drops to report, and reports them when a second has passed
  // since the last report.
  void NoteDrops(std::size_t count);
  // Writes the drops since the last report, if there were any.
  void ReportDrops();

  const Wake wake_;
  const std::size_t maxPackets_;
  const std::size_t maxBytes_;

  int socket_ = -1;
  // Written to wake the receiving thread when the receiver closes.
  int stopRead_ = -1;
  int stopWrite_ = -1;
  std::thread thread_;
  std::unique_ptr<char[]> buffer_;
  std::string boundAddress_;
  int port_ = 0;
  bool loopback_ = false;
  std::string error_;

  mutable std::mutex mutex_;  // guards the queue and the counts
  std::deque<std::vector<char>> queue_;
  std::size_t queuedBytes_ = 0;
  bool wakePending_ = false;
  Counts counts_;
  // Receiving thread only.
  std::uint32_t systemDropsSeen_ = 0;
  std::size_t droppedSinceReport_ = 0;
  std::chrono::steady_clock::time_point lastReport_;
};

// Writes line and a newline to standard error in one piece, so that the
// lines of the receiving thread and of the consuming thread never mix.
void WriteErrorLine(const std::string& line);
