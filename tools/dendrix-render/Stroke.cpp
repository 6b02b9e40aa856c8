#include "Stroke.h"

#include <cmath>

#include "tree/TreeRenderer.h"

namespace {

// Where the drag starts: low in the tree pane's default view, whose lower
// edge lies at y = -0.2 in the plane z = 0.
const Vec3 kPress(-0.1, -0.1, 0.0);
// The pointer moves along a circular arc that starts straight up and bends
// to the right; a larger radius bends it less.
constexpr double kBendRadius = 4.0;
// Far enough for any number of steps: a full stroke is about 1.8 long.
constexpr double kDragLength = 3.0;
// Distance the pointer moves between two mouse messages.
constexpr double kMouseStep = 0.01;

Vec3 PointerAt(double distance, bool straight) {
  if (straight) return kPress + Vec3(0.0, distance, 0.0);
  const double angle = distance / kBendRadius;
  return kPress + kBendRadius * Vec3(1.0 - std::cos(angle), std::sin(angle), 0.0);
}

}  // namespace

void DragDemoStroke(CTreeRenderer& renderer, int steps, bool straight) {
  renderer.BeginStroke(kPress);
  const std::size_t wanted = static_cast<std::size_t>(steps) + 1;
  for (double d = kMouseStep; d <= kDragLength && renderer.strokePoints.size() < wanted;
       d += kMouseStep) {
    renderer.ExtendStroke(PointerAt(d, straight));
  }
  renderer.EndStroke();
}

bool GrowStrokeThrough(CTreeRenderer& renderer, const std::vector<Vec3>& points) {
  if (points.empty()) return false;
  renderer.BeginStroke(points[0]);
  bool grown = true;
  for (std::size_t i = 1; i < points.size() && grown; ++i) {
    grown = renderer.GrowStroke(points[i] - points[i - 1]);
  }
  renderer.EndStroke();
  return grown;
}
