#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "RemoteFixture.h"
#include "remote/RemoteCommands.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kQuarterTurn = std::numbers::pi_v<float> / 2;

using OscListenerTest = RemoteFixture;

void ExpectNear(const Vec3& actual, const Vec3& expected, double eps = 1e-6) {
  EXPECT_NEAR(actual.x, expected.x, eps);
  EXPECT_NEAR(actual.y, expected.y, eps);
  EXPECT_NEAR(actual.z, expected.z, eps);
}

void ExpectIdentity(const Matrix4& m, double eps = 0.0) {
  const Matrix4 identity;
  for (int e = 0; e < 16; ++e) EXPECT_NEAR(m.m[e], identity.m[e], eps) << "element " << e;
}

struct OutputCase {
  const char* name;
  Packet packet;
  std::string line;
};

TEST_F(OscListenerTest, DiagnosticAddressesWriteTheirLines) {
  const char blob[3] = {1, 2, 3};
  const std::vector<OutputCase> cases = {
      {"no arguments", Message("/no_arguments"), "received '/no_arguments' message\n"},
      {"true", Message("/a_bool", true), "received '/a_bool' message: 1\n"},
      {"false", Message("/a_bool", false), "received '/a_bool' message: 0\n"},
      {"nil", Message("/nil"), "received '/nil' message\n"},
      {"nil with arguments", Message("/nil", 1, "x", osc::OscNil), "received '/nil' message\n"},
      {"inf with arguments", Message("/inf", osc::Infinitum, 2.5f), "received '/inf' message\n"},
      {"int", Message("/an_int", -42), "received '/an_int' message: -42\n"},
      {"int max", Message("/an_int", INT_MAX), "received '/an_int' message: 2147483647\n"},
      {"float", Message("/a_float", 0.1f), "received '/a_float' message: 0.1\n"},
      {"float, six digits", Message("/a_float", 123456789.0f), "received '/a_float' message: 1.23457e+08\n"},
      {"float NaN", Message("/a_float", kNaN), "received '/a_float' message: nan\n"},
      {"char", Message("/a_char", 'x'), "received '/a_char' message: 'x'\n"},
      {"char zero", Message("/a_char", '\0'), "received '/a_char' message: ''\n"},
      {"rgba", Message("/an_rgba_color", osc::RgbaColor(0x01020304)),
       "received '/an_rgba_color' message: 16909060\n"},
      {"rgba all ones", Message("/an_rgba_color", osc::RgbaColor(0xffffffff)),
       "received '/an_rgba_color' message: 4294967295\n"},
      {"midi", Message("/a_midi_message", osc::MidiMessage(0x90403f00)),
       "received '/a_midi_message' message: 2420129536\n"},
      {"int64", Message("/an_int64", osc::int64(-1099511627776)),
       "received '/an_int64' message: -1099511627776\n"},
      {"time tag", Message("/a_time_tag", osc::TimeTag(0xffffffffffffffffull)),
       "received '/a_time_tag' message: 18446744073709551615\n"},
      {"double", Message("/a_double", 3.14159265358979), "received '/a_double' message: 3.14159\n"},
      {"string", Message("/a_string", "hello world"), "received '/a_string' message: 'hello world'\n"},
      {"empty string", Message("/a_string", ""), "received '/a_string' message: ''\n"},
      {"symbol", Message("/a_symbol", osc::Symbol("sym")), "received '/a_symbol' message: 'sym'\n"},
      {"blob", Message("/a_blob", osc::Blob(blob, 3)), "received '/a_blob' message\n"},
      {"other address", Message("/foo", 1), "unrecognised address pattern: /foo\n"},
      {"longer than /lsystem", Message("/lsystemx", "turnon"), "unrecognised address pattern: /lsystemx\n"},
      {"other case", Message("/LSystem", "turnon"), "unrecognised address pattern: /LSystem\n"},
      {"no pattern matching", Message("/a_*"), "unrecognised address pattern: /a_*\n"},
  };
  for (const OutputCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Process(c.packet), c.line);
  }
}

