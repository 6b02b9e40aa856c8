#include "tree/TreeGeometryCache.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdio>
#include <new>
#include <system_error>
#include <thread>

#include "geometry/Matrix4.h"
#include "tree/TreeRenderer.h"

namespace {

struct Vertex {
  float position[3];
  float normal[3];
};

// A segment's vertices: bottom corner c is vertex c, top corner c is vertex
// 4 + c, with the corners in the order the faces +Z, +X, −Z, −X walk round
// them. Face f is the quad from corner f to corner f + 1 at the bottom and
// back at the top, its vertices in DrawSegment's order.
struct Corner {
  double sx, sz;
  int normal;  // index into CTreeRenderer::segmentNormals
};
constexpr Corner kCorners[4] = {{-1.0, 1.0, 3}, {1.0, 1.0, 0}, {1.0, -1.0, 1}, {-1.0, -1.0, 2}};
constexpr int kSegmentVertices = 8;
constexpr std::uint32_t kSegmentQuads[4][4] = {
    {0, 1, 5, 4}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
// A quad (v0, v1, v2, v3) as two triangles: drawn whole within the view
// volume it splits into (v0, v1, v2) and (v0, v2, v3); clipped, into
// (v0, v1, v3) and (v1, v2, v3). The two shade differently.
constexpr int kInsideSplit[6] = {0, 1, 2, 0, 2, 3};
constexpr int kClippedSplit[6] = {0, 1, 3, 1, 2, 3};
constexpr int kSegmentIndices = 24;

// A leaf's vertices in the order of CTreeRenderer::leafNormals: base A, left
// corner C, centre B, right corner D, tip E; the triangles (A, B, C),
// (A, D, B), (B, E, C), (B, D, E) as DrawLeaf draws them.
constexpr int kLeafVertices = 5;
constexpr std::uint32_t kLeafTriangles[12] = {0, 2, 1, 0, 3, 2, 2, 4, 1, 2, 3, 4};

// The trees worth more than one thread to generate.
constexpr std::size_t kParallelSegments = 16384;
constexpr unsigned kMaxThreads = 4;

bool SameBits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool SameRecord(const HandleRecord& a, const HandleRecord& b) {
  for (int i = 0; i < 16; ++i) {
    if (!SameBits(a.rotation.m[i], b.rotation.m[i])) return false;
  }
  return a.active == b.active && SameBits(a.lengthRatio, b.lengthRatio) &&
         SameBits(a.widthRatio, b.widthRatio);
}

// An affine frame: the linear part as columns X, Y, Z, then the origin, and
// the matrix that carries normals (the inverse transpose of the linear part).
// Every rotation the rule holds is affine, so nothing is lost.
struct Frame {
  double x[3], y[3], z[3], origin[3];
  double nx[3], ny[3], nz[3];

  static Frame FromMatrix(const Matrix4& m) {
    Frame f;
    for (int r = 0; r < 3; ++r) {
      f.x[r] = m.m[r];
      f.y[r] = m.m[4 + r];
      f.z[r] = m.m[8 + r];
      f.origin[r] = m.m[12 + r];
    }
    // A matrix without an inverse (no rotation is one) leaves normals as they are.
    Matrix4 inverse = m;
    Matrix4 normal;
    if (inverse.Invert()) normal = inverse.Transposed();
    for (int r = 0; r < 3; ++r) {
      f.nx[r] = normal.m[r];
      f.ny[r] = normal.m[4 + r];
      f.nz[r] = normal.m[8 + r];
    }
    return f;
  }

  // this × other, for points and for normals.
  Frame Then(const Frame& o) const {
    Frame f;
    for (int r = 0; r < 3; ++r) {
      f.x[r] = x[r] * o.x[0] + y[r] * o.x[1] + z[r] * o.x[2];
      f.y[r] = x[r] * o.y[0] + y[r] * o.y[1] + z[r] * o.y[2];
      f.z[r] = x[r] * o.z[0] + y[r] * o.z[1] + z[r] * o.z[2];
      f.origin[r] = x[r] * o.origin[0] + y[r] * o.origin[1] + z[r] * o.origin[2] + origin[r];
      f.nx[r] = nx[r] * o.nx[0] + ny[r] * o.nx[1] + nz[r] * o.nx[2];
      f.ny[r] = nx[r] * o.ny[0] + ny[r] * o.ny[1] + nz[r] * o.ny[2];
      f.nz[r] = nx[r] * o.nz[0] + ny[r] * o.nz[1] + nz[r] * o.nz[2];
    }
    return f;
  }

  // Moves the origin by length along the frame's Y.
  void Advance(double length) {
    for (int r = 0; r < 3; ++r) origin[r] += length * y[r];
  }

  // The vertex at local point (px, py, pz) with local normal n.
  void Put(Vertex& v, double px, double py, double pz, const Vec3& n) const {
    for (int r = 0; r < 3; ++r) {
      v.position[r] = static_cast<float>(origin[r] + px * x[r] + py * y[r] + pz * z[r]);
      v.normal[r] = static_cast<float>(n.x * nx[r] + n.y * ny[r] + n.z * nz[r]);
    }
  }
};

// Vertices of one part: room for a known number, filled in order without
// being initialised first.
struct Block {
  std::unique_ptr<Vertex[]> data;
  std::size_t size = 0;      // vertices written
  std::size_t capacity = 0;  // vertices allocated

  // Empties the block and makes room for exactly n vertices. The memory is
  // kept for the next generation unless it is too small or more than twice
  // what is needed.
  void Reserve(std::size_t n) {
    size = 0;
    if (n <= capacity && n >= capacity / 2) return;
    data.reset();
    capacity = 0;
    if (n > 0) data.reset(new Vertex[n]);
    capacity = n;
  }
  Vertex* Append(std::size_t n) {
    Vertex* at = data.get() + size;
    size += n;
    return at;
  }
};

// Consecutive primitives of one kind in one material.
struct Run {
  std::uint32_t firstVertex;
  std::uint32_t count;
  CTreeGeometryCache::Material material;
};

// Segments and tips (depth-2 segments, each with one leaf in tree rendering)
// of a side branch of the given depth when `active` handles are active.
struct BranchCount {
  std::size_t segments = 0;
  std::size_t tips = 0;
};

BranchCount CountBranch(int depth, std::size_t active) {
  BranchCount count;
  std::size_t level = 1;  // branches at this level of the subtree
  for (int d = depth; d >= 2; --d) {
    count.segments += level;
    if (d == 2) count.tips = level;
    level *= active;
  }
  return count;
}

}  // namespace

struct CTreeGeometryCache::Inputs {
  std::vector<Vec3> stroke;
  double treeScale = 0.0;
  bool polygonMode = false;
  double trunkLength = 0.0;
  double trunkWidth = 0.0;
  HandleRecord records[CBranchModel::kRecordCount];

