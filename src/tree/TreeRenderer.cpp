#include "tree/TreeRenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "geometry/Matrix4.h"
#include "geometry/MatrixFunctions.h"
#include "model/BranchModel.h"

namespace {

CTreeRenderer* g_treeRenderer = nullptr;

bool IsFinite(const Vec3& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// An axis for turning `from` round by π. Mouse strokes lie in the plane
// z = 0, where every turn along the axis is about Z; Z (its part
// perpendicular to `from`) keeps such a stroke in that family of turns.
Vec3 HalfTurnAxis(const Vec3& from) {
  const Vec3 axis = from.Cross({0.0, 0.0, 1.0}).Cross(from);
  if (axis.Length() == 0.0) return {1.0, 0.0, 0.0};  // from is along Z
  return axis;
}

void Vertex(const Vec3& normal, double x, double y, double z) {
  glNormal3d(normal.x, normal.y, normal.z);
  glVertex3d(x, y, z);
}

// The four side faces of a segment, each its own GL_QUADS primitive.
void EmitSegmentFaces(double bottomWidth, double topWidth, double length) {
  const double h = bottomWidth / 2.0;
  const double e = topWidth / 2.0;
  const double top = CTreeRenderer::kSegmentOverlap * length;
  // The corners in the order the faces +Z, +X, −Z, −X walk round them: face f
  // runs from corner f to corner f + 1 at the bottom and back at the top.
  struct Corner {
    double sx, sz;
    const Vec3& normal;
  };
  const Corner corners[4] = {{-1.0, 1.0, CTreeRenderer::segmentNormals[3]},
                             {1.0, 1.0, CTreeRenderer::segmentNormals[0]},
                             {1.0, -1.0, CTreeRenderer::segmentNormals[1]},
                             {-1.0, -1.0, CTreeRenderer::segmentNormals[2]}};
  for (int f = 0; f < 4; ++f) {
    const Corner& a = corners[f];
    const Corner& b = corners[(f + 1) % 4];
    glBegin(GL_QUADS);
    Vertex(a.normal, a.sx * h, 0.0, a.sz * h);
    Vertex(b.normal, b.sx * h, 0.0, b.sz * h);
    Vertex(b.normal, b.sx * e, top, b.sz * e);
    Vertex(a.normal, a.sx * e, top, a.sz * e);
    glEnd();
  }
}

}  // namespace

CTreeRenderer* GetTreeRenderer() {
  if (!g_treeRenderer) g_treeRenderer = new CTreeRenderer();
  return g_treeRenderer;
}

void DeleteTreeRenderer() {
  delete g_treeRenderer;
  g_treeRenderer = nullptr;
}

CTreeRenderer::CTreeRenderer() = default;
CTreeRenderer::~CTreeRenderer() = default;

bool CTreeRenderer::ReferenceDrawingRequested() {
  static const bool requested = [] {
    const char* value = std::getenv("DENDRIX_REFERENCE_RENDERER");
    return value && *value && std::string_view(value) != "0";
  }();
  return requested;
}

// Parallel directions have no rotation axis, so the zero cross product is
// caught here rather than left to the angle, whose cosine rounding can leave
// a hair below 1.
Matrix4 CTreeRenderer::TurnBetween(const Vec3& from, const Vec3& to) {
  Matrix4 turn;
  Vec3 axis = from.Cross(to);
  if (axis.x == 0.0 && axis.y == 0.0 && axis.z == 0.0) {
    if (from.Dot(to) < 0.0) turn.SetAxisRotation(HalfTurnAxis(from), -1.0, 0.0);
    return turn;
  }
  axis.Normalized();
  const double angle = SignedAngle(from, to, axis);
  turn.SetAxisRotation(axis, std::cos(angle), std::sin(angle));
  return turn;
}

void CTreeRenderer::Draw() {
  if (!enabled) return;

  static constexpr float kLight0Position[4] = {5.0f, 0.0f, 6.0f, 1.0f};
  static constexpr float kLight1Position[4] = {-1.0f, 10.0f, -6.0f, 1.0f};
  glEnable(GL_LIGHT0);
  glEnable(GL_LIGHT1);
  glLightfv(GL_LIGHT0, GL_POSITION, kLight0Position);
  glLightfv(GL_LIGHT1, GL_POSITION, kLight1Position);

  DrawStrokeGuide();
  if (referenceDrawing) {
    DrawTree();
  } else {
    DrawCachedTree();
  }

  // Coordinate axes: X red, Y and Z both blue.
  glDisable(GL_LIGHTING);
  glLineWidth(3.0f);
  glBegin(GL_LINES);
  glColor3f(1.0f, 0.0f, 0.0f);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(0.2, 0.0, 0.0);
  glColor3f(0.0f, 0.0f, 1.0f);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(0.0, 0.2, 0.0);
  glColor3f(0.0f, 0.0f, 1.0f);
  glVertex3d(0.0, 0.0, 0.0);
  glVertex3d(0.0, 0.0, 0.2);
  glEnd();
}

void CTreeRenderer::DrawStrokeGuide() {
  if (strokeActive == 0.0 || strokePoints.empty()) return;
  const Vec3& last = strokePoints.back();
  glDisable(GL_LIGHTING);
  glShadeModel(GL_FLAT);
  glColor3f(0.95f, 0.95f, 0.95f);
  glLineWidth(8.0f);
  glBegin(GL_LINES);
  glVertex3d(last.x, last.y, last.z);
  glVertex3d(strokeTarget.x, strokeTarget.y, strokeTarget.z);
  glEnd();
}

void CTreeRenderer::DrawTree() {
  const int n = static_cast<int>(strokePoints.size());
  if (n < 2) return;

  CBranchModel& model = *GetBranchModel();
  const HandleRecord& axisRecord = model.AxisRecord();
  const double lengthRatio = axisRecord.lengthRatio;
  const double widthRatio = axisRecord.widthRatio;

  glPushMatrix();
  glTranslated(strokePoints[0].x, strokePoints[0].y, strokePoints[0].z);

  Vec3 previousDirection(0.0, 1.0, 0.0);
  Vec3 previousPoint = strokePoints[0];
  double length = model.trunkLength * treeScale;
  double width = model.trunkWidth * treeScale;
  Matrix4 twist;  // the axis record's rotation to the power of the node index
  for (int i = 1; i < n; ++i) {
    // The turns accumulate in the current frame, node after node; only the
    // stroke's directions matter, the segment lengths follow the rule.
    const Vec3 direction = strokePoints[i] - previousPoint;
    glMultMatrixd(TurnBetween(previousDirection, direction).m);

    const double topWidth = width * widthRatio;
    if (polygonMode) {
      DrawSegment(width, topWidth, length, trunkAmbient, trunkDiffuse);
    } else {
      DrawBarkSegment(width, topWidth, length);
    }
    glTranslated(0.0, length, 0.0);

    // The twist applies to this node's side branches only.
    twist = twist.Multiply(axisRecord.rotation);
    glPushMatrix();
    glMultMatrixd(twist.m);
    for (int k = 0; k < CBranchModel::kHandleCount; ++k) {
      if (model.Handle(k).active) DrawBranch(n - i + 1, k, length, topWidth);
    }
    glPopMatrix();

    length *= lengthRatio;
    width = topWidth;
    previousDirection = direction;
    previousPoint = strokePoints[i];
  }

  glPopMatrix();
}

void CTreeRenderer::DrawCachedTree() {
  if (!geometryCache_) geometryCache_ = std::make_unique<CTreeGeometryCache>();
  if (!CTreeGeometryCache::CanDraw() || !geometryCache_->Update(*this, *GetBranchModel())) {
    DrawTree();
    return;
  }
  geometryCache_->Draw([this](CTreeGeometryCache::Material material,
                              const CTreeGeometryCache::Material* previous) {
    SetMaterial(material, previous);
  });
}

void CTreeRenderer::DrawBranch(int depth, int handleIndex, double parentLength,
                               double parentWidth) {
  if (depth <= 0) return;
  if (depth == 1) {
    // The leaf sits at the tip of the calling segment, once per active handle.
    if (!polygonMode) DrawLeaf(kLeafWidth, kLeafLength);
    return;
  }
  if (!CBranchModel::IsHandleIndex(handleIndex)) return;

  CBranchModel& model = *GetBranchModel();
  const HandleRecord& handle = model.Handle(handleIndex);
  const double length = handle.lengthRatio * parentLength;
  const double width = handle.widthRatio * parentWidth;

  glPushMatrix();
  glMultMatrixd(handle.rotation.m);
  if (polygonMode) {
    if (depth == 2) {
      DrawSegment(width, width * handle.widthRatio, length, tipAmbient, tipDiffuse);
    } else {
      DrawSegment(width, width * handle.widthRatio, length, branchAmbient, branchDiffuse);
    }
  } else {
    DrawBarkSegment(width, width * handle.widthRatio, length);
  }
  glTranslated(0.0, length, 0.0);
  // Children get this segment's base width, not its top width.
  for (int j = 0; j < CBranchModel::kHandleCount; ++j) {
    if (model.Handle(j).active) DrawBranch(depth - 1, j, length, width);
  }
  glPopMatrix();
}

void CTreeRenderer::BeginPrimitive(const float* ambient, const float* diffuse,
                                   const float* specular, float shininess,
                                   const float* flatColor) const {
  glDisable(GL_CULL_FACE);
  if (lighting) {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, shininess);
  } else {
    glShadeModel(GL_FLAT);
    glDisable(GL_LIGHTING);
    glColor4fv(flatColor);
  }
}