TEST_F(OscListenerTest, ControlCharactersFromAPacketAreWrittenEscaped) {
  const std::vector<OutputCase> cases = {
      {"address", Message("/a\nb"), "unrecognised address pattern: /a\\x0ab\n"},
      {"string", Message("/a_string", "red \x1b[31m"), "received '/a_string' message: 'red \\x1b[31m'\n"},
      {"symbol", Message("/a_symbol", osc::Symbol("\x7f")), "received '/a_symbol' message: '\\x7f'\n"},
      {"char", Message("/a_char", '\r'), "received '/a_char' message: '\\x0d'\n"},
      {"error line", Message("/\t", 1), "unrecognised address pattern: /\\x09\n"},
      {"text beyond ASCII", Message("/a_string", "\xe6\x9c\xa8"), "received '/a_string' message: '\xe6\x9c\xa8'\n"},
  };
  for (const OutputCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Process(c.packet), c.line);
  }
}

TEST_F(OscListenerTest, ArgumentErrorsWriteTheErrorLineAndChangeNothing) {
  const char* const missing = "missing argument";
  const char* const wrongType = "wrong argument type";
  const char* const tooMany = "too many arguments";
  struct ErrorCase {
    const char* name;
    Packet packet;
    const char* address;
    const char* text;
  };
  const std::vector<ErrorCase> cases = {
      {"no sub-command", Message("/lsystem"), "/lsystem", missing},
      {"int for the sub-command", Message("/lsystem", 3), "/lsystem", wrongType},
      {"symbol for the sub-command", Message("/lsystem", osc::Symbol("turnon")), "/lsystem", wrongType},
      {"turnon with an argument", Command("turnon", 1), "/lsystem", tooMany},
      {"setdefoult with an argument", Command("setdefoult", true), "/lsystem", tooMany},
      {"float index", Command("sethangleparameter", 1.0f, true, 1.0f, 1.0f, 0.f, 0.f, 0.f), "/lsystem",
       wrongType},
      {"int for the flag", Command("sethangleparameter", 1, 1, 1.0f, 1.0f, 0.f, 0.f, 0.f), "/lsystem",
       wrongType},
      {"last angle missing", Command("sethangleparameter", 1, true, 1.0f, 1.0f, 0.f, 0.f), "/lsystem", missing},
      {"double for a float", Command("sethandlerotation", 0, 1.0, 0.f, 0.f), "/lsystem", wrongType},
      {"mult with one more", Command("multhandlerotation", 0, 1.f, 0.f, 0.f, 0.f), "/lsystem", tooMany},
      {"width ratio missing", Command("sethandlewidthratio", 0), "/lsystem", missing},
      {"length ratio as int", Command("sethandlelengthratio", 0, 1), "/lsystem", wrongType},
      {"flag as string", Command("sethandleisactive", 0, "T"), "/lsystem", wrongType},
      {"flag missing", Command("sethandleisactive", 0), "/lsystem", missing},
      {"int coordinate", Command("initlsystem", 0.f, 1, 0.f), "/lsystem", wrongType},
      {"two coordinates", Command("drawlsystem", 0.f, 1.f), "/lsystem", missing},
      {"turnoff with an argument", Command("turnoff", 0.f), "/lsystem", tooMany},
      {"eyepointinit with an argument", Command("eyepointinit", "now"), "/lsystem", tooMany},
      {"float delta", Command("eyerotation", 20, -10.f), "/lsystem", wrongType},
      {"three deltas", Command("eyerotation", 20, -10, 0), "/lsystem", tooMany},
      {"no_arguments with one", Message("/no_arguments", 1), "/no_arguments", tooMany},
      {"bool missing", Message("/a_bool"), "/a_bool", missing},
      {"int as float", Message("/an_int", 1.0f), "/an_int", wrongType},
      {"int as int64", Message("/an_int", osc::int64(1)), "/an_int", wrongType},
      {"float as double", Message("/a_float", 1.0), "/a_float", wrongType},
      {"char with more", Message("/a_char", 'a', 'b'), "/a_char", tooMany},
      {"rgba as midi", Message("/an_rgba_color", osc::MidiMessage(1)), "/an_rgba_color", wrongType},
      {"midi missing", Message("/a_midi_message"), "/a_midi_message", missing},
      {"int64 as int", Message("/an_int64", 1), "/an_int64", wrongType},
      {"time tag as int64", Message("/a_time_tag", osc::int64(1)), "/a_time_tag", wrongType},
      {"double with more", Message("/a_double", 1.0, 2.0), "/a_double", tooMany},
      {"string as symbol", Message("/a_string", osc::Symbol("s")), "/a_string", wrongType},
      {"symbol as string", Message("/a_symbol", "s"), "/a_symbol", wrongType},
      {"blob missing", Message("/a_blob"), "/a_blob", missing},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Snapshot before = Take();
    EXPECT_EQ(Process(c.packet), std::string("error while parsing message: ") + c.address + ": " + c.text + "\n");
    ExpectUnchanged(before);
  }
}

