// Writes the seed corpora of the fuzz targets into DIR/osc_listener (one
// packet a file) and DIR/osc_script (one script a file): every "/lsystem"
// sub-command, every diagnostic address, nested bundles, and the argument
// errors and malformed packets the listener must report or reject.
//
//   dendrix-fuzz-corpus fuzz/corpus

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <string>
#include <vector>

#include "remote/OscPackets.h"

namespace {

bool Write(const std::filesystem::path& path, const Packet& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (out.good()) return true;
  std::cerr << "dendrix-fuzz-corpus: cannot write " << path << "\n";
  return false;
}

bool WritePackets(const std::filesystem::path& dir) {
  const char blob[] = {1, 2, 3, 4, 5};
  const Packet stroke = Bundle({Command("initlsystem", 0.0f, 0.0f, 0.0f), Command("drawlsystem", 0.0f, 1.0f, 0.0f),
                                Command("drawlsystem", 0.3f, 1.0f, 0.0f),
                                Command("eyerotation", 20, -10)});
  Packet deep = Command("turnon");
  for (int level = 0; level < 30; ++level) deep = Bundle({deep});
  const struct {
    const char* name;
    Packet bytes;
  } seeds[] = {
      {"setdefoult", Command("setdefoult")},
      {"sethangleparameter", Command("sethangleparameter", 1, true, 1.5f, 1.0f, 0.0f, 0.0f, 0.0f)},
      {"sethandlerotation", Command("sethandlerotation", 2, 0.5f, 0.25f, -0.5f)},
      {"multhandlerotation", Command("multhandlerotation", 3, 0.1f, 0.2f, 0.3f)},
      {"sethandlewidthratio", Command("sethandlewidthratio", 2, 0.5f)},
      {"sethandlelengthratio", Command("sethandlelengthratio", 0, 1.2f)},
      {"sethandleisactive", Command("sethandleisactive", 1, false)},
      {"initlsystem", Command("initlsystem", 0.0f, 0.8f, 0.0f)},
      {"drawlsystem", Command("drawlsystem", 0.0f, 1.0f, 0.0f)},
      {"turnon", Command("turnon")},
      {"turnoff", Command("turnoff")},
      {"eyepointinit", Command("eyepointinit")},
      {"eyerotation", Command("eyerotation", 20, -10)},
      {"unknown-subcommand", Command("setdefaalt", 1, 2.0f)},
      {"no_arguments", Message("/no_arguments")},
      {"a_bool", Message("/a_bool", true)},
      {"nil", Message("/nil", osc::OscNil)},
      {"inf", Message("/inf", osc::Infinitum)},
      {"an_int", Message("/an_int", -7)},
      {"a_float", Message("/a_float", 0.25f)},
      {"a_char", Message("/a_char", 'x')},
      {"an_rgba_color", Message("/an_rgba_color", osc::RgbaColor(0x11223344u))},
      {"a_midi_message", Message("/a_midi_message", osc::MidiMessage(0x90407f00u))},
      {"an_int64", Message("/an_int64", static_cast<osc::int64>(-1234567890123LL))},
      {"a_time_tag", Message("/a_time_tag", osc::TimeTag(0x0123456789abcdefULL))},
      {"a_double", Message("/a_double", 3.5)},
      {"a_string", Message("/a_string", "two words")},
      {"a_symbol", Message("/a_symbol", osc::Symbol("sym"))},
      {"a_blob", Message("/a_blob", osc::Blob(blob, sizeof blob))},
      {"unrecognised", Message("/lsystemx", "turnon")},
      {"missing-argument", Message("/lsystem")},
      {"wrong-argument-type", Command("sethandlewidthratio", 2.0f, 0.5f)},
      {"too-many-arguments", Command("turnon", 1)},
      {"bundle-stroke", stroke},
      {"bundle-nested", Bundle({Command("turnoff"), Bundle({stroke, Bundle({Message("/a_bool", false)})}),
                                Command("turnon")})},
      {"bundle-future", Bundle({Command("eyepointinit")}, 0xffffffff00000000ULL)},
      {"bundle-malformed-element",
       Bundle({Command("turnoff"), Bytes("/lsystem\0\0\0\0xs\0\0"), Command("turnon")})},
      {"bundle-empty", Bundle({})},
      {"bundle-deep", deep},
      {"message-without-type-tags", Bytes("/nil\0\0\0\0")},
      {"empty", Packet()},
  };
  for (const auto& seed : seeds) {
    if (!Write(dir / (std::string(seed.name) + ".osc"), seed.bytes)) return false;
  }
  return true;
}

bool WriteScripts(const std::filesystem::path& dir) {
  const struct {
    const char* name;
    const char* text;
  } seeds[] = {
      {"subcommands",
       "# every sub-command once\n"
       "/lsystem s setdefoult\n"
       "/lsystem siTfffff sethangleparameter 1 1.5 1.0 0 0 0\n"
       "/lsystem sifff sethandlerotation 2 0.5 0.25 -0.5\n"
       "/lsystem sifff multhandlerotation 3 0.1 0.2 0.3\n"
       "/lsystem sif sethandlewidthratio 2 0.5\n"
       "/lsystem sif sethandlelengthratio 0 1.2\n"
       "/lsystem siF sethandleisactive 1\n"
       "/lsystem sfff initlsystem 0 0.8 0\n"
       "/lsystem sfff drawlsystem 0 1 0\n"
       "/lsystem s turnon\n"
       "/lsystem s turnoff\n"
       "/lsystem s eyepointinit\n"
       "/lsystem sii eyerotation 20 -10      # turn the eye\n"},
      {"diagnostics",
       "/no_arguments\n"
       "/a_bool T\n"
       "/nil N\n"
       "/inf ,I\n"
       "/an_int i -7\n"
       "/a_float f 2.5e-3\n"
       "/a_char c x\n"
       "/an_rgba_color r 0x11223344\n"
       "/a_midi_message m 2420211456\n"
       "/an_int64 h -1234567890123\n"
       "/a_time_tag t 0x0123456789abcdef\n"
       "/a_double d 3.5\n"
       "/a_string s \"two words, \\\"quoted\\\" \\\\ and # no comment\"\n"
       "/a_symbol S sym\n"
       "/a_blob b 0102030405\n"
       "\n"
       "   # an indented comment\n"},
      {"mixed-types", "/mixed ,ihfdsScrmtbTFNI 1 2 3 4 s S c 5 6 7 ff\n"},
      {"unclosed-quote", "/a_string s \"open\n"},
      {"bad-escape", "/a_string s \"\\n\"\n"},
      {"quote-not-ending-word", "/a_string s \"a\"b\n"},
      {"not-an-address", "lsystem s turnon\n"},
      {"unknown-tag", "/x q 1\n"},
      {"value-count", "/lsystem sii eyerotation 20\n"},
      {"bad-values", "/an_int i 2147483648\n/a_char c xy\n/a_blob b 0g\n/an_rgba_color r 0x100000000\n"},
  };
  for (const auto& seed : seeds) {
    const std::string text = seed.text;
    if (!Write(dir / (std::string(seed.name) + ".txt"), Packet(text.begin(), text.end()))) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: dendrix-fuzz-corpus DIR\n"
                 "Writes the seed corpora of the fuzz targets into DIR/osc_listener and DIR/osc_script.\n";
    return 2;
  }
  const std::filesystem::path root = argv[1];
  std::error_code error;
  for (const char* target : {"osc_listener", "osc_script"}) {
    std::filesystem::create_directories(root / target, error);
    if (error) {
      std::cerr << "dendrix-fuzz-corpus: cannot create " << (root / target) << ": " << error.message()
                << "\n";
      return 1;
    }
  }
  return WritePackets(root / "osc_listener") && WriteScripts(root / "osc_script") ? 0 : 1;
}