  Inputs(const CTreeRenderer& renderer, const CBranchModel& model)
      : stroke(renderer.strokePoints),
        treeScale(renderer.treeScale),
        polygonMode(renderer.polygonMode),
        trunkLength(model.trunkLength),
        trunkWidth(model.trunkWidth) {
    std::copy(std::begin(model.records), std::end(model.records), records);
  }

  // Whether the generation would read the same values now. Numbers compare
  // by their bits, so that NaN equals itself and nothing near-equal passes.
  bool Match(const CTreeRenderer& renderer, const CBranchModel& model) const {
    if (stroke.size() != renderer.strokePoints.size() || !SameBits(treeScale, renderer.treeScale) ||
        polygonMode != renderer.polygonMode || !SameBits(trunkLength, model.trunkLength) ||
        !SameBits(trunkWidth, model.trunkWidth)) {
      return false;
    }
    for (std::size_t i = 0; i < stroke.size(); ++i) {
      const Vec3& a = stroke[i];
      const Vec3& b = renderer.strokePoints[i];
      if (!SameBits(a.x, b.x) || !SameBits(a.y, b.y) || !SameBits(a.z, b.z)) return false;
    }
    // The root record is not part of the tree.
    for (int r = CBranchModel::kAxisRecord; r < CBranchModel::kRecordCount; ++r) {
      if (!SameRecord(records[r], model.records[r])) return false;
    }
    return true;
  }

