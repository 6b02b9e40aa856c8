#pragma once

#include <cmath>
#include <string>

#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

// What no OSC packet may leave behind, whatever its bytes: a ratio outside
// its range (unless it kept the value it had before the packet), a rotation
// with an element that is not finite, a stroke of more than the renderer's
// maximum number of points or with a point that is not finite, an eye of
// the tree pane that is not at a finite position. Returns the first such
// fault, or an empty string when there is none. before: the rule as it was
// before the packet.
inline std::string BrokenRemoteInvariant(const CBranchModel& before) {
  auto finite = [](const Vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); };
  const CBranchModel& rule = *GetBranchModel();
  for (int i = 0; i < CBranchModel::kRecordCount; ++i) {
    const HandleRecord& now = rule.records[i];
    const HandleRecord& was = before.records[i];
    const std::string record = "record " + std::to_string(i) + ": ";
    if (!CBranchModel::IsLengthRatio(now.lengthRatio) && now.lengthRatio != was.lengthRatio) {
      return record + "length ratio " + std::to_string(now.lengthRatio) + " out of range";
    }
    if (!CBranchModel::IsWidthRatio(now.widthRatio) && now.widthRatio != was.widthRatio) {
      return record + "width ratio " + std::to_string(now.widthRatio) + " out of range";
    }
    for (double element : now.rotation.m) {
      if (!std::isfinite(element)) return record + "rotation holds " + std::to_string(element);
    }
  }
  const CTreeRenderer& renderer = *GetTreeRenderer();
  if (renderer.strokePoints.size() > static_cast<std::size_t>(CTreeRenderer::kMaxStrokePoints)) {
    return "stroke of " + std::to_string(renderer.strokePoints.size()) + " points";
  }
  for (const Vec3& point : renderer.strokePoints) {
    if (!finite(point)) return "stroke point not finite";
  }
  const CGLWindow& window = GetSceneWindows()->treeWindow;
  if (!finite(window.eye) || !finite(window.center) || !finite(window.up)) return "eye not finite";
  return {};
}
