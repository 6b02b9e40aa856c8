// A flood on loopback: 100 000 datagrams, valid and malformed mixed, sent as
// fast as the sender can to the remote-control transport, while the thread
// that stands for the user-interface thread handles the transport's wakes
// and events of its own. Every datagram must be processed or counted as
// dropped, drops must be reported, the queue must stay within its bounds,
// and no own event may wait behind more than two batches of packets.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "Loopback.h"
#include "RemoteFixture.h"
#include "remote/RemoteControl.h"

namespace {

constexpr int kDatagrams = 100000;
constexpr int kOwnEventEvery = 1000;  // datagrams sent between two own events
// How long the user-interface thread waits for its next event before the
// test gives up on it: a bound, far beyond any wait that can occur.
constexpr auto kEventBound = std::chrono::seconds(20);

enum class Kind { ValidNumber, Truncated, ValidEyeRotation, BadBundle };

Kind KindOf(int i) { return static_cast<Kind>(i % 4); }

// Datagram i of the flood. Truncated and BadBundle ones are rejected when
// the listener opens them; the bundle is large, so that a queue without a
// bound in bytes would show.
Packet Datagram(int i) {
  switch (KindOf(i)) {
    case Kind::ValidNumber:
      return Message("/an_int", i);
    case Kind::Truncated:
      return Bytes("/an_int\0,i\0\0");  // its int32 is missing
    case Kind::ValidEyeRotation:
      return Command("eyerotation", 1, -1);
    case Kind::BadBundle: {
      Packet bundle = Bundle({Command("turnoff")});
      bundle.resize(1400, '\x7f');  // the element's size now reaches far past the end
      bundle[16] = '\x7f';
      return bundle;
    }
  }
  return {};
}

// The user-interface thread's event queue.
class EventQueue {
 public:
  enum class Type { Deliver, Own, SenderDone };
  struct Event {
    Type type;
    std::size_t deliveredWhenPosted;
  };

  void Post(Event event) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      events_.push_back(event);
    }
    posted_.notify_one();
  }
  // The next event; false when none came within kEventBound.
  bool Take(Event& event) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!posted_.wait_for(lock, kEventBound, [&] { return !events_.empty(); })) return false;
    event = events_.front();
    events_.pop_front();
    return true;
  }
  bool Empty() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_.empty();
  }

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<Event> events_;
};

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

using FloodTest = RemoteFixture;

