#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RenderOptions.h"

namespace {

using Args = std::vector<std::string>;

TEST(RenderOptionsTest, DefaultsNeedOnlyTheOutput) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(ParseRenderOptions({"--out", "tree.png"}, options, error)) << error;
  EXPECT_EQ(options.out, "tree.png");
  EXPECT_EQ(options.width, 900);
  EXPECT_EQ(options.height, 700);
  EXPECT_TRUE(options.stroke.empty());
  EXPECT_EQ(options.demoSteps, 9);
  EXPECT_FALSE(options.straightDemo);
  EXPECT_TRUE(options.polygonMode);
  EXPECT_TRUE(options.lighting);
  EXPECT_FALSE(options.handles.has_value());
  EXPECT_FALSE(options.reference);
  EXPECT_FALSE(options.help);
}

TEST(RenderOptionsTest, ReadsEveryOptionInBothSpellings) {
  RenderOptions options;
  std::string error;
  ASSERT_TRUE(ParseRenderOptions({"--out=a.bmp", "--width=640", "--height", "8192", "--tree",
                                  "--lighting", "off", "--handles", "1,3", "--reference",
                                  "--stroke=0,0;0.5,1,-0.25;-1e-3,2"},
                                 options, error))
      << error;
  EXPECT_EQ(options.out, "a.bmp");
  EXPECT_EQ(options.width, 640);
  EXPECT_EQ(options.height, 8192);
  EXPECT_FALSE(options.polygonMode);
  EXPECT_FALSE(options.lighting);
  EXPECT_TRUE(options.reference);
  ASSERT_TRUE(options.handles.has_value());
  EXPECT_EQ(*options.handles, (std::array<bool, 4>{false, true, false, true}));
  ASSERT_EQ(options.stroke.size(), 3u);
  EXPECT_EQ(options.stroke[1].x, 0.5);
  EXPECT_EQ(options.stroke[1].y, 1.0);
  EXPECT_EQ(options.stroke[1].z, -0.25);
  EXPECT_EQ(options.stroke[2].x, -1e-3);
  EXPECT_EQ(options.stroke[2].z, 0.0);

  ASSERT_TRUE(ParseRenderOptions({"--tree", "--polygon", "--handles", "none", "--steps", "0",
                                  "--straight", "--out", "b.png"},
                                 options, error))
      << error;
  EXPECT_TRUE(options.polygonMode);  // the last mode given counts
  EXPECT_EQ(*options.handles, (std::array<bool, 4>{false, false, false, false}));
  EXPECT_EQ(options.demoSteps, 0);
  EXPECT_TRUE(options.straightDemo);
}

TEST(RenderOptionsTest, HelpNeedsNothingElse) {
  for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"--width", "5", "--help"}}) {
    RenderOptions options;
    std::string error;
    ASSERT_TRUE(ParseRenderOptions(args, options, error)) << error;
    EXPECT_TRUE(options.help);
  }
  const std::string usage = RenderUsage();
  for (const char* name : {"--out FILE", "--width N", "--height N", "--stroke POINTS", "--steps N",
                           "--straight", "--polygon", "--tree", "--lighting on|off",
                           "--handles LIST", "--reference", "--help"}) {
    EXPECT_NE(usage.find(name), std::string::npos) << name;
  }
}

TEST(RenderOptionsTest, RejectsBadArgumentsWithAReason) {
  const struct {
    Args args;
    const char* reason;
  } cases[] = {
      {{}, "no output file: give --out FILE"},
      {{"--out"}, "--out needs a value FILE"},
      {{"--out="}, "--out: the output name is empty"},
      {{"--out", "a.png", "--colour"}, "unknown option --colour"},
      {{"--out", "a.png", "b.png"}, "unexpected argument 'b.png'"},
      {{"--out", "a.png", "--width", "abc"}, "--width: 'abc' is not a width from 1 to 8192"},
      {{"--out", "a.png", "--width", "0"}, "--width: '0' is not a width from 1 to 8192"},
      {{"--out", "a.png", "--height", "8193"}, "--height: '8193' is not a height from 1 to 8192"},
      {{"--out", "a.png", "--height", "12px"}, "--height: '12px' is not a height from 1 to 8192"},
      {{"--out", "a.png", "--width", "-3"}, "--width: '-3' is not a width from 1 to 8192"},
      {{"--out", "a.png", "--width", "99999999999"}, "--width: '99999999999' is not a width"},
      {{"--out", "a.png", "--steps", "10"}, "--steps: '10' is not a number of steps from 0 to 9"},
      {{"--out", "a.png", "--stroke", "0,0;1"}, "--stroke: '1' is not a point x,y or x,y,z"},
      {{"--out", "a.png", "--stroke", "0,0;1,2,3,4"}, "'1,2,3,4' is not a point"},
      {{"--out", "a.png", "--stroke", "0,0;nan,1"}, "'nan,1' is not a point"},
      {{"--out", "a.png", "--stroke", "0,0;1,1;"}, "'' is not a point"},
      {{"--out", "a.png", "--stroke", "0,0"}, "a stroke has 2 to 10 points, not 1"},
      {{"--out", "a.png", "--stroke", "0,0;0,1;0,2;0,3;0,4;0,5;0,6;0,7;0,8;0,9;0,10"},
       "a stroke has 2 to 10 points, not 11"},
      {{"--out", "a.png", "--stroke", "0,0;0,1;0,1"}, "point 3 repeats the one before it"},
      {{"--out", "a.png", "--stroke", "0,0;0,1", "--steps", "3"}, "cannot go with --stroke"},
      {{"--out", "a.png", "--straight", "--stroke", "0,0;0,1"}, "cannot go with --stroke"},
      {{"--out", "a.png", "--lighting", "dim"}, "--lighting: 'dim' is not on or off"},
      {{"--out", "a.png", "--handles", "4"}, "--handles: '4' is not a list of handle numbers"},
      {{"--out", "a.png", "--handles", "0,,2"}, "'0,,2' is not a list of handle numbers"},
      {{"--out", "a.png", "--tree=yes"}, "--tree takes no value"},
  };
  for (const auto& c : cases) {
    RenderOptions options;
    std::string error;
    EXPECT_FALSE(ParseRenderOptions(c.args, options, error)) << c.reason;
    EXPECT_NE(error.find(c.reason), std::string::npos) << "got: " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(RenderOptionsTest, BitmapOutputByItsExtension) {
  EXPECT_TRUE(IsBitmapPath("tree.bmp"));
  EXPECT_TRUE(IsBitmapPath("dir/TREE.BMP"));
  EXPECT_FALSE(IsBitmapPath("tree.png"));
  EXPECT_FALSE(IsBitmapPath("tree.bmp.png"));
  EXPECT_FALSE(IsBitmapPath("bmp"));
}

}  // namespace
