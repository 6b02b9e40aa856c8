#pragma once

#include <cstdint>

#include "model/BranchModel.h"

// The controller pane's scene: the ground grid, the rule as boxes with their
// handle points, the selection marker and the legend; and the picking pass,
// which draws every handle point in a colour that encodes its record and part
// and reads the image back, so that a press finds what lies under the cursor
// with one lookup.
//
// The rule's frame: the trunk stands on the origin along +Y, its top
// (0, trunkLength, 0) is the branching point, and the axis record and each
// branch handle stand on the branching point along their own rotated +Y.
//
// Every drawing operation runs on the controller pane's current context in
// modelview mode and leaves the modelview stack as it found it.

// Which material a box is drawn with.
enum class SegmentKind { Trunk = 1, Axis = 2, Branch = 3 };

// The three handle points of a drawn axis or branch segment. Handle part 0
// decodes from colours that are no handle code.
enum class HandlePart { Tip = 1, Width = 2, Twist = 3 };

// Pick ids: 0 the axis record, 1 to 4 branch handles 0 to 3.
constexpr int kAxisPickId = 0;
constexpr int kMaxPickId = CBranchModel::kHandleCount;

// The 24-bit colour code of a handle point in the picking pass: red holds the
// low byte, green the next, blue the high one.
constexpr std::uint32_t PickCode(int pickId, HandlePart part) {
  return 4u * static_cast<std::uint32_t>(pickId) + static_cast<std::uint32_t>(part);
}

// A read-back cell where nothing was drawn: all four bytes 255.
constexpr std::uint32_t kPickBackground = 0xFFFFFFFFu;

// Eleven lines each way, 0.2 apart, covering [-1, 1] x [-1, 1] at y = 0.
void DrawGroundGrid();
// One lit box of the kind's material: x and z in [-halfWidth, halfWidth],
// y in [0, height]; faces counter-clockwise from outside. Leaves lighting and
// light 0 on.
void DrawSegmentBox(SegmentKind kind, double halfWidth, double height);
// The tip, width and twist points of record in its own frame: coloured, or
// in their pick codes during a picking pass of the controller pane.
void DrawHandlePoints(HandleRecord record, int pickId);
// The marker of a selected handle: its X axis red, its Z axis blue.
void DrawHandleAxes();
// The rule's boxes, points and marker; only the coded points during a
// picking pass.
void DrawRuleScene();
// Two rows in eye space, independent of the camera: the main-axis colour
// with the whole rule, the side-branch colour with the rule less its axis.
void DrawLegend();
// DrawRuleScene, then DrawLegend.
void DrawControllerScene();
// The paint of the controller pane: grid and scene between BeginScene and
// EndScene of its window.
void PaintControllerPane();
// Renders the picking image into the controller window's read-back buffers.
// False, with the buffers emptied, when the pane has no context to draw
// with: a press then finds nothing rather than cells never written.
bool RenderPickPass();
// Splits a read-back cell word (red + 256 green + 65536 blue + 2^24 alpha)
// into pick id (bits 2 to 5) and part (bits 0 and 1). The caller tests for
// kPickBackground first; codes that are no handle's come out as they are.
void DecodePickColour(std::uint32_t colour, int& pickId, int& part);
