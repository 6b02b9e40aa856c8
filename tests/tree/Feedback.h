#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "geometry/Vec3.h"

// What OpenGL feedback mode reports of a drawing: every primitive after
// transformation, lighting and clipping, with its vertices' colours.
struct FeedbackVertex {
  Vec3 position;  // back in the coordinates the drawing was given in
  std::array<float, 4> rgba;
};

struct FeedbackPrimitive {
  GLint token;  // GL_POLYGON_TOKEN, GL_LINE_TOKEN, GL_LINE_RESET_TOKEN, GL_POINT_TOKEN
  std::vector<FeedbackVertex> vertices;
};

// Runs draw in feedback mode with the identity modelview matrix under an
// orthographic view of the cube [-kFeedbackExtent, kFeedbackExtent]^3, so
// that the window coordinates feedback reports map back exactly to the
// coordinates of the draw calls. The projection, modelview and viewport are
// left as this sets them.
constexpr double kFeedbackExtent = 4.0;

inline std::vector<FeedbackPrimitive> Feedback(const std::function<void()>& draw) {
  constexpr int kViewport = 1000;
  glViewport(0, 0, kViewport, kViewport);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(-kFeedbackExtent, kFeedbackExtent, -kFeedbackExtent, kFeedbackExtent, -kFeedbackExtent,
          kFeedbackExtent);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  std::vector<GLfloat> buffer(1 << 23);
  glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR, buffer.data());
  glRenderMode(GL_FEEDBACK);
  draw();
  const GLint used = glRenderMode(GL_RENDER);
  EXPECT_GE(used, 0) << "feedback buffer overflow";

  const auto vertexAt = [&](GLint& i) {
    const double half = kViewport / 2.0;
    FeedbackVertex v;
    v.position = Vec3((buffer[i] / half - 1.0) * kFeedbackExtent,
                      (buffer[i + 1] / half - 1.0) * kFeedbackExtent,
                      (1.0 - 2.0 * buffer[i + 2]) * kFeedbackExtent);
    v.rgba = {buffer[i + 3], buffer[i + 4], buffer[i + 5], buffer[i + 6]};
    i += 7;
    return v;
  };
  std::vector<FeedbackPrimitive> primitives;
  for (GLint i = 0; i < used;) {
    FeedbackPrimitive primitive{static_cast<GLint>(buffer[i++]), {}};
    int count = 0;
    switch (primitive.token) {
      case GL_POLYGON_TOKEN:
        count = static_cast<int>(buffer[i++]);
        break;
      case GL_LINE_TOKEN:
      case GL_LINE_RESET_TOKEN:
        count = 2;
        break;
      case GL_POINT_TOKEN:
      case GL_BITMAP_TOKEN:
      case GL_DRAW_PIXEL_TOKEN:
      case GL_COPY_PIXEL_TOKEN:
        count = 1;
        break;
      case GL_PASS_THROUGH_TOKEN:
        ++i;
        break;
      default:
        ADD_FAILURE() << "unknown feedback token " << primitive.token;
        return primitives;
    }
    for (int k = 0; k < count; ++k) primitive.vertices.push_back(vertexAt(i));
    primitives.push_back(std::move(primitive));
  }
  return primitives;
}

// All vertices of the polygons, or of the lines, in drawing order.
inline std::vector<FeedbackVertex> PolygonVertices(const std::vector<FeedbackPrimitive>& all) {
  std::vector<FeedbackVertex> result;
  for (const FeedbackPrimitive& p : all) {
    if (p.token == GL_POLYGON_TOKEN) result.insert(result.end(), p.vertices.begin(), p.vertices.end());
  }
  return result;
}

inline std::vector<FeedbackPrimitive> Lines(const std::vector<FeedbackPrimitive>& all) {
  std::vector<FeedbackPrimitive> result;
  for (const FeedbackPrimitive& p : all) {
    if (p.token == GL_LINE_TOKEN || p.token == GL_LINE_RESET_TOKEN) result.push_back(p);
  }
  return result;
}
