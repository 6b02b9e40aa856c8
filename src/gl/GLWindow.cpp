#include "gl/GLWindow.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "geometry/Matrix4.h"

namespace {

const Vec3 kDefaultEye(0.0, 0.8, 2.41);
const Vec3 kDefaultCenter(0.0, 0.8, 0.0);
const Vec3 kDefaultUp(0.0, 1.0, 0.0);

constexpr double kFieldOfViewDegrees = 45.0;
constexpr double kNearPlane = 0.01;
constexpr double kFarPlane = 1000.0;

constexpr double kOrbitPerPixel = -0.005;
constexpr double kDollyPerPixel = 1.0 / 300.0;
// A dolly step that would end this close to the centre, or closer, is refused.
constexpr double kMinDollyDistance = 1.0;
constexpr double kDegreesPerRadian = 57.29577951308239;
constexpr double kPanFactor = -10.0;
constexpr double kPanDepth = 0.5;
constexpr float kScalePerPixel = 0.01f;
constexpr float kMinScale = 0.01f;

// The current modelview and projection matrices and the viewport.
struct Projection {
  GLdouble modelview[16] = {};
  GLdouble projection[16] = {};
  GLint viewport[4] = {};

  Projection() {
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
  }
  // Window point to world point; false (result untouched) when the matrices
  // cannot be inverted.
  bool Unproject(double x, double y, double depth, Vec3& result) const {
    GLdouble wx = 0, wy = 0, wz = 0;
    if (gluUnProject(x, y, depth, modelview, projection, viewport, &wx, &wy, &wz) != GL_TRUE) {
      return false;
    }
    result.Assign(Vec3(wx, wy, wz));
    return true;
  }
};

// Little-endian fields of the BMP headers.
void Put16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

void Put32(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;

}  // namespace

template <typename Cell>
void PixelBuffer<Cell>::Allocate(int w, int h) {
  Free();
  if (w < 1 || h < 1) return;
  data.reset(new (std::nothrow) Cell[static_cast<std::size_t>(w) * static_cast<std::size_t>(h)]);
  if (!data) return;
  width = w;
  height = h;
}

template struct PixelBuffer<float>;
template struct PixelBuffer<RgbaCell>;

bool CGLWindow::Create(GLSurface* surface) {
  window = surface;
  if (!window) return false;
  if (!SetupPixelFormat()) return false;
  if (!window->CreateContext()) return false;
  if (!MakeCurrent()) return false;
  return InitGL();
}

bool CGLWindow::SetupPixelFormat() { return window && window->SetPixelFormat(PixelFormat()); }

bool CGLWindow::InitGL() {
  InitGLState();
  return true;
}

void CGLWindow::InitGLState() {
  glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
  glClearDepth(1.0);

  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  const GLfloat materialSpecular[] = {0.0f, 0.0f, 0.05f, 1.0f};
  const GLfloat materialDiffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
  const GLfloat materialAmbient[] = {0.3f, 0.3f, 0.3f, 1.0f};
  glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, materialDiffuse);
  glMaterialfv(GL_FRONT, GL_AMBIENT, materialAmbient);
  glMaterialf(GL_FRONT, GL_SHININESS, 1.5f);

  const GLfloat light1Ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
  const GLfloat light1Diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f};
  const GLfloat light1Specular[] = {0.2f, 0.2f, 0.2f, 1.0f};
  glLightfv(GL_LIGHT1, GL_AMBIENT, light1Ambient);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, light1Diffuse);
  glLightfv(GL_LIGHT1, GL_SPECULAR, light1Specular);

  const GLfloat light2Ambient[] = {0.2f, 0.2f, 0.2f, 1.0f};
  const GLfloat light2Diffuse[] = {0.5f, 0.5f, 0.5f, 1.0f};
  const GLfloat light2Specular[] = {0.3f, 0.3f, 0.3f, 1.0f};
  glLightfv(GL_LIGHT2, GL_AMBIENT, light2Ambient);
  glLightfv(GL_LIGHT2, GL_DIFFUSE, light2Diffuse);
  glLightfv(GL_LIGHT2, GL_SPECULAR, light2Specular);

  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glShadeModel(GL_SMOOTH);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);

  glCullFace(GL_BACK);
  glPolygonMode(GL_FRONT, GL_FILL);
  glEnable(GL_CULL_FACE);

  SetDefaultCamera();
}

bool CGLWindow::MakeCurrent() {
  if (!window) return false;
  if (window->MakeCurrent()) return true;
  // As a failed make-current does on other window systems, leave no context
  // current, so that the calls that follow cannot draw into another pane.
  window->ReleaseCurrent();
  return false;
}

void CGLWindow::Resize(int width, int height) {
  MakeCurrent();
  if (width < 1 || height < 1) return;
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(kFieldOfViewDegrees, static_cast<double>(width) / height, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  LoadCamera();
  depthBuffer.Allocate(width, height);
  colorBuffer.Allocate(width, height);
}

void CGLWindow::BeginScene() {
  inScene = true;
  MakeCurrent();
  if (pickPass) {
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);
  } else {
    glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
  }
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_ACCUM_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  LoadCamera();
}

