// The kinds of product the installer knows, named by the payload folder
// found in the install-files folder. Stored by the window as a 32-bit int.
#pragma once

#include <cstdint>

enum TargetKind : int32_t {
  TargetNone = 0,
  TargetApplication = 1,
  TargetAfterEffects = 2,
  TargetFxPlug = 3,
  TargetPhotoshop = 4,
  // The common plug-in folder of After Effects, Premiere Pro and the
  // other hosts that load from it ("MediaCore").
  TargetMediaCore = 5,
};

constexpr TargetKind kLastTargetKind = TargetMediaCore;
