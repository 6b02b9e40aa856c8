// dendrix-bench: how long one frame of the tree pane takes, drawn by the
// reference renderer and by the cached tree, in the same run on the headless
// context at 900 x 700. Prints Google Benchmark's lines, then a table of the
// ratio reference / fast for each case, of whole frames and of the drawing
// thread's CPU time alone (the rasterizer's threads of Mesa's llvmpipe work
// beside it), and the most memory the cache held.

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "gl/GLWindow.h"
#include "gl/HeadlessSurface.h"
#include "model/BranchModel.h"
#include "tree/TreeRenderer.h"

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 700;
// One tick of the tree pane's auto-rotation timer.
constexpr double kEyeStep = 0.015;

CGLWindow* g_window = nullptr;
std::size_t g_peakCacheBytes = 0;

struct TreeCase {
  const char* name;
  bool allHandles;
};
const TreeCase kTrees[] = {{"default rule", false}, {"all four handles", true}};

enum FrameKind { kEyeRotation, kRuleChange };

// A full stroke of 10 points, planted as the remote commands grow one, with
// the rule's defaults or all four handles active.
void PlantTree(bool allHandles, bool polygonMode) {
  DeleteTreeRenderer();
  DeleteBranchModel();
  CTreeRenderer& renderer = *GetTreeRenderer();
  CBranchModel& model = *GetBranchModel();
  renderer.polygonMode = polygonMode;
  // The trunk is wider in tree rendering, as the "Tree rendering" command sets it.
  if (!polygonMode) model.trunkWidth = 0.06;
  if (allHandles) {
    for (int k = 0; k < CBranchModel::kHandleCount; ++k) model.Handle(k).active = true;
  }
  renderer.BeginStroke({-0.1, -0.1, 0.0});
  for (int i = 0; i < CTreeRenderer::kMaxStrokePoints - 1; ++i) {
    renderer.GrowStroke({0.03 * i, 1.0, 0.0});
  }
  renderer.EndStroke();
}

void Paint() {
  g_window->BeginScene();
  GetTreeRenderer()->Draw();
  g_window->EndScene();
}

void Frame(benchmark::State& state, bool allHandles, bool polygonMode, FrameKind kind,
           bool reference) {
  PlantTree(allHandles, polygonMode);
  CTreeRenderer& renderer = *GetTreeRenderer();
  HandleRecord& dragged = GetBranchModel()->Handle(0);
  renderer.referenceDrawing = reference;
  g_window->ResetEye();
  Paint();  // the frame that plants the tree, not timed
  int frame = 0;
  for (auto _ : state) {
    if (kind == kEyeRotation) {
      g_window->RotateEye(kEyeStep, 0.0);
    } else {
      // As a length drag in the controller pane writes it, a step per frame.
      dragged.lengthRatio = frame++ % 2 ? 0.8 : 0.79;
    }
    Paint();
  }
  if (const CTreeGeometryCache* cache = renderer.GeometryCache()) {
    g_peakCacheBytes = std::max(g_peakCacheBytes, cache->PeakMemoryBytes());
  }
}

std::string CaseName(const TreeCase& tree, bool polygonMode, FrameKind kind) {
  return std::string(tree.name) + (polygonMode ? ", polygon" : ", tree") +
         (kind == kEyeRotation ? ", eye rotation" : ", rule change");
}

// Google Benchmark's console lines, and the time per frame of every run
// kept: the whole frame (wall clock) and the drawing thread's CPU time.
class TableReporter : public benchmark::ConsoleReporter {
 public:
  struct Times {
    std::vector<double> real, thread;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      Times& times = perCase[run.run_name.function_name];
      times.real.push_back(run.GetAdjustedRealTime());
      times.thread.push_back(run.GetAdjustedCPUTime());
    }
  }
  std::map<std::string, Times> perCase;
};

// The median of the repetitions (--benchmark_repetitions).
double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::string CpuName() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown CPU";
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  HeadlessSurface surface(kWidth, kHeight);
  CGLWindow window;
  if (!window.Create(&surface)) {
    std::cerr << "dendrix-bench: no headless OpenGL context: " << surface.Error() << std::endl;
    return 1;
  }
  window.Resize(kWidth, kHeight);
  g_window = &window;
  const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));

  for (const TreeCase& tree : kTrees) {
    for (bool polygonMode : {true, false}) {
      for (FrameKind kind : {kEyeRotation, kRuleChange}) {
        for (bool reference : {true, false}) {
          const std::string name =
              CaseName(tree, polygonMode, kind) + (reference ? "/reference" : "/fast");
          benchmark::RegisterBenchmark(name.c_str(), Frame, tree.allHandles, polygonMode, kind,
                                       reference)
              ->Unit(benchmark::kMillisecond)
              ->UseRealTime()
              ->MinTime(2.0);
        }
      }
    }
  }
  TableReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\nOne frame at %d x %d, %s, %u hardware threads, %s\n", kWidth, kHeight,
              CpuName().c_str(), std::thread::hardware_concurrency(), renderer.c_str());
  std::printf("%-40s %12s %12s %7s %14s\n", "case", "reference", "fast", "ratio",
              "drawing thread");
  for (const TreeCase& tree : kTrees) {
    for (bool polygonMode : {true, false}) {
      for (FrameKind kind : {kEyeRotation, kRuleChange}) {
        const std::string name = CaseName(tree, polygonMode, kind);
        const auto reference = reporter.perCase.find(name + "/reference");
        const auto fast = reporter.perCase.find(name + "/fast");
        if (reference == reporter.perCase.end() || fast == reporter.perCase.end()) continue;
        const double referenceMs = Median(reference->second.real);
        const double fastMs = Median(fast->second.real);
        std::printf("%-40s %9.1f ms %9.1f ms %6.1fx %13.1fx\n", name.c_str(), referenceMs, fastMs,
                    referenceMs / fastMs,
                    Median(reference->second.thread) / Median(fast->second.thread));
      }
    }
  }
  std::printf("Peak memory of the cache: %.1f MiB\n", g_peakCacheBytes / (1024.0 * 1024.0));

  window.Destroy();
  DeleteTreeRenderer();
  DeleteBranchModel();
  benchmark::Shutdown();
  return 0;
}
