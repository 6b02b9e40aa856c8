#pragma once

#include <vector>

#include "geometry/Vec3.h"

class CTreeRenderer;

// Plants a tree as a user does in the tree pane: a press near the bottom of
// the pane's default view and a drag upward, each mouse move extending the
// stroke, until the stroke has taken `steps` steps (at most 9, a full tree).
// The drag bends gently to one side unless `straight`. The stroke is ended,
// as the button release ends it, so no guide line shows.
void DragDemoStroke(CTreeRenderer& renderer, int steps, bool straight);

// Plants a tree along the polyline `points` as the remote commands do: it
// begins at the first point, and each further point adds one step in the
// direction from the point before it. False when a step was refused.
bool GrowStrokeThrough(CTreeRenderer& renderer, const std::vector<Vec3>& points);
