#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <numeric>
#include <string>
#include <vector>

#include "Loopback.h"
#include "remote/UdpReceiver.h"

namespace {

using Datagram = std::vector<char>;

// A datagram of size bytes that says which one it is.
Datagram Numbered(int number, std::size_t size = 16) {
  Datagram d(size, static_cast<char>(number));
  if (size >= 4) std::copy_n(reinterpret_cast<const char*>(&number), 4, d.begin());
  return d;
}

class UdpReceiverTest : public ::testing::Test {
 protected:
  // Opens receiver on a port of the system's choosing and aims the sender at it.
  void Open(CUdpReceiver& r) {
    ASSERT_TRUE(r.Open("127.0.0.1", 0)) << r.Error();
    sender = std::make_unique<UdpSender>(r.Port());
  }
  // Sends each datagram once the one before it has been read, so that the
  // socket's own buffer never overflows.
  void SendAll(const CUdpReceiver& r, const std::vector<Datagram>& datagrams) {
    const std::size_t before = r.GetCounts().received;
    for (std::size_t i = 0; i < datagrams.size(); ++i) {
      sender->Send(datagrams[i]);
      ASSERT_TRUE(WaitForReceived(r, before + i + 1)) << "datagram " << i << " never arrived";
    }
  }
  // Takes what one Deliver hands over.
  std::vector<Datagram> DeliverOnce(CUdpReceiver& r) {
    std::vector<Datagram> got;
    r.Deliver([&](const char* data, int size) { got.emplace_back(data, data + size); });
    return got;
  }

  std::atomic<int> wakes{0};
  CUdpReceiver receiver{[this] { ++wakes; }};
  std::unique_ptr<UdpSender> sender;
};

TEST_F(UdpReceiverTest, DatagramsArriveWholeAndInOrderAfterOneWake) {
  Open(receiver);
  const std::vector<Datagram> datagrams = {Numbered(1, 4), Datagram(), Numbered(2, 1001),
                                           Numbered(3, CUdpReceiver::kMaxDatagram)};
  SendAll(receiver, datagrams);
  EXPECT_EQ(wakes, 1);  // one wake until the consumer answers it
  EXPECT_EQ(DeliverOnce(receiver), datagrams);
  EXPECT_EQ(wakes, 1);
  EXPECT_TRUE(DeliverOnce(receiver).empty());

  SendAll(receiver, {Numbered(4)});  // answered: the next datagram wakes again
  EXPECT_EQ(wakes, 2);
  EXPECT_EQ(receiver.GetCounts().received, 5u);
  EXPECT_EQ(receiver.GetCounts().dropped, 0u);
}

TEST_F(UdpReceiverTest, DeliverHandsOverABatchAndWakesAgainForTheRest) {
  Open(receiver);
  std::vector<Datagram> datagrams;
  for (int i = 0; i < 100; ++i) datagrams.push_back(Numbered(i));
  SendAll(receiver, datagrams);
  ASSERT_EQ(wakes, 1);

  const std::vector<Datagram> first = DeliverOnce(receiver);
  ASSERT_EQ(first.size(), CUdpReceiver::kDeliverBatch);
  EXPECT_EQ(wakes, 2);
  std::vector<Datagram> all = first;
  for (const Datagram& d : DeliverOnce(receiver)) all.push_back(d);
  EXPECT_EQ(all, datagrams);
  EXPECT_EQ(wakes, 2);
}

TEST_F(UdpReceiverTest, AFullQueueDropsCountsAndReportsDatagrams) {
  CUdpReceiver small([this] { ++wakes; }, 4);
  Open(small);
  std::vector<Datagram> datagrams;
  for (int i = 0; i < 10; ++i) datagrams.push_back(Numbered(i));
  testing::internal::CaptureStderr();
  SendAll(small, datagrams);
  const CUdpReceiver::Counts counts = small.GetCounts();
  EXPECT_EQ(counts.received, 10u);
  EXPECT_EQ(counts.dropped, 6u);
  EXPECT_EQ(DeliverOnce(small), std::vector<Datagram>(datagrams.begin(), datagrams.begin() + 4));
  small.Close();  // reports the drops not yet reported
  const std::string reported = testing::internal::GetCapturedStderr();
  const DropReports reports = ParseDropReports(reported);
  EXPECT_EQ(reports.sum, 6) << reported;
  EXPECT_EQ(reports.lastTotal, 6) << reported;
}

// Holds a thread until it is opened.
struct Gate {
  void Hold() {
    std::unique_lock<std::mutex> lock(mutex);
    holding = true;
    changed.notify_all();
    changed.wait(lock, [&] { return open; });
  }
  bool WaitUntilHolding() {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(20), [&] { return holding; });
  }
  void Open() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      open = true;
    }
    changed.notify_all();
  }

  std::mutex mutex;
  std::condition_variable changed;
  bool holding = false, open = false;
};

