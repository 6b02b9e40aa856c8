#include <EGL/egl.h>
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gl/HeadlessWindow.h"

namespace {

using Matrix = std::array<double, 16>;

// OpenGL keeps its matrices in single precision.
constexpr double kGlFloat = 1e-6;

Matrix CurrentMatrix(GLenum which) {
  Matrix m{};
  glGetDoublev(which, m.data());
  return m;
}

std::array<int, 4> CurrentViewport() {
  std::array<int, 4> v{};
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

void ExpectMatrixNear(const Matrix& actual, const Matrix& expected, double tolerance) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], tolerance) << "element " << i;
}

// The projection of a 45 degree vertical field of view from 0.01 to 1000.
Matrix ExpectedProjection(double aspect) {
  const double f = 1.0 / std::tan(22.5 * M_PI / 180.0);
  const double near = 0.01, far = 1000.0;
  Matrix m{};
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (far + near) / (near - far);
  m[11] = -1.0;
  m[14] = 2.0 * far * near / (near - far);
  return m;
}

// Fills a rectangle of window pixels (row 0 at the bottom) with a colour and a
// depth, as a drawing would leave them.
void Fill(int x, int y, int w, int h, RgbaCell colour, double depth) {
  glEnable(GL_SCISSOR_TEST);
  glScissor(x, y, w, h);
  glClearColor(colour.r / 255.0f, colour.g / 255.0f, colour.b / 255.0f, colour.a / 255.0f);
  glClearDepth(depth);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glClearDepth(1.0);
  glDisable(GL_SCISSOR_TEST);
}

std::uint32_t Word(RgbaCell c) {
  return c.r | static_cast<std::uint32_t>(c.g) << 8 | static_cast<std::uint32_t>(c.b) << 16 |
         static_cast<std::uint32_t>(c.a) << 24;
}

class GLWindowTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 64;
  static constexpr int kHeight = 48;

  void SetUp() override { ASSERT_TRUE(CreateOnSurface(window, surface)); }
  void TearDown() override { window.Destroy(); }

  RgbaCell ScreenPixel(int x, int y) {
    RgbaCell cell{};
    EXPECT_TRUE(window.MakeCurrent());
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &cell);
    return cell;
  }

  HeadlessSurface surface{kWidth, kHeight};
  CGLWindow window;
};

TEST_F(GLWindowTest, FreshWindowSceneLoadsTheDefaultCameraAndProjection) {
  EXPECT_FALSE(window.inScene);
  window.BeginScene();
  EXPECT_TRUE(window.inScene);
  // Looking from (0, 0.8, 2.41) at (0, 0.8, 0) with up +Y is a plain
  // translation of the world by -eye.
  Matrix lookAt{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -0.8, -2.41, 1};
  ExpectMatrixNear(CurrentMatrix(GL_MODELVIEW_MATRIX), lookAt, kGlFloat);
  ExpectMatrixNear(CurrentMatrix(GL_PROJECTION_MATRIX),
                   ExpectedProjection(double(kWidth) / kHeight), kGlFloat);
  EXPECT_EQ(CurrentViewport(), (std::array<int, 4>{0, 0, kWidth, kHeight}));
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  Fill(0, 0, kWidth, kHeight, {200, 100, 50, 255}, 1.0);  // overwritten by the next clear
  EXPECT_TRUE(window.EndScene());
  EXPECT_FALSE(window.inScene);
  EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);

  // Both panes clear to black.
  window.BeginScene();
  EXPECT_TRUE(window.EndScene());
  const RgbaCell pixel = ScreenPixel(kWidth / 2, kHeight / 2);
  EXPECT_EQ(pixel.r, 0);
  EXPECT_EQ(pixel.g, 0);
  EXPECT_EQ(pixel.b, 0);
}