bool CGLWindow::EndScene() {
  glFinish();
  if (pickPass) {
    pickPass = false;
    int w = 0, h = 0;
    ClientSize(w, h);
    // The surface may have changed size since PreparePickPass; the buffers
    // must hold the whole image that is read.
    FitReadbackBuffers(w, h);
    if (depthBuffer.HasSize(w, h) && colorBuffer.HasSize(w, h)) {
      glPixelStorei(GL_PACK_ALIGNMENT, 4);
      glReadPixels(0, 0, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, depthBuffer.data.get());
      glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, colorBuffer.data.get());
      // The framebuffer is meant to have no alpha channel; where the surface
      // has one anyway, the picking code still needs the opaque value.
      const std::size_t cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
      for (std::size_t i = 0; i < cells; ++i) colorBuffer.data[i].a = 255;
    }
  } else if (window) {
    window->SwapBuffers();
  }
  inScene = false;
  return window && window->ReleaseCurrent();
}

void CGLWindow::Destroy() {
  if (!window) return;
  MakeCurrent();
  window->ReleaseCurrent();
  window->DestroyContext();
  // The surface goes away with its view; nothing may reach it from here on.
  window = nullptr;
}

void CGLWindow::PreparePickPass() {
  int w = 0, h = 0;
  ClientSize(w, h);
  FitReadbackBuffers(w, h);
  pickPass = true;
}

void CGLWindow::FitReadbackBuffers(int width, int height) {
  if (!depthBuffer.HasSize(width, height)) depthBuffer.Allocate(width, height);
  if (!colorBuffer.HasSize(width, height)) colorBuffer.Allocate(width, height);
}

bool CGLWindow::ReadPickSample(int x, int y, float* depth, std::uint32_t* colour) const {
  const float* depthCell = depthBuffer.At(x, y);
  const RgbaCell* colourCell = colorBuffer.At(x, y);
  if (!depthCell || !colourCell) return false;
  if (depth) *depth = *depthCell;
  if (colour) {
    *colour = static_cast<std::uint32_t>(colourCell->r) |
              static_cast<std::uint32_t>(colourCell->g) << 8 |
              static_cast<std::uint32_t>(colourCell->b) << 16 |
              static_cast<std::uint32_t>(colourCell->a) << 24;
  }
  return true;
}

void CGLWindow::UnprojectPoint(const ClientPoint& point, double depth, Vec3& result) {
  MakeCurrent();
  const Projection projection;
  projection.Unproject(point.x, projection.viewport[3] - point.y, depth, result);
}

void CGLWindow::PickRay(int x, int y, Vec3& origin, Vec3& direction) {
  MakeCurrent();
  const Projection projection;
  origin.Assign(eye);
  Vec3 farPoint;
  if (projection.Unproject(x, y, 1.0, farPoint)) direction.Assign(farPoint - origin);
}

void CGLWindow::FreeReadbackBuffers() {
  colorBuffer.Free();
  depthBuffer.Free();
}

void CGLWindow::ClientSize(int& width, int& height) const {
  width = height = 0;
  if (window) window->GetClientSize(width, height);
}

void CGLWindow::SetDefaultCamera() {
  eye = kDefaultEye;
  center = kDefaultCenter;
  up = kDefaultUp;
}

void CGLWindow::LoadCamera() const {
  glLoadIdentity();
  gluLookAt(eye.x, eye.y, eye.z, center.x, center.y, center.z, up.x, up.y, up.z);
}

void CGLWindow::ResetEye() {
  MakeCurrent();
  SetDefaultCamera();
  glMatrixMode(GL_MODELVIEW);
  LoadCamera();
  if (window) window->ReleaseCurrent();
}

void CGLWindow::RotateEye(double alpha, double beta) {
  const Vec3 side = (center - eye).Cross(up);
  Matrix4 aboutUp, aboutSide;
  aboutUp.SetAxisRotation(up, std::cos(alpha), std::sin(alpha));
  aboutSide.SetAxisRotation(side, std::cos(beta), std::sin(beta));
  const Matrix4 rotation = aboutSide.Multiply(aboutUp);
  const Vec3 offset = rotation.TransformPoint(eye - center);
  up = rotation.TransformPoint(up);
  eye = center + offset;
}

bool CGLWindow::DragEye(const ClientPoint& point) {
  MakeCurrent();
  if (!dragging || !window || !window->HasMouseCapture()) return false;
  const int dx = point.x - lastMouseX;
  const int dy = point.y - lastMouseY;
  if (dragMode == kDragOrbit) {
    RotateEye(dx * kOrbitPerPixel, dy * kOrbitPerPixel);
  } else if (dragMode == kDragDolly) {
    Vec3 towardsCenter = center - eye;
    towardsCenter.Normalize();
    const Vec3 candidate = eye + (dy * kDollyPerPixel) * towardsCenter;
    if ((candidate - center).Length() > kMinDollyDistance) eye = candidate;
    glMatrixMode(GL_MODELVIEW);
    LoadCamera();
  }
  lastMouseX = point.x;
  lastMouseY = point.y;
  return true;
}

