// dendrix-render: draws what the tree pane shows, without any window, into a
// PNG or BMP file.

#include <GL/gl.h>
#include <oscpack/osc/OscException.h>

#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "OutputFile.h"
#include "RenderOptions.h"
#include "Stroke.h"
#include "gl/HeadlessSurface.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "remote/OscListener.h"
#include "remote/OscScript.h"
#include "remote/Singletons.h"
#include "tree/TreeRenderer.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(int status, const std::string& message) {
  std::cerr << "dendrix-render: " << message << std::endl;
  return status;
}

// The rule and the renderer as the options ask, the tree planted; false when
// the stroke's points give a step without a direction.
bool PrepareTree(const RenderOptions& options) {
  CBranchModel& model = *GetBranchModel();
  CTreeRenderer& renderer = *GetTreeRenderer();
  renderer.lighting = options.lighting;
  renderer.polygonMode = options.polygonMode;
  if (options.reference) renderer.referenceDrawing = true;
  // The trunk is wider in tree rendering, as the "Tree rendering" command sets it.
  if (!options.polygonMode) model.trunkWidth = 0.06;
  if (options.handles) {
    for (int k = 0; k < CBranchModel::kHandleCount; ++k) model.Handle(k).active = (*options.handles)[k];
  }
  if (options.stroke.empty()) {
    if (options.osc.empty()) DragDemoStroke(renderer, options.demoSteps, options.straightDemo);
    return true;
  }
  // The points were checked while parsing, but a step between coordinates
  // far apart can still overflow.
  return GrowStrokeThrough(renderer, options.stroke);
}

// Hands each message of the script to the OSC listener, as the desktop
// program hands it what it receives. A stroke the script leaves open is then
// ended, as --stroke ends its stroke, so that no guide line shows.
bool ReplayScript(const std::vector<OscScriptPacket>& script, std::string& error) {
  COscListener* listener = GetOscListener();
  for (const OscScriptPacket& packet : script) {
    try {
      if (listener) listener->ProcessPacket(packet.bytes.data(), static_cast<int>(packet.bytes.size()));
    } catch (const osc::Exception& e) {
      error = "script line " + std::to_string(packet.line) + ": " + e.what();
      return false;
    }
  }
  GetTreeRenderer()->EndStroke();
  return true;
}

// Paints the tree pane's scene on window and writes the picture to path.
bool RenderTo(CGLWindow& window, const RenderOptions& options, const std::string& path,
              std::string& error) {
  window.BeginScene();
  GetTreeRenderer()->Draw();
  if (!window.EndScene()) {
    error = "the scene could not be finished";
    return false;
  }
  if (IsBitmapPath(options.out)) {
    if (window.SaveBitmap(path)) return true;
    error = "cannot write " + options.out;
    return false;
  }
  if (!window.MakeCurrent()) {
    error = "the OpenGL context was lost";
    return false;
  }
  const int w = options.width, h = options.height;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  return WritePng(path, w, h, pixels, error);
}

int Run(const RenderOptions& options, const std::vector<OscScriptPacket>& script) {
  OutputFile output(options.out);
  std::string error;
  if (!output.Create(error)) return Fail(kExitUsage, error);

  HeadlessSurface surface(options.width, options.height);
  CGLWindow& window = GetSceneWindows()->treeWindow;
  if (!window.Create(&surface)) {
    return Fail(kExitFailure, "no OpenGL context: " + surface.Error());
  }
  window.Resize(options.width, options.height);
  int status = 0;
  if (!PrepareTree(options)) {
    status = Fail(kExitUsage, "--stroke: a step between these points has no direction");
  } else if (!ReplayScript(script, error)) {
    status = Fail(kExitUsage, error);
  } else if (!RenderTo(window, options, output.TemporaryPath(), error) || !output.Commit(error)) {
    status = Fail(kExitFailure, error);
  }
  window.Destroy();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  RenderOptions options;
  std::string error;
  if (!ParseRenderOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    return Fail(kExitUsage, error + " (see --help)");
  }
  if (options.help) {
    std::cout << RenderUsage();
    return 0;
  }
  std::vector<OscScriptPacket> script;
  if (!options.osc.empty() && !ReadOscScriptFile(options.osc, script, error)) return Fail(kExitUsage, error);
  const int status = Run(options, script);
  DeleteSingletons();
  return status;
}