TEST_F(UdpReceiverTest, DatagramsTheSystemDiscardsAreCountedToo) {
  // The wake holds the receiving thread, so that the socket's own buffer
  // fills up and the system discards what does not fit.
  Gate gate;
  CUdpReceiver held([&] { gate.Hold(); });
  struct OpenOnExit {
    Gate& gate;
    ~OpenOnExit() { gate.Open(); }  // before held's Close waits for its thread
  } openOnExit{gate};
  Open(held);
  testing::internal::CaptureStderr();
  sender->Send(Numbered(0));
  ASSERT_TRUE(gate.WaitUntilHolding());
  std::size_t sent = 1;
  for (; sent <= 3000; ++sent) sender->Send(Numbered(static_cast<int>(sent), 1000));
  gate.Open();
  // The system reports its discards with the next datagram it keeps: send
  // until one arrives after them all.
  const auto accounted = [&] {
    const CUdpReceiver::Counts counts = held.GetCounts();
    return counts.received + counts.overflowed == sent;
  };
  for (int marker = 0; marker < 1000 && !accounted(); ++marker, ++sent) {
    sender->Send(Numbered(-1));
    WaitUntil([&] { return accounted(); }, std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(accounted());
  const CUdpReceiver::Counts counts = held.GetCounts();
  EXPECT_GT(counts.overflowed, 0u);
  held.Close();
  const DropReports reports = ParseDropReports(testing::internal::GetCapturedStderr());
  EXPECT_EQ(reports.sum, static_cast<int>(counts.dropped + counts.overflowed));
}

TEST_F(UdpReceiverTest, TheQueueIsBoundedInBytesToo) {
  CUdpReceiver small([this] { ++wakes; }, 100, 100);
  Open(small);
  testing::internal::CaptureStderr();
  SendAll(small, {Numbered(1, 40), Numbered(2, 40), Numbered(3, 40), Numbered(4, 20)});
  EXPECT_EQ(small.GetCounts().dropped, 1u);
  EXPECT_EQ(DeliverOnce(small), (std::vector<Datagram>{Numbered(1, 40), Numbered(2, 40), Numbered(4, 20)}));
  small.Close();
  EXPECT_EQ(ParseDropReports(testing::internal::GetCapturedStderr()).sum, 1);
}

TEST_F(UdpReceiverTest, OpenFailsWithAReasonWhenItCannotBind) {
  Open(receiver);
  const int taken = receiver.Port();
  struct FailCase {
    const char* address;
    int port;
    std::string error;
  };
  const std::vector<FailCase> cases = {
      {"127.0.0.1", taken, "cannot bind UDP 127.0.0.1 port " + std::to_string(taken) + ": Address already in use"},
      {"192.0.2.1", 0, "cannot bind UDP 192.0.2.1 port 0: Cannot assign requested address"},
      {"127.0.0.1", 65536, "invalid UDP port 65536"},
      {"127.0.0.1", -1, "invalid UDP port -1"},
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE(c.error);
    CUdpReceiver other(nullptr);
    EXPECT_FALSE(other.Open(c.address, c.port));
    EXPECT_EQ(other.Error(), c.error);
    ASSERT_TRUE(other.Open("127.0.0.1", 0)) << other.Error();  // and it can still open elsewhere
    EXPECT_EQ(other.Error(), "");
  }
}

TEST_F(UdpReceiverTest, KnowsWhetherItIsReachableOnlyFromThisMachine) {
  struct AddressCase {
    const char* address;
    bool loopback;
  };
  for (const AddressCase& c : {AddressCase{"127.0.0.1", true}, AddressCase{"localhost", true},
                               AddressCase{"127.0.0.2", true}, AddressCase{"0.0.0.0", false}}) {
    SCOPED_TRACE(c.address);
    CUdpReceiver r(nullptr);
    ASSERT_TRUE(r.Open(c.address, 0)) << r.Error();
    EXPECT_EQ(r.IsLoopback(), c.loopback);
    EXPECT_GT(r.Port(), 0);
  }
}

TEST_F(UdpReceiverTest, CloseStopsReceivingAndReleasesThePort) {
  Open(receiver);
  const int port = receiver.Port();
  SendAll(receiver, {Numbered(1)});
  receiver.Close();
  receiver.Close();  // closing twice is harmless
  EXPECT_TRUE(DeliverOnce(receiver).empty());  // waiting packets are discarded

  CUdpReceiver again(nullptr);
  EXPECT_TRUE(again.Open("127.0.0.1", port)) << again.Error();
  CUdpReceiver neverOpened(nullptr);
  neverOpened.Close();
}

}  // namespace