TEST_F(OscListenerTest, UnknownSubCommandsAreIgnoredSilently) {
  Handle(0).widthRatio = 0.5;
  const std::vector<Packet> packets = {
      Command("setdefault"),  // an a in place of the o
      Command("setdefoult "),
      Command("SETDEFOULT"),
      Command("nothing", 1, "x", 2.0),
      Command(""),
      Command("sethandleisactiv", 0, false),
  };
  for (const Packet& packet : packets) {
    const Snapshot before = Take();
    EXPECT_EQ(Process(packet), "");
    ExpectUnchanged(before);
  }
  EXPECT_EQ(Handle(0).widthRatio, 0.5);
}

TEST_F(OscListenerTest, SetDefaultResetsTheRuleWithoutRepainting) {
  Handle(1).active = true;
  Handle(2).lengthRatio = 1.3;
  GetBranchModel()->trunkWidth = 0.06;
  EXPECT_EQ(Process(Command("setdefoult")), "");
  const CBranchModel defaults;
  EXPECT_FALSE(Handle(1).active);
  EXPECT_EQ(Handle(2).lengthRatio, defaults.records[4].lengthRatio);
  EXPECT_EQ(GetBranchModel()->trunkWidth, 0.04);
  EXPECT_EQ(Repaints(), 0);
}

TEST_F(OscListenerTest, SetHandleParameterSetsEveryFieldAndRepaints) {
  EXPECT_EQ(Process(Command("sethangleparameter", 1, true, 1.5f, 1.0f, 0.f, 0.f, 0.f)), "");
  EXPECT_TRUE(Handle(1).active);
  EXPECT_EQ(Handle(1).lengthRatio, 1.5);
  EXPECT_EQ(Handle(1).widthRatio, 1.0);
  ExpectIdentity(Handle(1).rotation);
  EXPECT_EQ(Repaints(), 1);

  // Rejected ratios leave their fields; the flag and rotation still change.
  EXPECT_EQ(Process(Command("sethangleparameter", 1, false, 1.6f, 0.1f, kQuarterTurn, 0.f, 0.f)), "");
  EXPECT_FALSE(Handle(1).active);
  EXPECT_EQ(Handle(1).lengthRatio, 1.5);
  EXPECT_EQ(Handle(1).widthRatio, 1.0);
  ExpectNear(Handle(1).rotation.TransformPoint({0, 1, 0}), {0, 0, 1});
  EXPECT_EQ(Repaints(), 2);
}

