// The main dialog's 24 controls, in creation order (which is also the Tab
// order), with positions and sizes in dialog units.
#pragma once

#include <array>

enum class ControlKind { PushButton, Static, Edit, Radio, List, GroupBox, Overlay };

// Styles beyond the kind's own.
enum ControlStyle : unsigned {
  kStyleNone = 0,
  kStyleTabStop = 1u << 0,
  kStyleDisabled = 1u << 1,
  kStyleFlat = 1u << 2,
  kStyleCentered = 1u << 3,  // text centred both ways
  kStyleBorder = 1u << 4,
};

struct ControlEntry {
  int id;  // -1: a control no code addresses
  ControlKind kind;
  const char* caption;  // UTF-8
  int x, y, width, height;
  unsigned styles;
};

constexpr int kDialogWidthDu = 378;
constexpr int kDialogHeightDu = 177;

extern const std::array<ControlEntry, 24> kMainDialogControls;
