// Arbitrary bytes as one received datagram, handed to the OSC listener as
// the UDP transport hands it, over a headless tree pane whose paint draws
// the tree, so that every command really runs. After each packet the rule,
// the stroke and the eye must still be sound.

#include <oscpack/osc/OscException.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "RemoteInvariants.h"
#include "gl/HeadlessSurface.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "remote/OscListener.h"
#include "remote/UdpReceiver.h"
#include "tree/TreeRenderer.h"

namespace {

constexpr int kPaneSize = 64;

CGLWindow& TreeWindow() { return GetSceneWindows()->treeWindow; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static HeadlessSurface surface(kPaneSize, kPaneSize);
  if (!TreeWindow().Create(&surface)) {
    std::fprintf(stderr, "fuzz_osc_listener: no headless OpenGL context: %s\n", surface.Error().c_str());
    std::abort();
  }
  TreeWindow().Resize(kPaneSize, kPaneSize);
  surface.onPaint = [] {
    TreeWindow().BeginScene();
    GetTreeRenderer()->Draw();
    TreeWindow().EndScene();
  };
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > CUdpReceiver::kMaxDatagram) return -1;  // no datagram is larger
  // Every input starts from the defaults, so that it does the same whenever
  // it runs.
  GetBranchModel()->ResetDefaults();
  DeleteTreeRenderer();
  TreeWindow().ResetEye();
  const CBranchModel before = *GetBranchModel();

  // The transport catches these and drops the packet (ProcessReceivedPacket,
  // which also says so on standard error); anything else must not leave.
  try {
    GetOscListener()->ProcessPacket(reinterpret_cast<const char*>(data), static_cast<int>(size));
  } catch (const osc::Exception&) {
  }

  const std::string broken = BrokenRemoteInvariant(before);
  if (!broken.empty()) {
    std::fprintf(stderr, "fuzz_osc_listener: after the packet: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