TEST_F(OscListenerTest, RatiosAreStoredOnlyWithinTheirInclusiveRanges) {
  const float justBelowFifth = std::nextafter(0.2f, 0.0f);
  struct RatioCase {
    float value;
    bool stored;
  };
  const std::vector<RatioCase> width = {{0.2f, true},  {justBelowFifth, false}, {0.5f, true},
                                        {1.0f, true},  {std::nextafter(1.0f, 2.0f), false},
                                        {1.2f, false}, {kNaN, false},           {-0.5f, false}};
  for (const char* command : {"sethandlewidthratio", "sethandlelengthratio"}) {
    for (const RatioCase& c : width) {
      SCOPED_TRACE(std::string(command) + " " + std::to_string(c.value));
      Handle(2).widthRatio = 0.7;
      const double length = Handle(2).lengthRatio;
      const int repaints = Repaints();
      EXPECT_EQ(Process(Command(command, 2, c.value)), "");
      EXPECT_EQ(Handle(2).widthRatio, c.stored ? static_cast<double>(c.value) : 0.7);
      EXPECT_EQ(Handle(2).lengthRatio, length);  // no command writes it alone
      EXPECT_EQ(Repaints(), repaints + 1);       // also when nothing was stored
    }
  }
  const std::vector<RatioCase> length = {{0.2f, true},
                                         {justBelowFifth, false},
                                         {1.5f, true},
                                         {std::nextafter(1.5f, 2.0f), false},
                                         {kNaN, false}};
  for (const RatioCase& c : length) {
    SCOPED_TRACE("length " + std::to_string(c.value));
    Handle(0).lengthRatio = 0.7;
    Process(Command("sethangleparameter", 0, true, c.value, 0.5f, 0.f, 0.f, 0.f));
    EXPECT_EQ(Handle(0).lengthRatio, c.stored ? static_cast<double>(c.value) : 0.7);
    EXPECT_EQ(Handle(0).widthRatio, 0.5);
  }
}

TEST_F(OscListenerTest, HandleIndicesOutsideZeroToThreeChangeNothing) {
  for (int index : {4, -1, INT_MIN, INT_MAX}) {
    const std::vector<Packet> packets = {
        Command("sethangleparameter", index, false, 1.0f, 0.5f, 1.f, 1.f, 1.f),
        Command("sethandlerotation", index, 1.f, 1.f, 1.f),
        Command("multhandlerotation", index, 1.f, 1.f, 1.f),
        Command("sethandlewidthratio", index, 0.5f),
        Command("sethandlelengthratio", index, 0.5f),
        Command("sethandleisactive", index, false),
    };
    for (const Packet& packet : packets) {
      SCOPED_TRACE(index);
      const Snapshot before = Take();
      EXPECT_EQ(Process(packet), "");
      ExpectUnchanged(before);
    }
  }
}

TEST_F(OscListenerTest, SetHandleIsActiveSetsTheFlagAndRepaints) {
  ASSERT_FALSE(Handle(3).active);
  Process(Command("sethandleisactive", 3, true));
  EXPECT_TRUE(Handle(3).active);
  Process(Command("sethandleisactive", 3, false));
  EXPECT_FALSE(Handle(3).active);
  EXPECT_EQ(Repaints(), 2);
}

TEST_F(OscListenerTest, RotationsTurnYFirstThenZThenX) {
  // Rz(c) × Ry(b): a quarter turn about Y takes +x to −z, which the quarter
  // turn about Z keeps. (Ry × Rz would give +y.)
  Process(Command("sethandlerotation", 0, 0.f, kQuarterTurn, kQuarterTurn));
  ExpectNear(Handle(0).rotation.TransformPoint({1, 0, 0}), {0, 0, -1});
  // Then the X turn: −z goes to +y.
  Process(Command("sethandlerotation", 0, kQuarterTurn, kQuarterTurn, kQuarterTurn));
  ExpectNear(Handle(0).rotation.TransformPoint({1, 0, 0}), {0, 1, 0});
  ExpectNear(Handle(0).rotation.TransformPoint({0, 1, 0}), {-1, 0, 0});
  EXPECT_EQ(Repaints(), 2);

  Process(Command("sethandlerotation", 0, 0.f, 0.f, 0.f));
  ExpectIdentity(Handle(0).rotation);
}

