#include <arpa/inet.h>
#include <netinet/in.h>
#include <oscpack/osc/OscOutboundPacketStream.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "GuiHarness.h"
#include "app/GLCanvas.h"
#include "tree/TreeRenderer.h"

namespace {

// A UDP port on the loopback that nothing uses at the moment.
int FreeLoopbackPort() {
  const int probe = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(probe);
  return port;
}

// The program started with remote control on a loopback port.
class RemoteTest : public GuiTest {
 protected:
  CommandLineOptions Options() const override {
    CommandLineOptions options;
    options.oscAddress = "127.0.0.1";
    options.oscPort = port_;
    return options;
  }

  // Sends one "/lsystem" message to the program.
  template <typename... Args>
  void Send(const char* command, const Args&... args) {
    std::vector<char> buffer(1024);
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginMessage("/lsystem") << command;
    ((stream << args), ...);
    stream << osc::EndMessage;
    const int sender = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    EXPECT_EQ(sendto(sender, stream.Data(), stream.Size(), 0,
                     reinterpret_cast<sockaddr*>(&address), sizeof address),
              static_cast<ssize_t>(stream.Size()));
    close(sender);
  }

  const int port_ = FreeLoopbackPort();
};

TEST_F(RemoteTest, OscMessagesOnUdpAreCarriedOutOnTheUserInterfaceThread) {
  ASSERT_NE(port_, 0);
  const CTreeRenderer& renderer = *GetTreeRenderer();
  const int paints = TreeCanvas().Surface().swapCount;
  Send("initlsystem", 0.25f, 0.5f, 0.0f);
  ASSERT_TRUE(WaitUntil([&] { return renderer.strokePoints.size() == 1; }, "the stroke to start"));
  EXPECT_FLOAT_EQ(static_cast<float>(renderer.strokePoints[0].x), 0.25f);
  EXPECT_FLOAT_EQ(static_cast<float>(renderer.strokePoints[0].y), 0.5f);
  EXPECT_GT(TreeCanvas().Surface().swapCount, paints);

  Send("turnoff");
  EXPECT_TRUE(WaitUntil([&] { return !renderer.enabled; }, "the tree to be switched off"));
}

}  // namespace
