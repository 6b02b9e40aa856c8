#include "model/BranchModel.h"

namespace {

// Decimal literals of π/2 and π/6 as the rule has always used them.
constexpr double kHandleSpacing = 1.570796326794895;  // β
constexpr double kHandleLean = 0.5235987755982984;    // α

CBranchModel* g_branchModel = nullptr;

}  // namespace

CBranchModel::CBranchModel() {
  for (HandleRecord& record : records) record.rotation.SetIdentity();
  ResetDefaults();
}

void CBranchModel::ResetDefaults() {
  trunkLength = 0.5;
  trunkWidth = 0.04;

  HandleRecord& root = records[0];
  root.active = true;
  root.selected = false;
  root.rotation.SetIdentity();
  root.lengthRatio = 1.0;
  root.widthRatio = 1.0;

  HandleRecord& axis = records[kAxisRecord];
  axis.active = true;
  axis.selected = false;
  axis.rotation.SetIdentity();
  axis.lengthRatio = 0.85;
  axis.widthRatio = 0.8;

  for (int k = 0; k < kHandleCount; ++k) {
    HandleRecord& h = Handle(k);
    h.active = true;
    h.selected = false;
    h.lengthRatio = 0.8;
    h.widthRatio = 0.8;
    Matrix4 turn, lean;
    turn.SetRotationY(k * kHandleSpacing);
    lean.SetRotationZ(-kHandleLean);
    h.rotation = turn.Multiply(lean);
  }
  Handle(1).active = false;
  Handle(3).active = false;
}

HandleRecord* CBranchModel::RecordForPickId(int id) {
  if (id == 0) return &records[kAxisRecord];
  if (id >= 1 && id <= kHandleCount) return &Handle(id - 1);
  return nullptr;
}

CBranchModel* GetBranchModel() {
  if (!g_branchModel) g_branchModel = new CBranchModel();
  return g_branchModel;
}

void DeleteBranchModel() {
  delete g_branchModel;
  g_branchModel = nullptr;
}