TEST_F(OscListenerTest, MultHandleRotationMultipliesOnTheRight) {
  const Matrix4 before = Handle(2).rotation;
  Process(Command("multhandlerotation", 2, 0.f, 0.f, 0.f));
  for (int e = 0; e < 16; ++e) EXPECT_EQ(Handle(2).rotation.m[e], before.m[e]);
  EXPECT_EQ(Repaints(), 1);

  // rotation × R: R acts first. Rx × Rz takes +x to +y, then to +z.
  Process(Command("sethandlerotation", 2, kQuarterTurn, 0.f, 0.f));
  Process(Command("multhandlerotation", 2, 0.f, 0.f, kQuarterTurn));
  ExpectNear(Handle(2).rotation.TransformPoint({1, 0, 0}), {0, 0, 1});

  Process(Command("sethandlerotation", 2, 0.7f, 0.f, 0.f));
  Process(Command("multhandlerotation", 2, -0.7f, 0.f, 0.f));
  ExpectIdentity(Handle(2).rotation, 1e-12);
}

TEST_F(OscListenerTest, StrokeCommandsPlantAndGrowTheTree) {
  Process(Command("drawlsystem", 0.f, 1.f, 0.f));  // no stroke yet: nothing to grow
  EXPECT_TRUE(Renderer().strokePoints.empty());
  EXPECT_EQ(Repaints(), 1);

  EXPECT_EQ(Process(Command("initlsystem", 0.f, 0.8f, 0.f)), "");
  ASSERT_EQ(Renderer().strokePoints.size(), 1u);
  ExpectNear(Renderer().strokePoints[0], {0, 0.8, 0});
  EXPECT_FALSE(Renderer().strokePoints[0].degenerate);

  Process(Command("drawlsystem", 0.f, 2.f, 0.f));
  ASSERT_EQ(Renderer().strokePoints.size(), 2u);
  EXPECT_GT(Renderer().strokePoints[1].y, 0.8);
  ExpectNear({Renderer().strokePoints[1].x, 0, Renderer().strokePoints[1].z}, {0, 0, 0});

  Process(Command("drawlsystem", 0.f, 0.f, 0.f));  // the zero direction has no step
  EXPECT_EQ(Renderer().strokePoints.size(), 2u);
  EXPECT_EQ(Repaints(), 4);

  Process(Command("initlsystem", 1.f, 0.f, 0.f));  // a new stroke replaces the old
  ASSERT_EQ(Renderer().strokePoints.size(), 1u);
  ExpectNear(Renderer().strokePoints[0], {1, 0, 0});
}

TEST_F(OscListenerTest, TurnOffBlanksTheTreePaneAndTurnOnBringsItBack) {
  Process(Command("initlsystem", 0.f, 0.f, 0.f));
  for (int i = 0; i < 3; ++i) Process(Command("drawlsystem", 0.f, 1.f, 0.f));
  const int drawn = DrawnPixels();
  EXPECT_GT(drawn, 0);

  EXPECT_EQ(Process(Command("turnoff")), "");
  EXPECT_FALSE(Renderer().enabled);
  EXPECT_EQ(DrawnPixels(), 0);

  EXPECT_EQ(Process(Command("turnon")), "");
  EXPECT_TRUE(Renderer().enabled);
  EXPECT_EQ(DrawnPixels(), drawn);
  EXPECT_EQ(Repaints(), 6);
}

