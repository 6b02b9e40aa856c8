#pragma once

#include <memory>
#include <vector>

#include "geometry/Matrix4.h"
#include "geometry/Vec3.h"
#include "tree/TreeGeometryCache.h"

// Generates the tree from the branching rule and draws it every time the tree
// pane is painted. The main axis follows the stroke, a polyline of at most
// kMaxStrokePoints points that the mouse or the remote commands build; the
// rule supplies the side branches at every node of it. Also holds the render
// switches of the RenderMode menu.
//
// DrawTree is the reference drawing: it walks the rule in immediate mode and
// stores nothing, and its GL calls and their order are the definition of what
// a tree looks like. Draw normally draws the same picture from vertex arrays
// (CTreeGeometryCache) that are generated again only when the tree changes;
// referenceDrawing makes it call DrawTree instead.
class CTreeRenderer {
 public:
  static constexpr int kMaxStrokePoints = 10;
  // Each segment reaches this far beyond its length into the next one.
  static constexpr double kSegmentOverlap = 1.05;
  // What DrawBranch hands every leaf, and the caps DrawLeaf puts on them.
  static constexpr double kLeafWidth = 0.02;
  static constexpr double kLeafLength = 0.025;
  static constexpr double kLeafWidthCap = 0.01;
  static constexpr double kLeafLengthCap = 0.03;

  CTreeRenderer();
  virtual ~CTreeRenderer();

  bool lighting = true;     // lit and smooth; false: flat, plain colours
  bool polygonMode = true;  // plain coloured boxes; false: bark and leaves
  bool enabled = true;      // false: Draw draws nothing at all
  std::vector<Vec3> strokePoints;
  Vec3 strokeTarget;        // the pointer position while a stroke is drawn
  double stepLength = 0.0;  // length of the next stroke step
  double treeScale = 0.7;   // from the model's trunk size to pane units
  double strokeActive = 0.0;  // 1.0 from BeginStroke to EndStroke
  // Draw with DrawTree on every repaint instead of the cached arrays. Starts
  // true when the environment variable DENDRIX_REFERENCE_RENDERER is set to
  // anything but "" or "0".
  bool referenceDrawing = ReferenceDrawingRequested();

  // Colour pairs, RGBA. The ambient colour of a pair is also its flat colour.
  // The bark and leaf pairs are replaced at run time by the colour commands.
  static inline float branchAmbient[4] = {0.7f, 0.7f, 0.7f, 1.0f};
  static inline float branchDiffuse[4] = {0.4f, 0.4f, 0.4f, 1.0f};
  static inline float trunkAmbient[4] = {0.95f, 0.95f, 0.0f, 1.0f};
  static inline float trunkDiffuse[4] = {0.95f, 0.95f, 0.2f, 1.0f};
  static inline float barkAmbient[4] = {0.3f, 0.25f, 0.05f, 1.0f};
  static inline float barkDiffuse[4] = {0.6f, 0.45f, 0.005f, 1.0f};
  static inline float leafAmbient[4] = {0.4f, 0.8f, 0.0f, 1.0f};
  static inline float leafDiffuse[4] = {0.4f, 0.8f, 0.0f, 1.0f};
  static inline float tipAmbient[4] = {0.0f, 0.8f, 0.8f, 1.0f};
  static inline float tipDiffuse[4] = {0.0f, 0.95f, 0.95f, 1.0f};

  static constexpr float segmentSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  static constexpr float segmentShininess = 128.0f;
  static constexpr float barkSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  static constexpr float barkShininess = 128.0f;
  static constexpr float leafSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  static constexpr float leafShininess = 128.0f;