  const HandleRecord& Handle(int k) const { return records[k + 2]; }
};

// One stretch of the tree in DrawTree's order: an axis segment, or a side
// branch at a node with everything it carries.
struct CTreeGeometryCache::Part {
  Block vertices;
  std::vector<Run> runs;
  Vertex bounds[8];  // the corners of a box round the vertices
  // A side branch: where it grows from, and DrawBranch's arguments.
  bool isBranch = false;
  Frame node;
  int depth = 0;
  int handle = 0;
  double parentLength = 0.0;
  double parentWidth = 0.0;

  // Empties the part and makes room for `vertexCount` vertices and for the
  // runs of `primitives` primitives (at most one each), here, so that the
  // threads that fill parts allocate nothing.
  void Reserve(std::size_t vertexCount, std::size_t primitives) {
    vertices.Reserve(vertexCount);
    runs.clear();
    if (runs.capacity() > 2 * primitives) std::vector<Run>().swap(runs);
    runs.reserve(primitives);
  }
};

// Fills the parts primitive after primitive in DrawTree's order. Several
// threads may share one generator, each filling other parts.
class CTreeGeometryCache::Generator {
 public:
  explicit Generator(const Inputs& inputs) : inputs_(inputs) {
    for (int k = 0; k < CBranchModel::kHandleCount; ++k) {
      handleFrames_[k] = Frame::FromMatrix(inputs.Handle(k).rotation);
    }
  }

  // DrawSegment or DrawBarkSegment in frame f.
  void Segment(Part& part, Material material, const Frame& f, double bottomWidth, double topWidth,
               double length) const {
    const double h = bottomWidth / 2.0;
    const double e = topWidth / 2.0;
    const double top = CTreeRenderer::kSegmentOverlap * length;
    Vertex* v = Append(part, material, kSegmentVertices);
    for (int c = 0; c < 4; ++c) {
      const Corner& corner = kCorners[c];
      const Vec3& n = CTreeRenderer::segmentNormals[corner.normal];
      f.Put(v[c], corner.sx * h, 0.0, corner.sz * h, n);
      f.Put(v[4 + c], corner.sx * e, top, corner.sz * e, n);
    }
  }

  // DrawBranch for depth 2 and more, in frame parent.
  void Branch(Part& part, const Frame& parent, int depth, int k, double parentLength,
              double parentWidth) const {
    const HandleRecord& handle = inputs_.Handle(k);
    const double length = handle.lengthRatio * parentLength;
    const double width = handle.widthRatio * parentWidth;
    Frame f = parent.Then(handleFrames_[k]);
    const Material material = !inputs_.polygonMode ? kBark : depth == 2 ? kTip : kBranch;
    Segment(part, material, f, width, width * handle.widthRatio, length);
    f.Advance(length);
    if (depth == 2) {
      // The children are the leaves at this tip, all the same one: it is drawn once.
      if (!inputs_.polygonMode) Leaf(part, f);
      return;
    }
    for (int j = 0; j < CBranchModel::kHandleCount; ++j) {
      if (inputs_.Handle(j).active) Branch(part, f, depth - 1, j, length, width);
    }
  }

 private:
  // DrawLeaf with the width and length DrawBranch hands it, in frame f.
  void Leaf(Part& part, const Frame& f) const {
    const double d = std::min(CTreeRenderer::kLeafWidth, CTreeRenderer::kLeafWidthCap);
    const double c = std::min(CTreeRenderer::kLeafLength, CTreeRenderer::kLeafLengthCap);
    const double points[kLeafVertices][3] = {{0.0, 0.0, 0.0},
                                             {-2.0 * d, c, c / 2.0},
                                             {0.0, c, c / 4.0},
                                             {2.0 * d, c, c / 2.0},
                                             {0.0, 2.0 * c, 0.0}};
    Vertex* v = Append(part, kLeaf, kLeafVertices);
    for (int i = 0; i < kLeafVertices; ++i) {
      f.Put(v[i], points[i][0], points[i][1], points[i][2], CTreeRenderer::leafNormals[i]);
    }
  }

  // Room for one more primitive, in the part's last run when that has the
  // same material.
  static Vertex* Append(Part& part, Material material, int vertices) {
    if (part.runs.empty() || part.runs.back().material != material) {
      part.runs.push_back({static_cast<std::uint32_t>(part.vertices.size), 0, material});
    }
    ++part.runs.back().count;
    return part.vertices.Append(vertices);
  }