TEST_F(GLWindowTest, FixedFunctionStateAfterCreate) {
  ASSERT_TRUE(window.MakeCurrent());
  const struct {
    GLenum capability;
    bool enabled;
  } capabilities[] = {{GL_DEPTH_TEST, true}, {GL_CULL_FACE, true}, {GL_BLEND, false},
                      {GL_LIGHTING, false},  {GL_LIGHT1, false},   {GL_LIGHT2, false}};
  for (const auto& c : capabilities) {
    EXPECT_EQ(glIsEnabled(c.capability) == GL_TRUE, c.enabled) << "capability " << c.capability;
  }
  const struct {
    GLenum name;
    GLint value;
  } integers[] = {{GL_CULL_FACE_MODE, GL_BACK}, {GL_SHADE_MODEL, GL_SMOOTH},
                  {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA},
                  {GL_UNPACK_ALIGNMENT, 4},     {GL_PACK_ALIGNMENT, 4}};
  for (const auto& i : integers) {
    GLint value = -1;
    glGetIntegerv(i.name, &value);
    EXPECT_EQ(value, i.value) << "state " << i.name;
  }
  GLint polygonMode[2] = {};
  glGetIntegerv(GL_POLYGON_MODE, polygonMode);
  EXPECT_EQ(polygonMode[0], GL_FILL);
  GLint texEnv = 0;
  glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &texEnv);
  EXPECT_EQ(texEnv, GL_MODULATE);

  using Rgba = std::array<float, 4>;
  const auto material = [](GLenum name) {
    Rgba v{};
    glGetMaterialfv(GL_FRONT, name, v.data());
    return v;
  };
  const auto light = [](GLenum lightId, GLenum name) {
    Rgba v{};
    glGetLightfv(lightId, name, v.data());
    return v;
  };
  const struct {
    const char* what;
    Rgba actual;
    Rgba expected;
  } colours[] = {
      {"material specular", material(GL_SPECULAR), {0, 0, 0.05f, 1}},
      {"material diffuse", material(GL_DIFFUSE), {0.8f, 0.8f, 0.8f, 1}},
      {"material ambient", material(GL_AMBIENT), {0.3f, 0.3f, 0.3f, 1}},
      {"light 1 ambient", light(GL_LIGHT1, GL_AMBIENT), {0.2f, 0.2f, 0.2f, 1}},
      {"light 1 diffuse", light(GL_LIGHT1, GL_DIFFUSE), {0.8f, 0.8f, 0.8f, 1}},
      {"light 1 specular", light(GL_LIGHT1, GL_SPECULAR), {0.2f, 0.2f, 0.2f, 1}},
      {"light 2 ambient", light(GL_LIGHT2, GL_AMBIENT), {0.2f, 0.2f, 0.2f, 1}},
      {"light 2 diffuse", light(GL_LIGHT2, GL_DIFFUSE), {0.5f, 0.5f, 0.5f, 1}},
      {"light 2 specular", light(GL_LIGHT2, GL_SPECULAR), {0.3f, 0.3f, 0.3f, 1}},
  };
  for (const auto& c : colours) EXPECT_EQ(c.actual, c.expected) << c.what;
  GLfloat shininess = 0;
  glGetMaterialfv(GL_FRONT, GL_SHININESS, &shininess);
  EXPECT_EQ(shininess, 1.5f);
}

TEST_F(GLWindowTest, OneByOneClientAreaHasAspectOneAndSingleCellBuffers) {
  ResizeSurface(window, surface, 1, 1);
  EXPECT_EQ(window.depthBuffer.width, 1);
  EXPECT_EQ(window.depthBuffer.height, 1);
  EXPECT_EQ(window.colorBuffer.width, 1);
  EXPECT_EQ(window.colorBuffer.height, 1);
  window.BeginScene();
  ExpectMatrixNear(CurrentMatrix(GL_PROJECTION_MATRIX), ExpectedProjection(1.0), kGlFloat);
  EXPECT_EQ(CurrentViewport(), (std::array<int, 4>{0, 0, 1, 1}));
  window.EndScene();
}

TEST_F(GLWindowTest, EmptyClientAreaChangesNothing) {
  ResizeSurface(window, surface, 30, 20);
  ASSERT_TRUE(window.MakeCurrent());
  const Matrix projection = CurrentMatrix(GL_PROJECTION_MATRIX);
  const float* depthCells = window.depthBuffer.data.get();
  const RgbaCell* colourCells = window.colorBuffer.data.get();

  const struct { int width, height; } sizes[] = {{0, 20}, {30, 0}, {0, 0}, {-5, 20}, {30, -1}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(testing::Message() << size.width << " x " << size.height);
    window.Resize(size.width, size.height);
    EXPECT_EQ(CurrentViewport(), (std::array<int, 4>{0, 0, 30, 20}));
    EXPECT_EQ(CurrentMatrix(GL_PROJECTION_MATRIX), projection);
    EXPECT_EQ(window.depthBuffer.data.get(), depthCells);
    EXPECT_EQ(window.colorBuffer.data.get(), colourCells);
    EXPECT_EQ(window.depthBuffer.width, 30);
    EXPECT_EQ(window.colorBuffer.height, 20);
  }
}