void CGLWindow::EndDrag() {
  MakeCurrent();
  ReleaseDrag();
}

void CGLWindow::ReleaseDrag() {
  if (!window || !window->HasMouseCapture()) return;
  dragging = false;
  window->ReleaseMouse();
}

void CGLWindow::BeginDrag(const ClientPoint& point) {
  dragging = true;
  lastMouseX = point.x;
  lastMouseY = point.y;
  if (window) window->CaptureMouse();
  dragMode = kDragTrackball;
}

void CGLWindow::BeginPan(const ClientPoint& point) {
  BeginDrag(point);
  dragMode = kDragPan;
}

void CGLWindow::BeginScale(const ClientPoint& point) {
  BeginDrag(point);
  dragMode = kDragScale;
}

bool CGLWindow::DragModel(const ClientPoint& point, const Vec3* pivot) {
  MakeCurrent();
  if (!dragging || !window || !window->HasMouseCapture()) return false;
  int w = 0, h = 0;
  ClientSize(w, h);
  if (dragMode == kDragTrackball && w > 0 && h > 0) {
    const double r = 1.0 / std::min(w, h);
    const int cx = w / 2, cy = h / 2;
    Vec3 a((lastMouseX - cx) * r, (lastMouseY - cy) * r, 1.0);
    Vec3 b((point.x - cx) * r, (point.y - cy) * r, 1.0);
    const Vec3 axis = a.Normalized().Cross(b.Normalized());
    // Rounding can put the length of a cross of unit vectors a hair above 1.
    const double angle = 2.0 * std::asin(std::min(1.0, axis.Length()));
    GLdouble current[16];
    glMatrixMode(GL_MODELVIEW);
    glGetDoublev(GL_MODELVIEW_MATRIX, current);
    glLoadIdentity();
    if (pivot) glTranslated(pivot->x, pivot->y, pivot->z);
    glRotated(angle * kDegreesPerRadian, -axis.x, axis.y, axis.z);
    if (pivot) glTranslated(-pivot->x, -pivot->y, -pivot->z);
    glMultMatrixd(current);
  } else if (dragMode == kDragPan) {
    const Projection projection;
    const int viewportWidth = projection.viewport[2];
    Vec3 now, before;
    if (projection.Unproject(viewportWidth - point.x, point.y, kPanDepth, now) &&
        projection.Unproject(viewportWidth - lastMouseX, lastMouseY, kPanDepth, before)) {
      const Vec3 shift = kPanFactor * (now - before);
      glMatrixMode(GL_MODELVIEW);
      glTranslated(shift.x, shift.y, shift.z);
    }
  } else if (dragMode == kDragScale) {
    const float f = std::max(kMinScale, (lastMouseY - point.y) * kScalePerPixel + 1.0f);
    GLdouble current[16];
    glMatrixMode(GL_MODELVIEW);
    glGetDoublev(GL_MODELVIEW_MATRIX, current);
    glLoadIdentity();
    glScalef(f, f, f);
    glMultMatrixd(current);
  }
  lastMouseX = point.x;
  lastMouseY = point.y;
  window->RepaintNow();
  return true;
}

bool CGLWindow::SaveBitmap(const std::string& path) {
  int w = 0, h = 0;
  ClientSize(w, h);
  if (w < 1 || h < 1) return false;
  const std::size_t rowSize = (3 * static_cast<std::size_t>(w) + 3) / 4 * 4;
  const std::size_t imageSize = rowSize * static_cast<std::size_t>(h);
  if (kFileHeaderSize + kInfoHeaderSize + imageSize > UINT32_MAX) return false;

  // Zeroed, so that the row padding, which glReadPixels skips, is written as 0.
  std::unique_ptr<unsigned char[]> pixels(new (std::nothrow) unsigned char[imageSize]());
  if (!pixels) return false;
  if (!MakeCurrent()) return false;
  // Rows of rowSize bytes: a pack alignment of 4 pads each row as BMP wants.
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, w, h, GL_BGR, GL_UNSIGNED_BYTE, pixels.get());

  unsigned char header[kFileHeaderSize + kInfoHeaderSize] = {};
  Put16(header + 0, 0x4D42);  // "BM"
  Put32(header + 2, static_cast<std::uint32_t>(sizeof header + imageSize));
  Put32(header + 10, sizeof header);
  Put32(header + 14, kInfoHeaderSize);
  Put32(header + 18, static_cast<std::uint32_t>(w));
  Put32(header + 22, static_cast<std::uint32_t>(h));  // positive: rows bottom-up
  Put16(header + 26, 1);                              // planes
  Put16(header + 28, 24);                             // bits per pixel
  Put32(header + 34, static_cast<std::uint32_t>(imageSize));

  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(header, 1, kFileHeaderSize, file) == kFileHeaderSize &&
                       std::fwrite(header + kFileHeaderSize, 1, kInfoHeaderSize, file) ==
                           kInfoHeaderSize &&
                       std::fwrite(pixels.get(), 1, imageSize, file) == imageSize;
  // Closing flushes the last bytes, so its failure is a short write too.
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}
