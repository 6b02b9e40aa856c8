#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "OutputFile.h"

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::TempDir() + "dendrix-output-XXXXXX";
    ASSERT_NE(mkdtemp(name.data()), nullptr);
    dir = name;
    target = dir / "tree.png";
    std::ofstream(target) << "kept";
  }
  void TearDown() override { fs::remove_all(dir); }

  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
  }

  fs::path dir, target;
};

TEST_F(OutputFileTest, AnUnfinishedFileLeavesTheDestinationAlone) {
  {
    OutputFile file(target.string());
    std::string error;
    ASSERT_TRUE(file.Create(error)) << error;
    EXPECT_EQ(fs::path(file.TemporaryPath()).parent_path(), dir);
    std::ofstream(file.TemporaryPath()) << "half";
  }
  EXPECT_EQ(ReadText(target), "kept");
  EXPECT_EQ(FileCount(), 1u);
}

TEST_F(OutputFileTest, CommitReplacesTheDestination) {
  OutputFile file(target.string());
  std::string error;
  ASSERT_TRUE(file.Create(error)) << error;
  ASSERT_TRUE(WritePng(file.TemporaryPath(), 2, 1, {255, 0, 0, 0, 0, 255}, error)) << error;
  ASSERT_TRUE(file.Commit(error)) << error;
  EXPECT_EQ(ReadText(target).substr(1, 3), "PNG");
  EXPECT_EQ(FileCount(), 1u);
  // The new file gets the permissions of any new file, not a private mode.
  EXPECT_NE(fs::status(target).permissions() & fs::perms::others_read, fs::perms::none);
}

TEST_F(OutputFileTest, ReportsWhyItCannotWrite) {
  std::string error;
  OutputFile missing((dir / "no" / "tree.png").string());
  EXPECT_FALSE(missing.Create(error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  EXPECT_FALSE(WritePng((dir / "no" / "tree.png").string(), 1, 1, {0, 0, 0}, error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
}

}  // namespace