  // Corner normals of a segment: x > 0 z > 0, x > 0 z < 0, x < 0 z < 0,
  // x < 0 z > 0. They are not unit vectors (z is 0.0701067) and reach the
  // lighting as they are: GL_NORMALIZE stays off.
  static constexpr Vec3 segmentNormals[4] = {{0.7071067, 0.0, 0.0701067},
                                             {0.7071067, 0.0, -0.0701067},
                                             {-0.7071067, 0.0, -0.0701067},
                                             {-0.7071067, 0.0, 0.0701067}};
  // Leaf normals at the base A, left corner C, centre B, right corner D, tip E.
  static constexpr Vec3 leafNormals[5] = {{0.0, -0.7071067, 0.7071067},
                                          {-0.7071067, 0.0, 0.0701067},
                                          {0.0, 0.0, 1.0},
                                          {0.7071067, 0.0, 0.0701067},
                                          {0.0, 0.7071067, 0.0701067}};

  // The whole tree-pane content: lights, stroke guide, tree, axes. Expects
  // the modelview matrix to hold only the eye transform. Leaves lighting off
  // and the line width at 3.
  void Draw();
  // The line from the last stroke point to strokeTarget while stroking.
  void DrawStrokeGuide();
  // The main axis along the stroke and the side branches at its nodes.
  void DrawTree();
  // Side branch handleIndex and, recursively, its own side branches; depth 1
  // is the leaf at the tip of the calling segment.
  void DrawBranch(int depth, int handleIndex, double parentLength, double parentWidth);

  // A tapered four-sided box on the XZ plane reaching up along +Y to
  // 1.05 · length, so that it overlaps the next segment; no caps.
  void DrawSegment(double bottomWidth, double topWidth, double length, const float (&ambient)[4],
                   const float (&diffuse)[4]);
  void DrawBarkSegment(double bottomWidth, double topWidth, double length);
  // A bent fan of four triangles; width is capped at 0.01, length at 0.03.
  void DrawLeaf(double width, double length);

  // Starts a new stroke at point, discarding the previous one.
  void BeginStroke(const Vec3& point);
  // Moves strokeTarget and, when it is at least stepLength away, adds one
  // step towards it. A full or empty stroke is left as it is.
  void ExtendStroke(const Vec3& target);
  // Adds one step in direction; false when the stroke is full or empty or
  // the direction has no unit vector (zero or non-finite).
  bool GrowStroke(const Vec3& direction);
  void EndStroke();

  // The rotation DrawTree applies at a node to turn the stroke direction
  // `from` onto the next one, `to`.
  static Matrix4 TurnBetween(const Vec3& from, const Vec3& to);
  // Whether DENDRIX_REFERENCE_RENDERER asks for the reference drawing; the
  // environment is read once per process.
  static bool ReferenceDrawingRequested();

  // The cached tree, made by the first Draw that uses it.
  const CTreeGeometryCache* GeometryCache() const { return geometryCache_.get(); }

 private:
  // Disables culling and sets the material (lit) or the flat colour (unlit).
  void BeginPrimitive(const float* ambient, const float* diffuse, const float* specular,
                      float shininess, const float* flatColor) const;
  // Appends last point + stepLength · unit and shrinks stepLength; false,
  // and nothing changes, when unit is not of length 1 or the point would not
  // be finite.
  bool AppendStep(const Vec3& unit);
  // DrawTree's picture from the cache, or from DrawTree where the tree cannot
  // be cached or the context cannot draw the cache.
  void DrawCachedTree();
  // The colour data of the cache's materials as the primitives that draw in
  // them use them: ambient, diffuse, specular, shininess and flat colour.
  struct MaterialData {
    const float* ambient;
    const float* diffuse;
    const float* specular;
    float shininess;
    const float* flatColor;
  };
  static MaterialData DataOf(CTreeGeometryCache::Material material);
  // The state for drawing in material: all of what a primitive sets after
  // no material, else what differs from the previous one.
  void SetMaterial(CTreeGeometryCache::Material material,
                   const CTreeGeometryCache::Material* previous) const;

  std::unique_ptr<CTreeGeometryCache> geometryCache_;
};

// The process-wide renderer, created with the initial values on first use.
CTreeRenderer* GetTreeRenderer();
// Deletes the renderer if it exists (application exit, and between tests).
void DeleteTreeRenderer();