  const Inputs& inputs_;
  Frame handleFrames_[CBranchModel::kHandleCount];
};

namespace {

// Repeats pattern for `count` primitives of `stride` vertices each.
void FitIndices(std::vector<std::uint32_t>& indices, const std::uint32_t* pattern,
                std::size_t patternSize, std::uint32_t stride, std::size_t count) {
  if (indices.size() == count * patternSize) return;
  indices.clear();
  for (std::size_t p = 0; p < count; ++p) {
    for (std::size_t i = 0; i < patternSize; ++i) {
      indices.push_back(static_cast<std::uint32_t>(p * stride + pattern[i]));
    }
  }
}

// A segment's triangles, its quads split as `split` says.
std::array<std::uint32_t, kSegmentIndices> SegmentTriangles(const int (&split)[6]) {
  std::array<std::uint32_t, kSegmentIndices> triangles{};
  for (int f = 0; f < 4; ++f) {
    for (int i = 0; i < 6; ++i) triangles[6 * f + i] = kSegmentQuads[f][split[i]];
  }
  return triangles;
}

// Where a primitive lies against the view volume of `clip`, the matrix that
// takes its coordinates to clip coordinates: within it, cut by its sides, or
// wholly beyond one side of it (nothing of it can show).
enum class Placement { kInside, kCut, kOutside };

Placement Place(const Vertex* vertices, int count, const double (&clip)[16]) {
  unsigned beyondAll = 0x3f, beyondAny = 0;
  for (int i = 0; i < count; ++i) {
    const float* p = vertices[i].position;
    double v[4];
    for (int r = 0; r < 4; ++r) {
      v[r] = clip[r] * p[0] + clip[4 + r] * p[1] + clip[8 + r] * p[2] + clip[12 + r];
    }
    unsigned beyond = 0;  // one bit per side: -x, +x, -y, +y, -z, +z
    for (int r = 0; r < 3; ++r) {
      if (v[r] < -v[3]) beyond |= 1u << (2 * r);
      if (v[r] > v[3]) beyond |= 2u << (2 * r);
    }
    beyondAll &= beyond;
    beyondAny |= beyond;
  }
  return beyondAll ? Placement::kOutside : beyondAny ? Placement::kCut : Placement::kInside;
}

Frame Translation(const Vec3& p) {
  Matrix4 m;
  m.m[12] = p.x;
  m.m[13] = p.y;
  m.m[14] = p.z;
  return Frame::FromMatrix(m);
}

}  // namespace

bool CTreeGeometryCache::CanDraw() {
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0, minor = 0;
  if (!version || std::sscanf(version, "%d.%d", &major, &minor) != 2) return false;
  return major > 3 || (major == 3 && minor >= 2);
}

CTreeGeometryCache::CTreeGeometryCache() = default;
CTreeGeometryCache::~CTreeGeometryCache() = default;

bool CTreeGeometryCache::Update(const CTreeRenderer& renderer, const CBranchModel& model) {
  if (valid_ && inputs_->Match(renderer, model)) return true;
  try {
    inputs_ = std::make_unique<Inputs>(renderer, model);
    valid_ = Generate();
  } catch (const std::bad_alloc&) {
    valid_ = false;
  }
  if (!valid_) Clear();
  return valid_;
}

void CTreeGeometryCache::Clear() {
  valid_ = false;
  inputs_.reset();
  parts_.clear();
  parts_.shrink_to_fit();
  insideIndices_.clear();
  insideIndices_.shrink_to_fit();
  clippedIndices_.clear();
  clippedIndices_.shrink_to_fit();
  leafIndices_.clear();
  leafIndices_.shrink_to_fit();
}

bool CTreeGeometryCache::Generate() {
  const Inputs& in = *inputs_;
  const int n = static_cast<int>(in.stroke.size());
  // Strokes longer than the stroke operations build are left to DrawTree.
  if (n > CTreeRenderer::kMaxStrokePoints) return false;
  std::size_t active = 0;
  for (int k = 0; k < CBranchModel::kHandleCount; ++k) active += in.Handle(k).active ? 1 : 0;

  // The parts in drawing order: at each node the axis segment, then a side
  // branch per active handle, each with room for exactly what it will hold.
  std::size_t partCount = 0;
  for (int i = 1; i < n; ++i) partCount += 1 + active;
  parts_.resize(partCount);
  std::size_t totalSegments = 0;
  for (std::size_t p = 0, i = 1; p < partCount; ++i) {
    parts_[p].Reserve(kSegmentVertices, 1);
    parts_[p++].isBranch = false;
    const BranchCount branch = CountBranch(n - static_cast<int>(i) + 1, active);
    const std::size_t leaves = in.polygonMode ? 0 : branch.tips;
    for (std::size_t k = 0; k < active; ++k) {
      parts_[p].Reserve(branch.segments * kSegmentVertices + leaves * kLeafVertices,
                        branch.segments + leaves);
      parts_[p++].isBranch = true;
      totalSegments += branch.segments;
    }
  }

  if (n >= 2) {
    // The main axis, as DrawTree walks it; it also places every side branch.
    const Generator generator(in);
    const HandleRecord& axisRecord = in.records[CBranchModel::kAxisRecord];
    const Material axisMaterial = in.polygonMode ? kTrunk : kBark;
    Frame frame = Translation(in.stroke[0]);
    Vec3 previousDirection(0.0, 1.0, 0.0);
    Vec3 previousPoint = in.stroke[0];
    double length = in.trunkLength * in.treeScale;
    double width = in.trunkWidth * in.treeScale;
    Matrix4 twist;
    std::size_t p = 0;
    for (int i = 1; i < n; ++i) {
      const Vec3 direction = in.stroke[i] - previousPoint;
      frame =
          frame.Then(Frame::FromMatrix(CTreeRenderer::TurnBetween(previousDirection, direction)));
      const double topWidth = width * axisRecord.widthRatio;
      generator.Segment(parts_[p++], axisMaterial, frame, width, topWidth, length);
      frame.Advance(length);
      twist = twist.Multiply(axisRecord.rotation);
      const Frame node = frame.Then(Frame::FromMatrix(twist));
      for (int k = 0; k < CBranchModel::kHandleCount; ++k) {
        if (!in.Handle(k).active) continue;
        Part& part = parts_[p++];
        part.node = node;
        part.depth = n - i + 1;
        part.handle = k;
        part.parentLength = length;
        part.parentWidth = topWidth;
      }
      length *= axisRecord.lengthRatio;
      width = topWidth;
      previousDirection = direction;
      previousPoint = in.stroke[i];
    }

    // The side branches, on as many threads as pay, each taking the next
    // part that no one has taken; the parts come largest first.
    std::atomic<std::size_t> next{0};
    const auto bound = [](Part& part) {
      float low[3], high[3];
      std::copy_n(part.vertices.data[0].position, 3, low);
      std::copy_n(low, 3, high);
      for (std::size_t v = 1; v < part.vertices.size; ++v) {
        for (int r = 0; r < 3; ++r) {
          low[r] = std::min(low[r], part.vertices.data[v].position[r]);
          high[r] = std::max(high[r], part.vertices.data[v].position[r]);
        }
      }
      for (int c = 0; c < 8; ++c) {
        for (int r = 0; r < 3; ++r) part.bounds[c].position[r] = (c >> r) & 1 ? high[r] : low[r];
      }
    };
    const auto work = [&] {
      for (std::size_t q; (q = next.fetch_add(1)) < parts_.size();) {
        Part& part = parts_[q];
        if (part.isBranch) {
          generator.Branch(part, part.node, part.depth, part.handle, part.parentLength,
                           part.parentWidth);
        }
        bound(part);
      }
    };
    unsigned threads = 1;
    if (totalSegments >= kParallelSegments) {
      threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    }
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) {
      try {
        helpers.emplace_back(work);
      } catch (const std::system_error&) {
        break;  // fewer threads do the same work
      }
    }
    work();
    for (std::thread& helper : helpers) helper.join();
  }

