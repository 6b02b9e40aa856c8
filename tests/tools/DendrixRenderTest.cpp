// dendrix-render run as a user runs it: a separate process, its exit status,
// its standard streams and the files it leaves.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;  // the exit status, -1 when the program did not exit normally
  std::string out, err;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An RGB image, top row first.
struct Image {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  const std::uint8_t* At(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

Image ReadPng(const fs::path& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  Image image;
  if (!png_image_begin_read_from_file(&png, path.c_str())) {
    ADD_FAILURE() << "not a PNG: " << path << ": " << png.message;
    return image;
  }
  png.format = PNG_FORMAT_RGB;
  image.width = static_cast<int>(png.width);
  image.height = static_cast<int>(png.height);
  image.rgb.resize(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr)) {
    ADD_FAILURE() << "unreadable PNG: " << png.message;
  }
  return image;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes.at(at + i));
  return value;
}

// A 24-bit BMP with rows bottom-up, blue-green-red, padded to 4 bytes.
Image ReadBmp(const fs::path& path) {
  const std::string bytes = ReadText(path);
  Image image;
  if (bytes.size() < 54 || bytes.compare(0, 2, "BM") != 0 || Little(bytes, 28, 2) != 24) {
    ADD_FAILURE() << "not a 24-bit BMP: " << path;
    return image;
  }
  image.width = static_cast<int>(Little(bytes, 18, 4));
  image.height = static_cast<int>(Little(bytes, 22, 4));
  const std::size_t offset = Little(bytes, 10, 4);
  const std::size_t rowSize = (3 * static_cast<std::size_t>(image.width) + 3) / 4 * 4;
  EXPECT_EQ(bytes.size(), offset + rowSize * image.height);
  image.rgb.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const std::size_t from = offset + (image.height - 1 - y) * rowSize + 3 * x;
      std::uint8_t* to = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
      to[0] = static_cast<std::uint8_t>(bytes.at(from + 2));
      to[1] = static_cast<std::uint8_t>(bytes.at(from + 1));
      to[2] = static_cast<std::uint8_t>(bytes.at(from));
    }
  }
  return image;
}

// Pixels that pass the test.
template <typename Test>
int Count(const Image& image, Test test) {
  int n = 0;
  for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
    n += test(image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]) ? 1 : 0;
  }
  return n;
}

int CountColour(const Image& image, int r, int g, int b) {
  return Count(image, [&](int pr, int pg, int pb) {
    return std::abs(pr - r) <= 1 && std::abs(pg - g) <= 1 && std::abs(pb - b) <= 1;
  });
}

class DendrixRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::TempDir() + "dendrix-render-XXXXXX";
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir = name;
    streams = dir / "streams";
    output = dir / "out";
  }
  void TearDown() override { fs::remove_all(dir); }

  RunResult Run(const std::vector<std::string>& args) {
    std::vector<std::string> all = {DENDRIX_RENDER};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const fs::path outPath = streams / "stdout", errPath = streams / "stderr";
    fs::create_directories(streams);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    RunResult result;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << argv[0];
      return result;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = ReadText(outPath);
    result.err = ReadText(errPath);
    return result;
  }

  // What the program left in the output folder.
  std::vector<std::string> OutputFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(output)) names.push_back(entry.path().filename());
    return names;
  }

  fs::path dir;
  fs::path streams;  // the program's standard output and error
  fs::path output;   // the folder it writes to
};