TEST_F(FloodTest, EveryDatagramIsProcessedOrCountedAndOwnEventsKeepTheirTurn) {
  EventQueue events;
  std::atomic<std::size_t> delivered{0};
  const int port = FreePort();
  testing::internal::CaptureStderr();
  ASSERT_TRUE(StartRemoteControl(kDefaultOscAddress, port,
                                 [&] { events.Post({EventQueue::Type::Deliver, delivered.load()}); }));
  CUdpReceiver& transport = *listener->transport;
  const long residentBefore = PeakResidentKiB();

  std::atomic<std::size_t> sent{0};
  std::atomic<bool> senderDone{false};
  std::size_t sentOfKind[4] = {};
  std::size_t fences = 0;
  const auto accounted = [&] {
    const CUdpReceiver::Counts counts = transport.GetCounts();
    return counts.received + counts.overflowed == sent;
  };
  std::thread sender([&] {
    UdpSender to(port);
    for (int i = 0; i < kDatagrams; ++i) {
      to.Send(Datagram(i));
      ++sent;
      ++sentOfKind[static_cast<int>(KindOf(i))];
      if (sent % kOwnEventEvery == 0) events.Post({EventQueue::Type::Own, delivered.load()});
    }
    // The system reports what it discarded with the next datagram it keeps:
    // valid numbers -1 follow until one arrives after them all.
    while (!accounted() && fences < 1000) {
      to.Send(Message("/an_int", -1));
      ++sent;
      ++fences;
      WaitUntil(accounted, std::chrono::milliseconds(100));
    }
    senderDone = true;
    events.Post({EventQueue::Type::SenderDone, 0});
  });

  // Held back until the queue has overflowed, so that drops are certain.
  WaitUntil([&] { return transport.GetCounts().dropped > 0 || senderDone; });

  std::size_t deliveredOfKind[4] = {}, fencesDelivered = 0, ownHandled = 0, longestWait = 0;
  const Packet eyeRotation = Datagram(2);
  testing::internal::CaptureStdout();
  const auto consume = [&](const char* data, int size) {
    ++delivered;
    const Packet packet(data, data + size);
    if (packet == Message("/an_int", -1)) {
      ++fencesDelivered;
    } else if (packet == eyeRotation) {
      ++deliveredOfKind[static_cast<int>(Kind::ValidEyeRotation)];
    } else if (packet[0] == '#') {
      ++deliveredOfKind[static_cast<int>(Kind::BadBundle)];
    } else {
      ++deliveredOfKind[static_cast<int>(size == 12 ? Kind::Truncated : Kind::ValidNumber)];
    }
    ProcessReceivedPacket(data, size);
  };
  bool hung = false;
  for (;;) {
    const CUdpReceiver::Counts counts = transport.GetCounts();
    if (senderDone && events.Empty() && delivered == counts.received - counts.dropped) break;
    EventQueue::Event event;
    if (!events.Take(event)) {
      hung = true;
      break;
    }
    if (event.type == EventQueue::Type::Deliver) {
      transport.Deliver(consume);
    } else if (event.type == EventQueue::Type::Own) {
      ++ownHandled;
      longestWait = std::max(longestWait, delivered - event.deliveredWhenPosted);
    }
  }
  const std::string out = testing::internal::GetCapturedStdout();
  sender.join();
  ASSERT_FALSE(hung) << "no event for " << kEventBound.count() << " s";
  ASSERT_TRUE(accounted()) << "the system's discards were never reported";
  const CUdpReceiver::Counts counts = transport.GetCounts();
  listener->Close();  // the receiver reports the drops not reported yet
  const std::string err = testing::internal::GetCapturedStderr();

  // Every datagram read was handed over or dropped, and every one sent was
  // read or discarded by the system: nothing is lost uncounted.
  EXPECT_EQ(counts.received + counts.overflowed, sent);
  EXPECT_EQ(delivered, counts.received - counts.dropped);
  std::size_t lost = fences - fencesDelivered;
  for (int k = 0; k < 4; ++k) lost += sentOfKind[k] - deliveredOfKind[k];
  EXPECT_EQ(lost, counts.dropped + counts.overflowed);

  // What was handed over was processed, valid numbers in the order sent.
  const std::regex numberLine(R"(received '/an_int' message: (-?\d+)\n)");
  std::size_t numberLines = 0;
  long previous = -1;
  bool ordered = true;
  for (std::sregex_iterator i(out.begin(), out.end(), numberLine), end; i != end; ++i, ++numberLines) {
    const long number = std::stol((*i)[1]);
    if (number == -1) continue;
    ordered = ordered && number > previous;
    previous = number;
  }
  EXPECT_EQ(numberLines, deliveredOfKind[static_cast<int>(Kind::ValidNumber)] + fencesDelivered);
  EXPECT_TRUE(ordered);
  EXPECT_EQ(static_cast<std::size_t>(Repaints()), deliveredOfKind[static_cast<int>(Kind::ValidEyeRotation)]);
  const std::regex rejectedLine(R"(dendrix: OSC packet of (12|1400) bytes dropped: [^\n]*\n)");
  const auto rejected = static_cast<std::size_t>(
      std::distance(std::sregex_iterator(err.begin(), err.end(), rejectedLine), std::sregex_iterator()));
  EXPECT_EQ(rejected, deliveredOfKind[static_cast<int>(Kind::Truncated)] +
                          deliveredOfKind[static_cast<int>(Kind::BadBundle)]);

  // Drops happened, and the reports on standard error add up to them.
  EXPECT_GT(counts.dropped + counts.overflowed, 0u);
  EXPECT_EQ(ParseDropReports(err).sum, static_cast<int>(counts.dropped + counts.overflowed));

  // The queue kept to its bounds, and the own events kept their turn: each
  // waited at most for the rest of the batch being handed over and the one
  // batch whose wake was already waiting.
  EXPECT_LE(counts.peakQueued, CUdpReceiver::kDefaultMaxPackets);
  EXPECT_LE(counts.peakQueuedBytes, CUdpReceiver::kDefaultMaxBytes);
  EXPECT_EQ(ownHandled, static_cast<std::size_t>(kDatagrams / kOwnEventEvery));
  EXPECT_LE(longestWait, 2 * CUdpReceiver::kDeliverBatch);

  std::cout << "flood: " << sent << " datagrams sent, " << delivered << " processed, "
            << counts.dropped + counts.overflowed << " dropped (" << counts.dropped << " by the full queue, "
            << counts.overflowed << " by the system); queue peak " << counts.peakQueued << " packets, "
            << counts.peakQueuedBytes << " bytes; peak resident memory " << PeakResidentKiB() / 1024
            << " MiB (" << residentBefore / 1024 << " MiB before)" << std::endl;
}

}  // namespace