CTreeRenderer::MaterialData CTreeRenderer::DataOf(CTreeGeometryCache::Material material) {
  switch (material) {
    case CTreeGeometryCache::kTrunk:
      return {trunkAmbient, trunkDiffuse, segmentSpecular, segmentShininess, trunkAmbient};
    case CTreeGeometryCache::kBranch:
      return {branchAmbient, branchDiffuse, segmentSpecular, segmentShininess, branchAmbient};
    case CTreeGeometryCache::kTip:
      return {tipAmbient, tipDiffuse, segmentSpecular, segmentShininess, tipAmbient};
    case CTreeGeometryCache::kBark:
      return {barkAmbient, barkDiffuse, barkSpecular, barkShininess, barkAmbient};
    case CTreeGeometryCache::kLeaf:
      break;
  }
  return {leafAmbient, leafDiffuse, leafSpecular, leafShininess, leafDiffuse};
}

void CTreeRenderer::SetMaterial(CTreeGeometryCache::Material material,
                                const CTreeGeometryCache::Material* previous) const {
  const MaterialData data = DataOf(material);
  if (!previous) {
    BeginPrimitive(data.ambient, data.diffuse, data.specular, data.shininess, data.flatColor);
    return;
  }
  // Between primitives only the material or the flat colour changes.
  if (!lighting) {
    glColor4fv(data.flatColor);
    return;
  }
  const MaterialData before = DataOf(*previous);
  glMaterialfv(GL_FRONT, GL_DIFFUSE, data.diffuse);
  glMaterialfv(GL_FRONT, GL_AMBIENT, data.ambient);
  if (!std::equal(data.specular, data.specular + 4, before.specular)) {
    glMaterialfv(GL_FRONT, GL_SPECULAR, data.specular);
  }
  if (data.shininess != before.shininess) glMaterialf(GL_FRONT, GL_SHININESS, data.shininess);
}