TEST_F(OscListenerTest, EyeCommandsTurnAndResetTheTreePaneEye) {
  const Vec3 eye = TreeWindow().eye, up = TreeWindow().up;
  CGLWindow reference;
  reference.eye = eye;
  reference.center = TreeWindow().center;
  reference.up = up;
  reference.RotateEye(1.0, 0.5);

  EXPECT_EQ(Process(Command("eyerotation", 20, -10)), "");
  ExpectNear(TreeWindow().eye, reference.eye, 1e-12);
  ExpectNear(TreeWindow().up, reference.up, 1e-12);
  EXPECT_EQ(Repaints(), 1);

  Process(Command("eyerotation", 0, INT_MIN));
  EXPECT_TRUE(std::isfinite(TreeWindow().eye.x + TreeWindow().eye.y + TreeWindow().eye.z));

  EXPECT_EQ(Process(Command("eyepointinit")), "");
  ExpectNear(TreeWindow().eye, eye, 0.0);
  ExpectNear(TreeWindow().up, up, 0.0);
  EXPECT_EQ(Repaints(), 3);
}

TEST_F(OscListenerTest, CommandsWithoutATreeWindowChangeStateWithoutRepainting) {
  TreeWindow().Destroy();
  Process(Command("turnoff"));
  Process(Command("sethandleisactive", 1, true));
  Process(Command("eyerotation", 20, -10));
  EXPECT_FALSE(Renderer().enabled);
  EXPECT_TRUE(Handle(1).active);
  EXPECT_EQ(Repaints(), 0);
}

TEST_F(OscListenerTest, RuleEditsRepaintTheControllerPane) {
  HeadlessSurface controllerSurface(kSize, kSize);
  CGLWindow& controllerWindow = GetSceneWindows()->controllerWindow;
  ASSERT_TRUE(CreateOnSurface(controllerWindow, controllerSurface));
  struct EditCase {
    Packet packet;
    bool editsRule;
  };
  const std::vector<EditCase> cases = {
      {Command("setdefoult"), true},
      {Command("sethangleparameter", 0, true, 1.0f, 0.5f, 0.f, 0.f, 0.f), true},
      {Command("sethandlerotation", 1, 0.f, 1.f, 0.f), true},
      {Command("multhandlerotation", 2, 0.f, 1.f, 0.f), true},
      {Command("sethandlewidthratio", 3, 0.5f), true},
      {Command("sethandlelengthratio", 3, 0.5f), true},
      {Command("sethandleisactive", 1, true), true},
      {Command("sethandleisactive", 4, true), false},
      {Command("sethandlerotation", -1, 0.f, 1.f, 0.f), false},
      {Command("initlsystem", 0.f, 0.f, 0.f), false},
      {Command("turnoff"), false},
      {Command("eyerotation", 1, 1), false},
  };
  for (const EditCase& c : cases) {
    SCOPED_TRACE(&c - cases.data());
    const int before = controllerSurface.repaintCount;
    Process(c.packet);
    EXPECT_EQ(controllerSurface.repaintCount, before + (c.editsRule ? 1 : 0));
  }
  controllerWindow.Destroy();
}

TEST_F(OscListenerTest, BundleElementsRunAtOnceAndInOrderNestedOnesInPlace) {
  const std::uint64_t farFuture = 0xfffffffff0000000ull;
  const Packet bundle = Bundle({Message("/an_int", 1),
                                Bundle({Message("/an_int", 2), Bundle({Message("/an_int", 3)}), Command("turnoff")},
                                       farFuture),
                                Message("/lsystem"),  // an argument error does not end the walk
                                Message("/an_int", 4)},
                               farFuture);
  EXPECT_EQ(Process(bundle),
            "received '/an_int' message: 1\n"
            "received '/an_int' message: 2\n"
            "received '/an_int' message: 3\n"
            "error while parsing message: /lsystem: missing argument\n"
            "received '/an_int' message: 4\n");
  EXPECT_FALSE(Renderer().enabled);
  EXPECT_EQ(Repaints(), 1);
  EXPECT_EQ(Process(Bundle({})), "");

  // Nested as deep as the largest datagram allows.
  Packet deep = Message("/an_int", 9);
  int depth = 0;
  while (deep.size() + 20 <= CUdpReceiver::kMaxDatagram) {
    deep = Bundle({deep});
    ++depth;
  }
  EXPECT_GT(depth, 3000);
  EXPECT_EQ(Process(deep), "received '/an_int' message: 9\n");
}