TEST_F(GLWindowTest, PickPassReadsBackWithoutSwappingAndDisarms) {
  const RgbaCell red{255, 0, 0, 255};
  window.PreparePickPass();
  EXPECT_TRUE(window.pickPass);
  window.BeginScene();
  Fill(10, 5, 4, 3, red, 0.25);
  EXPECT_TRUE(window.EndScene());
  EXPECT_FALSE(window.pickPass);
  EXPECT_EQ(surface.swapCount, 0);

  float depth = 0;
  std::uint32_t colour = 0;
  ASSERT_TRUE(window.ReadPickSample(0, 0, &depth, &colour));
  EXPECT_EQ(colour, 0xFFFFFFFFu);  // the background, alpha 255 although cleared with 0
  EXPECT_EQ(depth, 1.0f);
  ASSERT_TRUE(window.ReadPickSample(11, 6, &depth, &colour));
  EXPECT_EQ(colour, Word(red));
  EXPECT_NEAR(depth, 0.25f, 1e-4);

  // The next scene is an ordinary one: cleared black and swapped; the
  // picking image stays in memory.
  window.BeginScene();
  EXPECT_TRUE(window.EndScene());
  EXPECT_EQ(surface.swapCount, 1);
  EXPECT_EQ(ScreenPixel(0, 0).r, 0);
  ASSERT_TRUE(window.ReadPickSample(11, 6, nullptr, &colour));
  EXPECT_EQ(colour, Word(red));
}

TEST_F(GLWindowTest, PreparePickPassKeepsFittingBuffersAndRefitsChangedOnes) {
  const float* cells = window.depthBuffer.data.get();
  window.PreparePickPass();
  EXPECT_EQ(window.depthBuffer.data.get(), cells);

  // The surface grew but no size notification came: the pass still reads
  // the whole client area.
  ASSERT_TRUE(surface.SetSize(kWidth + 8, kHeight + 4));
  window.PreparePickPass();
  EXPECT_EQ(window.depthBuffer.width, kWidth + 8);
  EXPECT_EQ(window.colorBuffer.height, kHeight + 4);
  window.BeginScene();
  window.EndScene();
  std::uint32_t colour = 0;
  EXPECT_TRUE(window.ReadPickSample(kWidth + 7, kHeight + 3, nullptr, &colour));
  EXPECT_EQ(colour, 0xFFFFFFFFu);
}

// A surface whose pixel format has an alpha channel, as some platforms give
// whatever is asked for.
class AlphaSurface : public HeadlessSurface {
 public:
  using HeadlessSurface::HeadlessSurface;
  bool SetPixelFormat(const PixelFormat& format) override {
    PixelFormat withAlpha = format;
    withAlpha.alphaBits = 8;
    return HeadlessSurface::SetPixelFormat(withAlpha);
  }
};

TEST(GLWindowAlphaTest, PickPassReadsAlpha255EvenWithAnAlphaChannel) {
  AlphaSurface surface(8, 8);
  CGLWindow window;
  ASSERT_TRUE(CreateOnSurface(window, surface));
  GLint alphaBits = 0;
  glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
  if (alphaBits == 0) {
    window.Destroy();
    GTEST_SKIP() << "this EGL offers no pbuffer with alpha bits";
  }
  window.PreparePickPass();
  window.BeginScene();
  Fill(0, 0, 1, 1, {10, 20, 30, 0}, 0.5);
  window.EndScene();
  std::uint32_t colour = 0;
  ASSERT_TRUE(window.ReadPickSample(0, 0, nullptr, &colour));
  EXPECT_EQ(colour, Word({10, 20, 30, 255}));
  ASSERT_TRUE(window.ReadPickSample(7, 7, nullptr, &colour));
  EXPECT_EQ(colour, 0xFFFFFFFFu);
  window.Destroy();
}

