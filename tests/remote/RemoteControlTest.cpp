#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "Loopback.h"
#include "RemoteFixture.h"
#include "remote/RemoteControl.h"

namespace {

class RemoteControlTest : public RemoteFixture {
 protected:
  // Starts remote control; returns what it wrote on standard error.
  std::string Start(const std::string& address, int port, bool expectStarted) {
    testing::internal::CaptureStderr();
    const bool started = StartRemoteControl(address, port, [this] { ++wakes; });
    EXPECT_EQ(started, expectStarted);
    EXPECT_EQ(listener->transport != nullptr, expectStarted);
    return testing::internal::GetCapturedStderr();
  }

  std::atomic<int> wakes{0};
};

TEST_F(RemoteControlTest, DatagramsOnLoopbackDriveTheProgram) {
  const int port = FreePort();
  EXPECT_EQ(Start(kDefaultOscAddress, port, true), "");
  UdpSender sender(port);
  sender.Send(Command("turnoff"));
  sender.Send(Message("/an_int", 5));
  sender.Send({'/', 'x', '\0'});  // three bytes: no OSC packet
  sender.Send(Bundle({Command("initlsystem", 0.f, 0.5f, 0.f), Command("drawlsystem", 0.f, 1.f, 0.f)}));
  ASSERT_TRUE(WaitForReceived(*listener->transport, 4));
  EXPECT_EQ(wakes, 1);

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  DeliverOscPackets();  // on this thread, as the user-interface thread does
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "received '/an_int' message: 5\n");
  EXPECT_EQ(errors, "dendrix: OSC packet of 3 bytes dropped: element size must be multiple of four\n");
  EXPECT_FALSE(Renderer().enabled);
  EXPECT_EQ(Renderer().strokePoints.size(), 2u);
  EXPECT_EQ(Repaints(), 3);
}

TEST_F(RemoteControlTest, PortZeroLeavesRemoteControlOff) {
  EXPECT_EQ(Start(kDefaultOscAddress, 0, false), "");
  DeliverOscPackets();  // nothing attached: nothing to do
}

TEST_F(RemoteControlTest, APortThatCannotBeBoundGivesOneLine) {
  CUdpReceiver holder(nullptr);
  ASSERT_TRUE(holder.Open("127.0.0.1", 0));
  EXPECT_EQ(Start("127.0.0.1", holder.Port(), false),
            "dendrix: remote control off: cannot bind UDP 127.0.0.1 port " + std::to_string(holder.Port()) +
                ": Address already in use\n");
}

TEST_F(RemoteControlTest, AnAddressBeyondLoopbackGivesAWarning) {
  const std::string warning = Start("0.0.0.0", FreePort(), true);
  EXPECT_EQ(warning.find("dendrix: warning: OSC remote control listens on 0.0.0.0 port "), 0u) << warning;
  EXPECT_NE(warning.find("anyone who can reach it over the network can drive this program\n"),
            std::string::npos);
  EXPECT_EQ(warning.find('\n'), warning.size() - 1);  // one line
}

TEST_F(RemoteControlTest, DeletingTheSingletonsReleasesTheTransport) {
  const int port = FreePort();
  Start(kDefaultOscAddress, port, true);
  TreeWindow().Destroy();  // the views go first, as at exit
  DeleteSingletons();
  CUdpReceiver again(nullptr);
  EXPECT_TRUE(again.Open(kDefaultOscAddress, port)) << again.Error();
}

}  // namespace
