#include "gl/SceneWindows.h"

namespace {

CSceneWindows* g_sceneWindows = nullptr;

}  // namespace

CSceneWindows::~CSceneWindows() {
  controllerWindow.FreeReadbackBuffers();
  treeWindow.FreeReadbackBuffers();
}

CSceneWindows* GetSceneWindows() {
  if (!g_sceneWindows) g_sceneWindows = new CSceneWindows();
  return g_sceneWindows;
}

void DeleteSceneWindows() {
  delete g_sceneWindows;
  g_sceneWindows = nullptr;
}
