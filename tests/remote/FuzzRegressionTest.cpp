// Packets that once broke the listener or what it drives, found by the fuzz
// target fuzz_osc_listener, with the values that the same fault takes on the
// other commands. Each must leave the rule, the stroke and the eye sound.

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "../../fuzz/RemoteInvariants.h"
#include "RemoteFixture.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

using FuzzRegressionTest = RemoteFixture;

struct RegressionCase {
  const char* name;
  Packet packet;
};

// Processes packet, catching what the transport catches, and checks what no
// packet may break.
void ExpectSoundAfter(COscListener& listener, const Packet& packet) {
  const CBranchModel before = *GetBranchModel();
  testing::internal::CaptureStdout();
  try {
    listener.ProcessPacket(packet.data(), static_cast<int>(packet.size()));
  } catch (const osc::Exception&) {
  }
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(BrokenRemoteInvariant(before), "");
}

void ExpectSameRotation(const Matrix4& expected, const Matrix4& actual) {
  for (int e = 0; e < 16; ++e) EXPECT_EQ(expected.m[e], actual.m[e]) << "element " << e;
}

TEST_F(FuzzRegressionTest, AnglesAndPointsThatAreNotFiniteAreNotStored) {
  // "multhandlerotation" 3 with the angles NaN, 1.1e+37 and 0.3, as the fuzz
  // target first found it.
  const RegressionCase cases[] = {
      {"multhandlerotation NaN, as found",
       Bytes("/lsystem\0\0\0\0,sifff\0\0multhandlerotation\0\0\0\0\0\x03.=\xce\xff\xff\xff\xff\xff\xff\x7f"
             "DDDDDD>\x99\x99\x9a")},
      {"multhandlerotation inf", Command("multhandlerotation", 0, 0.f, kInf, 0.f)},
      {"sethandlerotation NaN", Command("sethandlerotation", 1, 0.f, 0.f, kNaN)},
      {"sethandlerotation -inf", Command("sethandlerotation", 2, -kInf, 0.f, 0.f)},
      {"initlsystem NaN", Command("initlsystem", kNaN, 0.f, 0.f)},
      {"initlsystem inf", Command("initlsystem", 0.f, 0.f, kInf)},
      {"a stroke, then initlsystem NaN",
       Bundle({Command("initlsystem", 0.f, 0.8f, 0.f), Command("drawlsystem", 0.f, 1.f, 0.f),
               Command("initlsystem", 0.f, kNaN, 0.f)})},
  };
  for (const RegressionCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Snapshot before = Take();
    ExpectSoundAfter(*listener, c.packet);
    // The rotations stay as they were, and the pane is painted again.
    for (int i = 0; i < CBranchModel::kRecordCount; ++i) {
      ExpectSameRotation(before.rule.records[i].rotation, GetBranchModel()->records[i].rotation);
    }
    EXPECT_GT(Repaints(), before.repaints);
  }
  // The stroke planted before the NaN point is the one that stays.
  EXPECT_EQ(Renderer().strokePoints.size(), 2u);
}

TEST_F(FuzzRegressionTest, SetHandleParameterWithAnAngleThatIsNotFiniteStoresTheRest) {
  const Matrix4 rotation = Handle(1).rotation;
  ExpectSoundAfter(*listener, Command("sethangleparameter", 1, false, 0.5f, 0.4f, 0.f, kNaN, 0.f));
  EXPECT_FALSE(Handle(1).active);
  EXPECT_EQ(Handle(1).lengthRatio, 0.5);
  EXPECT_EQ(Handle(1).widthRatio, static_cast<double>(0.4f));
  ExpectSameRotation(rotation, Handle(1).rotation);
  EXPECT_EQ(Repaints(), 1);
}

}  // namespace
