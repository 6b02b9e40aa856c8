#pragma once

#include "geometry/Matrix4.h"

// One element of the branching rule.
struct HandleRecord {
  bool active = true;
  bool selected = false;
  Matrix4 rotation;  // child frame relative to the tip of the parent segment
  double lengthRatio = 1.0;
  double widthRatio = 1.0;
};

// The one branching rule every tree is generated from. records[0] is the root
// record, records[1] the main-axis continuation, records[k + 2] branch
// handle k. Fields are written directly by the controller, the render-mode
// commands and the remote commands; the model draws nothing.
class CBranchModel {
 public:
  static constexpr int kRecordCount = 6;
  static constexpr int kHandleCount = 4;
  static constexpr int kAxisRecord = 1;
  // Ranges that every edit of a ratio keeps; values outside are ignored.
  static constexpr double kMinLengthRatio = 0.2, kMaxLengthRatio = 1.5;
  static constexpr double kMinWidthRatio = 0.2, kMaxWidthRatio = 1.0;

  HandleRecord records[kRecordCount];
  double trunkLength = 0.5;
  double trunkWidth = 0.04;

  CBranchModel();

  void ResetDefaults();
  HandleRecord& Handle(int k) { return records[k + 2]; }
  // The axis record for id 0, branch handles 0..3 for ids 1..4, else none.
  HandleRecord* RecordForPickId(int id);
  HandleRecord& AxisRecord() { return records[kAxisRecord]; }

  // Inclusive range tests, false for NaN.
  static bool IsLengthRatio(double r) { return r >= kMinLengthRatio && r <= kMaxLengthRatio; }
  static bool IsWidthRatio(double r) { return r >= kMinWidthRatio && r <= kMaxWidthRatio; }
  static bool IsHandleIndex(int k) { return k >= 0 && k < kHandleCount; }
};

// The process-wide rule, created with the defaults on first use.
CBranchModel* GetBranchModel();
// Deletes the rule if it exists (application exit, and between tests).
void DeleteBranchModel();