TEST_F(DendrixRenderTest, DefaultRunWritesAPictureOfTheDemoTree) {
  fs::create_directories(output);
  const RunResult run = Run({"--out", (output / "tree.png").string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(OutputFiles(), std::vector<std::string>{"tree.png"});

  const Image image = ReadPng(output / "tree.png");
  EXPECT_EQ(image.width, 900);
  EXPECT_EQ(image.height, 700);
  // Lit: a yellow trunk, grey branches, cyan tips on black.
  const int yellow = Count(image, [](int r, int g, int b) { return r > 120 && g > 120 && b < r / 2; });
  const int grey = Count(image, [](int r, int g, int b) {
    return r > 60 && std::abs(r - g) < 8 && std::abs(g - b) < 8;
  });
  const int cyan = Count(image, [](int r, int g, int b) { return r < 60 && g > 100 && b > 100; });
  EXPECT_GT(yellow, 1000);
  EXPECT_GT(grey, 5000);
  EXPECT_GT(cyan, 1000);
  EXPECT_GT(CountColour(image, 0, 0, 0), image.width * image.height / 2);  // the background
}

// The same scene through both writers, in flat colours that are known exactly.
TEST_F(DendrixRenderTest, BitmapAndPngHoldTheSamePixels) {
  fs::create_directories(output);
  const std::vector<std::string> scene = {"--width", "301", "--height", "203", "--lighting", "off",
                                          "--handles", "0,1,2,3", "--steps", "5"};
  for (const char* name : {"tree.png", "tree.BMP"}) {
    std::vector<std::string> args = scene;
    args.insert(args.end(), {"--out", (output / name).string()});
    const RunResult run = Run(args);
    ASSERT_EQ(run.status, 0) << run.err;
  }
  const Image png = ReadPng(output / "tree.png");
  const Image bmp = ReadBmp(output / "tree.BMP");
  ASSERT_EQ(png.width, 301);
  ASSERT_EQ(png.height, 203);
  ASSERT_EQ(bmp.width, png.width);
  ASSERT_EQ(bmp.height, png.height);
  EXPECT_TRUE(bmp.rgb == png.rgb);

  EXPECT_GT(CountColour(png, 242, 242, 0), 50);    // trunk
  EXPECT_GT(CountColour(png, 179, 179, 179), 50);  // branches
  EXPECT_GT(CountColour(png, 0, 204, 204), 50);    // tips
  // Upright: the trunk starts in the lower part of the picture, red axis at the origin.
  int trunkBottom = -1;
  for (int y = 0; y < png.height; ++y) {
    for (int x = 0; x < png.width; ++x) {
      const std::uint8_t* p = png.At(x, y);
      if (p[0] == 242 && p[1] == 242 && p[2] == 0) trunkBottom = y;
    }
  }
  EXPECT_GT(trunkBottom, png.height * 3 / 4);
}

TEST_F(DendrixRenderTest, TreeRenderingShowsBarkAndLeaves) {
  fs::create_directories(output);
  const RunResult run = Run({"--out", (output / "t.png").string(), "--tree", "--lighting", "off",
                             "--width", "300", "--height", "240"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Image image = ReadPng(output / "t.png");
  EXPECT_GT(CountColour(image, 77, 64, 13), 50);   // bark
  EXPECT_GT(CountColour(image, 102, 204, 0), 50);  // leaves
  EXPECT_EQ(CountColour(image, 242, 242, 0), 0);   // no polygon colours
}

TEST_F(DendrixRenderTest, HelpGoesToStandardOutput) {
  const RunResult run = Run({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("Usage: dendrix-render --out FILE"), std::string::npos) << run.out;
  EXPECT_EQ(run.err, "");
}

// Bad arguments and outputs that cannot be written: one line on standard
// error, exit status 2, and no file at all.
TEST_F(DendrixRenderTest, BadArgumentsExitWithStatus2AndWriteNothing) {
  fs::create_directories(output);
  const std::string png = (output / "tree.png").string();
  const struct {
    std::vector<std::string> args;
    const char* reason;
  } cases[] = {
      {{}, "no output file"},
      {{"--out", png, "--frobnicate"}, "unknown option --frobnicate"},
      {{"--out", png, "--width", "wide"}, "'wide' is not a width"},
      {{"--out", png, "--width", "0"}, "'0' is not a width from 1 to 8192"},
      {{"--out", png, "--height", "8193"}, "'8193' is not a height from 1 to 8192"},
      {{"--out", png, "--stroke", "0,0;x,1"}, "'x,1' is not a point"},
      {{"--out", png, "--lighting"}, "--lighting needs a value"},
      {{"--out", png, "--stroke", "0,0;1e308,-1e308"}, "--stroke: a step between these points"},
      {{"--out", (output / "missing" / "tree.png").string()}, "cannot write"},
      {{"--out", output.string()}, "it is a directory"},
      {{"--out", png, "--osc", (dir / "none.osc").string()}, "none.osc: No such file or directory"},
      {{"--out", png, "--osc", "s.osc", "--steps", "3"}, "cannot go with --osc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const RunResult run = Run(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("dendrix-render: ", 0), 0u) << run.err;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(OutputFiles().empty());
  }
}

// A script that plants and grows a tree draws what the same stroke given on
// the command line draws, and its diagnostic lines reach standard output.
TEST_F(DendrixRenderTest, OscScriptDrawsTheTreeItPlantsWithTheEyeItLeaves) {
  fs::create_directories(output);
  const std::string plant =
      "# plant and grow\n"
      "/lsystem sfff initlsystem 0 -0.125 0\n"
      "/lsystem sfff drawlsystem 0 1 0\n"
      "/lsystem sfff drawlsystem 0.25 1 0\n"
      "/lsystem sfff drawlsystem -0.25 1 0\n"
      "/an_int i 7\n";
  std::ofstream(dir / "plant.osc") << plant;
  std::ofstream(dir / "turn.osc") << plant << "/lsystem sii eyerotation 20 -10\n";
  const std::vector<std::string> scene = {"--width", "240", "--height", "200", "--lighting", "off"};
  auto render = [&](std::vector<std::string> args, const std::string& name) {
    args.insert(args.end(), scene.begin(), scene.end());
    args.insert(args.end(), {"--out", (output / name).string()});
    const RunResult run = Run(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return run;
  };
  EXPECT_EQ(render({"--osc", (dir / "plant.osc").string()}, "script.png").out, "received '/an_int' message: 7\n");
  render({"--stroke", "0,-0.125;0,0.875;0.25,1.875;0,2.875"}, "stroke.png");
  render({"--osc", (dir / "turn.osc").string()}, "turned.png");

  const Image script = ReadPng(output / "script.png");
  const Image stroke = ReadPng(output / "stroke.png");
  ASSERT_EQ(script.width, 240);
  ASSERT_EQ(stroke.width, 240);
  EXPECT_GT(CountColour(script, 242, 242, 0), 50);  // a trunk
  EXPECT_TRUE(script.rgb == stroke.rgb);
  EXPECT_FALSE(ReadPng(output / "turned.png").rgb == script.rgb);
}

TEST_F(DendrixRenderTest, AScriptLineThatCannotBeEncodedExitsWithStatus2) {
  fs::create_directories(output);
  std::ofstream(dir / "bad.osc") << "/lsystem s turnoff\n/x q 1\n";
  const RunResult run = Run({"--osc", (dir / "bad.osc").string(), "--out", (output / "t.png").string()});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "dendrix-render: " + (dir / "bad.osc").string() +
                         ":2: unknown type tag 'q' (known: i h f d s S c r m t b T F N I)\n");
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(OutputFiles().empty());
}

}  // namespace