void CTreeRenderer::DrawSegment(double bottomWidth, double topWidth, double length,
                                const float (&ambient)[4], const float (&diffuse)[4]) {
  BeginPrimitive(ambient, diffuse, segmentSpecular, segmentShininess, ambient);
  EmitSegmentFaces(bottomWidth, topWidth, length);
}

void CTreeRenderer::DrawBarkSegment(double bottomWidth, double topWidth, double length) {
  BeginPrimitive(barkAmbient, barkDiffuse, barkSpecular, barkShininess, barkAmbient);
  EmitSegmentFaces(bottomWidth, topWidth, length);
}

void CTreeRenderer::DrawLeaf(double width, double length) {
  BeginPrimitive(leafAmbient, leafDiffuse, leafSpecular, leafShininess, leafDiffuse);
  const double d = std::min(width, kLeafWidthCap);
  const double c = std::min(length, kLeafLengthCap);
  const Vec3 a(0.0, 0.0, 0.0), b(0.0, c, c / 4.0), left(-2.0 * d, c, c / 2.0),
      right(2.0 * d, c, c / 2.0), tip(0.0, 2.0 * c, 0.0);
  struct LeafVertex {
    const Vec3& point;
    const Vec3& normal;
  };
  const LeafVertex vertices[12] = {
      {a, leafNormals[0]},     {b, leafNormals[2]},     {left, leafNormals[1]},
      {a, leafNormals[0]},     {right, leafNormals[3]}, {b, leafNormals[2]},
      {b, leafNormals[2]},     {tip, leafNormals[4]},   {left, leafNormals[1]},
      {b, leafNormals[2]},     {right, leafNormals[3]}, {tip, leafNormals[4]},
  };
  glBegin(GL_TRIANGLES);
  for (const LeafVertex& v : vertices) Vertex(v.normal, v.point.x, v.point.y, v.point.z);
  glEnd();
}

void CTreeRenderer::BeginStroke(const Vec3& point) {
  strokePoints.clear();
  strokePoints.shrink_to_fit();
  strokePoints.push_back(point);
  strokeTarget.Assign(point);
  stepLength = GetBranchModel()->trunkLength * treeScale;
  strokeActive = 1.0;
}

bool CTreeRenderer::AppendStep(const Vec3& unit) {
  // A zero or non-finite vector normalises to NaN, one whose length
  // overflows to zero: neither gives a step.
  if (!(std::abs(unit.Length() - 1.0) < 1e-9)) return false;
  const Vec3 next = strokePoints.back() + stepLength * unit;
  if (!IsFinite(next)) return false;
  strokePoints.push_back(next);
  stepLength *= GetBranchModel()->AxisRecord().lengthRatio;
  return true;
}

void CTreeRenderer::ExtendStroke(const Vec3& target) {
  if (strokePoints.empty() || strokePoints.size() >= kMaxStrokePoints) return;
  strokeTarget.Assign(target);
  Vec3 toward = strokeTarget - strokePoints.back();
  // Written so that a NaN distance also stops here.
  if (!(toward.Length() >= stepLength)) return;
  AppendStep(toward.Normalized());
}

bool CTreeRenderer::GrowStroke(const Vec3& direction) {
  if (strokePoints.empty() || strokePoints.size() >= kMaxStrokePoints) return false;
  Vec3 unit = direction;
  return AppendStep(unit.Normalized());
}

void CTreeRenderer::EndStroke() { strokeActive = 0.0; }
