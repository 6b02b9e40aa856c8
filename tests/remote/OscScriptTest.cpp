#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "OscPackets.h"
#include "remote/OscScript.h"

namespace {

// Reads text as the script "test.osc"; error holds the reason on failure.
bool Read(const std::string& text, std::vector<OscScriptPacket>& packets, std::string& error) {
  std::istringstream in(text);
  return ReadOscScript(in, "test.osc", packets, error);
}

TEST(OscScriptTest, LinesEncodeAsOscpackEncodesTheSameMessage) {
  const char blob[3] = {0x0a, 0x1b, static_cast<char>(0xff)};
  struct LineCase {
    const char* line;
    Packet packet;
  };
  const std::vector<LineCase> cases = {
      {"/lsystem sfff initlsystem 0 0.8 0", Command("initlsystem", 0.f, 0.8f, 0.f)},
      {"/lsystem sii eyerotation 20 -10", Command("eyerotation", 20, -10)},
      {"/lsystem siTfffff sethangleparameter 1 1.5 1 0 0 0",
       Command("sethangleparameter", 1, true, 1.5f, 1.f, 0.f, 0.f, 0.f)},
      {"/lsystem ,s turnon", Command("turnon")},
      {"/no_arguments", Message("/no_arguments")},
      {"/x TFNI", Message("/x", true, false, osc::OscNil, osc::Infinitum)},
      {"/x ihd -2147483648 -9000000000 2.5", Message("/x", INT32_MIN, osc::int64(-9000000000), 2.5)},
      {"/x f nan", Message("/x", std::numeric_limits<float>::quiet_NaN())},
      {"/x f -inf", Message("/x", -std::numeric_limits<float>::infinity())},
      {"/x sS \"two words\" sym", Message("/x", "two words", osc::Symbol("sym"))},
      {R"(/x s "say \"hi\" \\ #no comment")", Message("/x", R"(say "hi" \ #no comment)")},
      {"/x s \"\"", Message("/x", "")},
      {"/x c q", Message("/x", 'q')},
      {"/x rm 0x01020304 4294967295", Message("/x", osc::RgbaColor(0x01020304), osc::MidiMessage(0xffffffff))},
      {"/x t 0xFFFFFFFFFFFFFFFF", Message("/x", osc::TimeTag(0xffffffffffffffffull))},
      {"/x b 0a1bFF", Message("/x", osc::Blob(blob, 3))},
      {"/x b \"\"", Message("/x", osc::Blob(blob, 0))},
      {"  /x\ti   5   # a comment\r", Message("/x", 5)},
  };
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    std::vector<OscScriptPacket> packets;
    std::string error;
    ASSERT_TRUE(Read(c.line, packets, error)) << error;
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0].bytes, c.packet);
  }
}

TEST(OscScriptTest, CommentsAndBlankLinesAreSkippedAndLinesNumbered) {
  std::vector<OscScriptPacket> packets;
  std::string error;
  ASSERT_TRUE(Read("# plant\n\n/lsystem s turnoff\n   # indented comment\n/an_int i 3\n", packets, error))
      << error;
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].line, 3);
  EXPECT_EQ(packets[0].bytes, Command("turnoff"));
  EXPECT_EQ(packets[1].line, 5);
  EXPECT_EQ(packets[1].bytes, Message("/an_int", 3));
  ASSERT_TRUE(Read("", packets, error));
  EXPECT_TRUE(packets.empty());
}

TEST(OscScriptTest, ALineThatCannotBeEncodedNamesTheFileAndLine) {
  struct ErrorCase {
    std::string line;
    std::string error;
  };
  const std::string tooLong(70000, 'x');
  const std::vector<ErrorCase> cases = {
      {"lsystem s turnon", "'lsystem' is not an OSC address: it must begin with '/'"},
      {"/x q 1", "unknown type tag 'q' (known: i h f d s S c r m t b T F N I)"},
      {"/lsystem si eyerotation 20 -10", "the type tags 'si' take 2 values, the line gives 3"},
      {"/x c # a comment, not a value", "the type tags 'c' take 1 value, the line gives 0"},
      {"/x ii 1", "the type tags 'ii' take 2 values, the line gives 1"},
      {"/x i 2147483648", "'2147483648' is not an int32 (type tag i)"},
      {"/x i 1.5", "'1.5' is not an int32 (type tag i)"},
      {"/x i +1", "'+1' is not an int32 (type tag i)"},
      {"/x h 9223372036854775808", "'9223372036854775808' is not an int64 (type tag h)"},
      {"/x f 1e39", "'1e39' is not a float32 (type tag f)"},
      {"/x f 0.5x", "'0.5x' is not a float32 (type tag f)"},
      {"/x d one", "'one' is not a float64 (type tag d)"},
      {"/x c ab", "'ab' is not a single character (type tag c)"},
      {"/x r 4294967296", "'4294967296' is not a 32-bit unsigned number (type tag r)"},
      {"/x m -1", "'-1' is not a 32-bit unsigned number (type tag m)"},
      {"/x t 0x", "'0x' is not a 64-bit unsigned time tag (type tag t)"},
      {"/x b abc", "'abc' is not a blob of hex digits, two a byte (type tag b)"},
      {"/x b 0g", "'0g' is not a blob of hex digits, two a byte (type tag b)"},
      {"/x s \"open", "a quoted value is not closed"},
      {R"(/x s "\n")", "in quotes a backslash stands only before \" or \\"},
      {"/x s \"a\"b", "a quoted value must end its word"},
      {"/x s " + tooLong, "the message is longer than 65507 bytes"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    std::vector<OscScriptPacket> packets = {{7, {'x'}}};
    std::string error;
    EXPECT_FALSE(Read("# first line\n" + c.line + "\n/x i 1\n", packets, error));
    EXPECT_EQ(error, "test.osc:2: " + c.error);
    EXPECT_EQ(packets.size(), 1u);  // left as it was
  }
}

TEST(OscScriptTest, AFileThatCannotBeReadGivesTheReason) {
  std::vector<OscScriptPacket> packets;
  std::string error;
  EXPECT_FALSE(ReadOscScriptFile("/nonexistent/script.osc", packets, error));
  EXPECT_EQ(error, "cannot read /nonexistent/script.osc: No such file or directory");
}

}  // namespace
