#include "remote/Singletons.h"

#include "controller/ControllerInput.h"
#include "gl/SceneWindows.h"
#include "model/BranchModel.h"
#include "remote/OscListener.h"
#include "remote/RemoteCommands.h"
#include "tree/TreeRenderer.h"
#include "tree/ViewerInput.h"

void DeleteSingletons() {
  DeleteControllerInput();
  DeleteViewerInput();
  DeleteBranchModel();
  DeleteTreeRenderer();
  DeleteRemoteCommands();
  DeleteOscListener();
  DeleteSceneWindows();
}