TEST_F(OscListenerTest, AMalformedElementEndsTheWalkAfterTheElementsBeforeIt) {
  // Type tags that do not begin with a comma.
  const Packet malformed = Bytes("/an_int\0i\0\0\0\0\0\0\x05");
  const Packet bundle = Bundle({Command("turnoff"), malformed, Message("/an_int", 3)});
  EXPECT_EQ(ProcessRejected(bundle), "");
  EXPECT_FALSE(Renderer().enabled);  // the first element took effect

  // An element size beyond the end of the bundle: rejected whole.
  Packet unsound = Bundle({Command("turnon"), Message("/an_int", 3)});
  unsound[unsound.size() - 17] = 0x40;  // the second element's size, low byte
  EXPECT_EQ(ProcessRejected(unsound), "");
  EXPECT_FALSE(Renderer().enabled);
  EXPECT_EQ(Repaints(), 1);
}

TEST_F(OscListenerTest, MalformedPacketsLeaveProcessPacketAsExceptions) {
  const std::vector<std::pair<const char*, Packet>> cases = {
      {"empty", Packet()},
      {"length not a multiple of four", Bytes("/an_int\0,i\0\0\0\0\0")},
      {"address not terminated", Bytes("/an_int0")},
      {"type tags without comma", Bytes("/x\0\0i\0\0\0\0\0\0\x01")},
      {"type tags not terminated", Bytes("/x\0\0,iii")},
      {"argument missing its bytes", Bytes("/an_int\0,i\0\0")},
      {"string argument not terminated", Bytes("/a_string\0\0\0,s\0\0abcd")},
      {"blob longer than the packet", Bytes("/a_blob\0,b\0\0\0\0\0\x10")},
      {"blob of negative size", Bytes("/a_blob\0,bi\0\xff\xff\xff\xfc\0\0\0\x01")},
      {"blob padding past the end", Bytes("/a_blob\0,b\0\0\0\0\0\x01")},
      {"blob size missing", Bytes("/a_blob\0,bis\0\0\0\0")},
      {"type tag padding not zero", Bytes("/a_blob\0,b\0\xcb\0\0\0\x05\x01\x02\x03\x04\x05\0\x5d\0")},
      {"address padding not zero", Bytes("/x\0y,i\0\0\0\0\0\x01")},
      {"bundle header cut short", Bytes("#bundle\0\0\0\0\0")},
      {"bundle element of size -4", Bytes("#bundle\0\0\0\0\0\0\0\0\x01\xff\xff\xff\xfc")},
      {"bundle element of size -8", Bytes("#bundle\0\0\0\0\0\0\0\0\x01\xff\xff\xff\xf8")},
      {"bundle element size beyond the end", Bytes("#bundle\0\0\0\0\0\0\0\0\x01\0\0\0\x08/x\0\0")},
      {"bundle element of zero size", Bytes("#bundle\0\0\0\0\0\0\0\0\x01\0\0\0\0")},
      {"a nested element not a bundle", Bundle({Bytes("#bun")})},
  };
  for (const auto& [name, packet] : cases) {
    SCOPED_TRACE(name);
    const Snapshot before = Take();
    EXPECT_EQ(ProcessRejected(packet), "");
    ExpectUnchanged(before);
  }
}

TEST_F(OscListenerTest, ListenerAndFacadeAreSingletons) {
  EXPECT_EQ(GetOscListener(), listener);
  EXPECT_EQ(GetRemoteCommands(), GetRemoteCommands());
  EXPECT_EQ(listener->transport, nullptr);
  listener->Close();  // nothing attached: nothing to release
  EXPECT_EQ(listener->transport, nullptr);
}

}  // namespace