  std::size_t longestSegmentRun = 0, longestLeafRun = 0;
  for (const Part& part : parts_) {
    for (const Run& run : part.runs) {
      std::size_t& longest = run.material == kLeaf ? longestLeafRun : longestSegmentRun;
      longest = std::max<std::size_t>(longest, run.count);
    }
  }
  static const auto inside = SegmentTriangles(kInsideSplit);
  static const auto clipped = SegmentTriangles(kClippedSplit);
  FitIndices(insideIndices_, inside.data(), inside.size(), kSegmentVertices, longestSegmentRun);
  FitIndices(clippedIndices_, clipped.data(), clipped.size(), kSegmentVertices, longestSegmentRun);
  FitIndices(leafIndices_, kLeafTriangles, std::size(kLeafTriangles), kLeafVertices,
             longestLeafRun);
  peakBytes_ = std::max(peakBytes_, MemoryBytes());
  return true;
}

void CTreeGeometryCache::Draw(const MaterialSetter& setMaterial) const {
  if (parts_.empty()) return;
  // Object to clip coordinates, for telling where segments get clipped.
  double modelview[16], projection[16], clip[16];
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  for (int c = 0; c < 4; ++c) {
    for (int r = 0; r < 4; ++r) {
      clip[4 * c + r] = 0.0;
      for (int k = 0; k < 4; ++k) clip[4 * c + r] += projection[4 * k + r] * modelview[4 * c + k];
    }
  }

  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  const Vertex* base = nullptr;
  // Each part's arrays are pointed at once; its runs are drawn from there on
  // with the shared index patterns.
  const auto draw = [&](const Vertex* first, std::uint32_t count, int stride,
                        const std::vector<std::uint32_t>& indices, std::size_t perPrimitive) {
    glDrawRangeElementsBaseVertex(GL_TRIANGLES, 0, count * stride - 1,
                                  static_cast<GLsizei>(count * perPrimitive), GL_UNSIGNED_INT,
                                  indices.data(), static_cast<GLint>(first - base));
  };
  // Primitives wholly outside the view are left out: they could not change
  // a pixel. The material is set for what is drawn, and at the end to the
  // one DrawTree ends with.
  const Material* current = nullptr;
  const auto use = [&](const Material& material) {
    if (!current || *current != material) setMaterial(material, current);
    current = &material;
  };
  const Run* last = nullptr;
  for (const Part& part : parts_) {
    last = &part.runs.back();
    // Only the parts that the sides of the view cut are looked at closer.
    const Placement whole = Place(part.bounds, 8, clip);
    if (whole == Placement::kOutside) continue;
    base = part.vertices.data.get();
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), base->position);
    glNormalPointer(GL_FLOAT, sizeof(Vertex), base->normal);
    for (const Run& run : part.runs) {
      const bool leaves = run.material == kLeaf;
      const int stride = leaves ? kLeafVertices : kSegmentVertices;
      const Vertex* vertices = &part.vertices.data[run.firstVertex];
      // Stretches of primitives placed alike.
      Placement next = whole == Placement::kInside ? whole : Place(vertices, stride, clip);
      for (std::uint32_t first = 0; first < run.count;) {
        const Placement placement = next;
        std::uint32_t end = first + 1;
        if (whole == Placement::kInside) {
          end = run.count;
        } else {
          while (end < run.count &&
                 (next = Place(vertices + end * stride, stride, clip)) == placement) {
            ++end;
          }
        }
        if (placement != Placement::kOutside) {
          use(run.material);
          if (leaves) {
            draw(vertices + first * stride, end - first, stride, leafIndices_,
                 std::size(kLeafTriangles));
          } else {
            draw(vertices + first * stride, end - first, stride,
                 placement == Placement::kCut ? clippedIndices_ : insideIndices_, kSegmentIndices);
          }
        }
        first = end;
      }
    }
  }
  glPopClientAttrib();
  use(last->material);

  // The normal of the last vertex DrawTree sends stays current.
  const Vec3& normal =
      last->material == kLeaf
          ? CTreeRenderer::leafNormals[std::end(kLeafTriangles)[-1]]
          : CTreeRenderer::segmentNormals[kCorners[kSegmentQuads[3][3] % 4].normal];
  glNormal3d(normal.x, normal.y, normal.z);
}

std::size_t CTreeGeometryCache::MemoryBytes() const {
  std::size_t bytes =
      parts_.capacity() * sizeof(Part) +
      (insideIndices_.capacity() + clippedIndices_.capacity() + leafIndices_.capacity()) *
          sizeof(std::uint32_t);
  for (const Part& part : parts_) {
    bytes += part.vertices.capacity * sizeof(Vertex) + part.runs.capacity() * sizeof(Run);
  }
  if (inputs_) bytes += sizeof(Inputs) + inputs_->stroke.capacity() * sizeof(Vec3);
  return bytes;
}
