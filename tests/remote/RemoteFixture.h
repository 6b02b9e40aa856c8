#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <oscpack/osc/OscException.h>

#include <string>
#include <vector>

#include "OscPackets.h"
#include "gl/HeadlessWindow.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "remote/OscListener.h"
#include "remote/Singletons.h"
#include "tree/TreeRenderer.h"

// A listener over a headless tree pane whose paint handler draws the tree,
// as the tree view's does; every test starts from fresh singletons.
class RemoteFixture : public ::testing::Test {
 protected:
  static constexpr int kSize = 64;

  void SetUp() override {
    DeleteSingletons();
    ASSERT_TRUE(CreateOnSurface(TreeWindow(), surface));
    surface.onPaint = [] {
      CGLWindow& window = TreeWindow();
      window.BeginScene();
      GetTreeRenderer()->Draw();
      window.EndScene();
    };
    listener = GetOscListener();
    ASSERT_NE(listener, nullptr);
  }
  void TearDown() override {
    TreeWindow().Destroy();
    DeleteSingletons();
  }

  static CGLWindow& TreeWindow() { return GetSceneWindows()->treeWindow; }
  static HandleRecord& Handle(int k) { return GetBranchModel()->Handle(k); }
  static CTreeRenderer& Renderer() { return *GetTreeRenderer(); }
  int Repaints() const { return surface.repaintCount; }

  // Pixels of the tree pane that are not its black background.
  int DrawnPixels() {
    std::vector<RgbaCell> cells(kSize * kSize);
    EXPECT_TRUE(TreeWindow().MakeCurrent());
    glReadPixels(0, 0, kSize, kSize, GL_RGBA, GL_UNSIGNED_BYTE, cells.data());
    TreeWindow().window->ReleaseCurrent();
    int drawn = 0;
    for (const RgbaCell& c : cells) drawn += (c.r | c.g | c.b) != 0;
    return drawn;
  }

  // What processing packet writes to standard output; the packet must open.
  std::string Process(const Packet& packet) {
    testing::internal::CaptureStdout();
    try {
      listener->ProcessPacket(packet.data(), static_cast<int>(packet.size()));
    } catch (const osc::Exception& e) {
      ADD_FAILURE() << "packet rejected: " << e.what();
    }
    return testing::internal::GetCapturedStdout();
  }
  // Processes a packet that must be rejected: the exception leaves
  // ProcessPacket. Returns what was written before it.
  std::string ProcessRejected(const Packet& packet) {
    testing::internal::CaptureStdout();
    bool rejected = false;
    try {
      listener->ProcessPacket(packet.data(), static_cast<int>(packet.size()));
    } catch (const osc::Exception&) {
      rejected = true;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(rejected) << "packet of " << packet.size() << " bytes was accepted";
    return out;
  }

  // Everything a remote command can change.
  struct Snapshot {
    CBranchModel rule;
    bool enabled;
    std::vector<Vec3> stroke;
    Vec3 eye, up;
    int repaints;
  };
  Snapshot Take() const {
    return {*GetBranchModel(), Renderer().enabled, Renderer().strokePoints, TreeWindow().eye, TreeWindow().up,
            Repaints()};
  }
  void ExpectUnchanged(const Snapshot& before) const {
    const Snapshot now = Take();
    for (int i = 0; i < CBranchModel::kRecordCount; ++i) {
      const HandleRecord& a = before.rule.records[i];
      const HandleRecord& b = now.rule.records[i];
      EXPECT_EQ(a.active, b.active) << "record " << i;
      EXPECT_EQ(a.lengthRatio, b.lengthRatio) << "record " << i;
      EXPECT_EQ(a.widthRatio, b.widthRatio) << "record " << i;
      for (int e = 0; e < 16; ++e) EXPECT_EQ(a.rotation.m[e], b.rotation.m[e]) << "record " << i;
    }
    EXPECT_EQ(before.enabled, now.enabled);
    ASSERT_EQ(before.stroke.size(), now.stroke.size());
    for (std::size_t i = 0; i < now.stroke.size(); ++i) ExpectSame(before.stroke[i], now.stroke[i]);
    ExpectSame(before.eye, now.eye);
    ExpectSame(before.up, now.up);
    EXPECT_EQ(before.repaints, now.repaints);
  }
  static void ExpectSame(const Vec3& a, const Vec3& b) {
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
  }

  HeadlessSurface surface{kSize, kSize};
  COscListener* listener = nullptr;
};
