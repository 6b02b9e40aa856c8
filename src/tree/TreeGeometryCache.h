#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "model/BranchModel.h"

class CTreeRenderer;

// The tree that CTreeRenderer::DrawTree draws, generated once into vertex
// arrays and drawn from them for as long as nothing it was generated from
// changes. Turning the eye only redraws the arrays.
//
// The picture is DrawTree's. The primitives come in the same order with the
// same materials: with a 16-bit depth buffer many fragments of neighbouring
// primitives meet at the same depth, where the one drawn first stays. The
// vertices and normals are the same, except that the frames are multiplied
// out on the CPU in double precision instead of on OpenGL's matrix stack.
// Each quad is sent as the two triangles into which the drawing of a lone
// quad is split: along the diagonal from its first vertex, or, when some
// corner of its segment lies outside the view volume (that segment is then
// clipped), along the diagonal from its second vertex. That depends on the
// eye and is chosen on every Draw.
//
// Two things are done with less work. A segment's 8 corners (each keeps one
// normal on both faces it belongs to) and a leaf's 5 points are stored once
// and indexed. And a tip gets one leaf instead of one per active handle:
// those copies are the same leaf drawn again, straight after it, at the same
// place with the same state, so each fragment of a copy has the depth and
// colour of the fragment it meets, and without blending a copy cannot change
// a pixel whatever the depth function.
class CTreeGeometryCache {
 public:
  // The materials the tree is drawn with. Polygon rendering draws segments in
  // the trunk, branch and tip colour pairs; tree rendering draws bark
  // segments and leaves.
  enum Material { kTrunk, kBranch, kTip, kBark, kLeaf };
  // Sets the state for drawing in `material`. `previous` is the material the
  // primitives before were drawn in, or null for the first primitive of a
  // Draw, which sets the whole state as a primitive of DrawTree does.
  using MaterialSetter = std::function<void(Material material, const Material* previous)>;

  // Whether the current OpenGL context can draw the cache: it needs the
  // base-vertex draws of OpenGL 3.2.
  static bool CanDraw();

  CTreeGeometryCache();
  ~CTreeGeometryCache();
  CTreeGeometryCache(const CTreeGeometryCache&) = delete;
  CTreeGeometryCache& operator=(const CTreeGeometryCache&) = delete;

  // Brings the arrays up to date with the tree that DrawTree would draw now:
  // they are generated afresh when anything the generation reads (the
  // stroke, treeScale, polygonMode and the rule) differs from what it read
  // last time. False when the tree cannot be cached: a stroke longer than
  // the stroke operations build, or no memory for it; nothing is held then.
  bool Update(const CTreeRenderer& renderer, const CBranchModel& model);

  // Draws the tree with the current OpenGL state and matrices, calling
  // setMaterial wherever the material changes. The current normal is left as
  // DrawTree leaves it, the client vertex array state as it was.
  void Draw(const MaterialSetter& setMaterial) const;

  // Bytes of vertex, run and index arrays held now, and the most held since
  // the cache was made.
  std::size_t MemoryBytes() const;
  std::size_t PeakMemoryBytes() const { return peakBytes_; }

 private:
  struct Inputs;
  struct Part;
  class Generator;

  void Clear();
  bool Generate();

  std::unique_ptr<Inputs> inputs_;  // what the arrays were generated from
  bool valid_ = false;
  std::vector<Part> parts_;  // the tree in DrawTree's drawing order
  // The index pattern of each kind of primitive, repeated for as many
  // primitives as the longest run has: segments split for drawing inside the
  // view volume and for clipping, and leaves.
  std::vector<std::uint32_t> insideIndices_;
  std::vector<std::uint32_t> clippedIndices_;
  std::vector<std::uint32_t> leafIndices_;
  std::size_t peakBytes_ = 0;
};