TEST_F(GLWindowTest, ReadPickSampleAtTheEdges) {
  const RgbaCell bottomLeft{1, 2, 3, 255}, topRight{4, 5, 6, 255};
  window.PreparePickPass();
  window.BeginScene();
  Fill(0, 0, 1, 1, bottomLeft, 0.5);
  Fill(kWidth - 1, kHeight - 1, 1, 1, topRight, 0.75);
  window.EndScene();

  const struct {
    int x, y;
    bool inside;
    std::uint32_t colour;
    float depth;
  } cases[] = {
      {0, 0, true, Word(bottomLeft), 0.5f},
      {kWidth - 1, kHeight - 1, true, Word(topRight), 0.75f},
      {kWidth - 1, 0, true, 0xFFFFFFFFu, 1.0f},
      {kWidth, 0, false, 0, 0},
      {0, kHeight, false, 0, 0},
      {-1, 0, false, 0, 0},
      {0, -1, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
    float depth = -7.0f;
    std::uint32_t colour = 0xDEADBEEF;
    EXPECT_EQ(window.ReadPickSample(c.x, c.y, &depth, &colour), c.inside);
    if (c.inside) {
      EXPECT_EQ(colour, c.colour);
      EXPECT_NEAR(depth, c.depth, 1e-4);
    } else {
      EXPECT_EQ(colour, 0xDEADBEEF);
      EXPECT_EQ(depth, -7.0f);
    }
  }
  // Either output may be left out.
  EXPECT_TRUE(window.ReadPickSample(0, 0, nullptr, nullptr));

  window.FreeReadbackBuffers();
  EXPECT_EQ(window.depthBuffer.width, -1);
  EXPECT_EQ(window.colorBuffer.height, -1);
  EXPECT_FALSE(window.ReadPickSample(0, 0, nullptr, nullptr));
}

TEST_F(GLWindowTest, PickRayAndUnprojectFromTheDefaultCamera) {
  window.BeginScene();
  window.EndScene();
  Vec3 origin, direction;
  window.PickRay(kWidth / 2, kHeight / 2, origin, direction);
  EXPECT_EQ(origin.x, 0.0);
  EXPECT_EQ(origin.y, 0.8);
  EXPECT_EQ(origin.z, 2.41);
  // Straight ahead to the far plane, 1000 away (as near as single precision
  // matrices can unproject it).
  EXPECT_NEAR(direction.x / direction.Length(), 0.0, kGlFloat);
  EXPECT_NEAR(direction.y / direction.Length(), 0.0, kGlFloat);
  EXPECT_NEAR(direction.z, -1000.0, 5.0);

  // Window rows of PickRay count from the bottom, client rows of
  // UnprojectPoint from the top: row 0 of one is the other's last.
  const double halfHeight = std::tan(22.5 * M_PI / 180.0);
  window.PickRay(kWidth / 2, 0, origin, direction);
  EXPECT_NEAR(direction.y / -direction.z, -halfHeight, kGlFloat);
  Vec3 top;
  window.UnprojectPoint({kWidth / 2, 0}, 0.0, top);
  EXPECT_NEAR((top.y - 0.8) / (2.41 - top.z), halfHeight, 1e-4);  // the near plane blurs more
  EXPECT_NEAR(top.z, 2.41 - 0.01, kGlFloat);
}

std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t Le(const std::vector<unsigned char>& bytes, std::size_t offset, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(offset + i);
  return value;
}

class SaveBitmapTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CreateOnSurface(window, surface)); }
  void TearDown() override {
    window.Destroy();
    std::filesystem::remove(path);
  }

  HeadlessSurface surface{5, 3};
  CGLWindow window;
  std::string path = (std::filesystem::temp_directory_path() /
                      ("dendrix-bitmap-" + std::to_string(::getpid()) + ".bmp"))
                         .string();
};

RgbaCell TestColour(int x, int y) {
  return {static_cast<std::uint8_t>(40 * x + 1), static_cast<std::uint8_t>(60 * y + 2),
          static_cast<std::uint8_t>(10 * x + 20 * y + 3), 255};
}

TEST_F(SaveBitmapTest, FiveWideWindowWritesPaddedBottomUpRows) {
  window.BeginScene();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) Fill(x, y, 1, 1, TestColour(x, y), 1.0);
  ASSERT_TRUE(window.SaveBitmap(path));
  window.EndScene();

  const std::vector<unsigned char> file = ReadFile(path);
  const std::uint32_t rowSize = 16, imageSize = rowSize * 3;
  ASSERT_EQ(file.size(), 54u + imageSize);
  const struct {
    std::size_t offset;
    int size;
    std::uint32_t value;
  } fields[] = {
      {0, 2, 0x4D42}, {2, 4, 54 + imageSize},
      {6, 2, 0},      {8, 2, 0},
      {10, 4, 54},    {14, 4, 40},
      {18, 4, 5},     {22, 4, 3},
      {26, 2, 1},     {28, 2, 24},
      {30, 4, 0},     {34, 4, imageSize},
      {38, 4, 0},     {42, 4, 0},
      {46, 4, 0},     {50, 4, 0},
  };
  for (const auto& f : fields)
    EXPECT_EQ(Le(file, f.offset, f.size), f.value) << "offset " << f.offset;
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');

  for (int y = 0; y < 3; ++y) {
    const std::size_t row = 54 + y * rowSize;
    for (int x = 0; x < 5; ++x) {
      SCOPED_TRACE(testing::Message() << "pixel (" << x << ", " << y << ")");
      const RgbaCell c = TestColour(x, y);
      EXPECT_EQ(file[row + 3 * x + 0], c.b);
      EXPECT_EQ(file[row + 3 * x + 1], c.g);
      EXPECT_EQ(file[row + 3 * x + 2], c.r);
    }
    EXPECT_EQ(file[row + 15], 0) << "padding of row " << y;
  }
}

TEST_F(SaveBitmapTest, FailuresAreReported) {
  EXPECT_FALSE(window.SaveBitmap("/nonexistent-dendrix-folder/x.bmp"));
  // Every byte of this device's writes is refused.
  if (std::FILE* full = std::fopen("/dev/full", "wb")) {
    std::fclose(full);
    EXPECT_FALSE(window.SaveBitmap("/dev/full"));
  }
  window.Destroy();
  EXPECT_FALSE(window.SaveBitmap(path));
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
