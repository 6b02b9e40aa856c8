#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "geometry/Vec3.h"
#include "gl/GLSurface.h"

// A mouse position in client pixels: x to the right, y downwards from the
// top-left corner, as the mouse messages give it.
struct ClientPoint {
  int x = 0;
  int y = 0;
};

// One colour cell as glReadPixels(GL_RGBA, GL_UNSIGNED_BYTE) stores it.
struct RgbaCell {
  std::uint8_t r, g, b, a;
};

// A read-back image of 4-byte cells, row 0 at the bottom of the window (the
// order OpenGL returns pixels in): cell (x, y) is data[x + y * width].
// Empty is width = height = -1 and no data.
template <typename Cell>
struct PixelBuffer {
  static_assert(sizeof(Cell) == 4, "read-back cells are 4 bytes");

  int width = -1;
  int height = -1;
  std::unique_ptr<Cell[]> data;

  // The address of cell (x, y), or null outside the image or when empty.
  Cell* At(int x, int y) const {
    if (!data || x < 0 || y < 0 || x >= width || y >= height) return nullptr;
    return &data[static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * width];
  }
  bool HasSize(int w, int h) const { return data && width == w && height == h; }
  // Replaces the cells by w x h new ones of undefined content; the buffer is
  // left empty when the size is not positive or the memory is not there.
  void Allocate(int w, int h);
  void Free() {
    data.reset();
    width = height = -1;
  }
};

// The kinds of drag held in CGLWindow::dragMode.
enum DragMode { kDragTrackball = 0, kDragPan = 1, kDragScale = 2, kDragDolly = 3, kDragOrbit = 4 };

// The rendering window of one pane: binds an OpenGL context on a GLSurface,
// draws scenes through BeginScene / EndScene, reads picking passes back into
// memory, and holds the pane's camera and its mouse drags.
//
// Protocol: MakeCurrent, BeginScene, the pane's drawing, EndScene. A picking
// pass is the same protocol preceded by PreparePickPass; its EndScene reads
// depth and colour back instead of swapping.
class CGLWindow {
 public:
  CGLWindow() = default;
  CGLWindow(const CGLWindow&) = delete;
  CGLWindow& operator=(const CGLWindow&) = delete;

  // Attaches to surface: pixel format, context, make current, InitGL. The
  // context stays current. False at the first step that fails.
  virtual bool Create(GLSurface* surface);
  virtual void BeginScene();
  // Presents the scene, or reads a picking pass back; then releases the
  // context and returns whether that succeeded.
  virtual bool EndScene();
  // Releases and deletes the context and detaches from the surface; the
  // object draws nothing afterwards.
  virtual void Destroy();
  // New client size in pixels; a size below 1 in either direction changes
  // nothing.
  virtual void Resize(int width, int height);
  // One mouse move of an orbit (dragMode 4) or dolly (dragMode 3) drag.
  // False, with nothing changed, when no drag runs or the surface lost the
  // mouse capture.
  virtual bool DragEye(const ClientPoint& point);
  virtual void EndDrag();
  // Model-matrix drags: trackball (mode 0), pan (1) and scale (2).
  virtual void BeginDrag(const ClientPoint& point);
  virtual void BeginPan(const ClientPoint& point);
  virtual void BeginScale(const ClientPoint& point);
  // One move of a model-matrix drag; pivot (or null) is the trackball's
  // centre of rotation.
  virtual bool DragModel(const ClientPoint& point, const Vec3* pivot);
  // EndDrag without touching the context.
  virtual void ReleaseDrag();
  virtual bool MakeCurrent();
  // Writes the client area to path as an uncompressed 24-bit BMP.
  virtual bool SaveBitmap(const std::string& path);
  virtual bool InitGL();
  // Fixed-function state and the default camera.
  virtual void InitGLState();
  virtual bool SetupPixelFormat();

  // Sizes both read-back buffers to the client area (keeping buffers that
  // already fit) and arms the next scene as a picking pass.
  void PreparePickPass();
  // Copies cell (x, y) of the read-back buffers, row 0 at the bottom. The
  // colour word is red + 256 green + 65536 blue + 16777216 alpha. False, with
  // nothing written, outside the depth buffer.
  bool ReadPickSample(int x, int y, float* depth, std::uint32_t* colour) const;
  // The world point at client point (y downwards) and window depth.
  void UnprojectPoint(const ClientPoint& point, double depth, Vec3& result);
  // The ray from the eye through window point (x, y), y measured from the
  // bottom; direction reaches the far plane and is not normalised.
  void PickRay(int x, int y, Vec3& origin, Vec3& direction);
  void FreeReadbackBuffers();
  // The default camera, loaded into the modelview matrix; releases the context.
  void ResetEye();
  // Turns the eye about center: by alpha about up, then by beta about the
  // side axis; up turns with it.
  void RotateEye(double alpha, double beta);

  GLSurface* window = nullptr;
  bool inScene = false;
  float clearColor[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  bool dragging = false;
  int dragMode = kDragTrackball;
  Vec3 eye;
  Vec3 center;
  Vec3 up;
  int lastMouseX = 0;
  int lastMouseY = 0;
  PixelBuffer<float> depthBuffer;
  PixelBuffer<RgbaCell> colorBuffer;
  bool pickPass = false;

 private:
  void ClientSize(int& width, int& height) const;
  void FitReadbackBuffers(int width, int height);
  void SetDefaultCamera();
  void LoadCamera() const;
};
