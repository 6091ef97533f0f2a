#include "dialog/control_table.h"

#include "resource.h"

namespace {
constexpr unsigned kTab = kStyleTabStop;
constexpr unsigned kEdit = kStyleTabStop | kStyleBorder;
constexpr unsigned kList = kStyleTabStop | kStyleBorder;
}  // namespace

const std::array<ControlEntry, 24> kMainDialogControls = {{
    {IDC_ABOUT, ControlKind::PushButton, "About", 317, 156, 50, 14, kTab},
    {-1, ControlKind::Static, "Folder", 13, 12, 21, 8, kStyleNone},
    {IDC_FOLDER, ControlKind::Edit, "", 40, 10, 92, 13, kEdit},
    {IDC_ADD, ControlKind::Radio, "Add", 262, 78, 29, 10, kStyleNone},
    {IDC_REPLACE, ControlKind::Radio, "Replace", 262, 91, 42, 10, kStyleNone},
    {IDC_DELETE, ControlKind::Radio, "Delete", 262, 104, 36, 10, kStyleNone},
    {IDC_RANDOM, ControlKind::PushButton, "Random", 317, 80, 50, 14, kTab},
    {IDC_RUN, ControlKind::PushButton, "Run", 317, 99, 50, 14, kTab},
    {IDC_SELECT, ControlKind::PushButton, "select", 136, 10, 50, 14, kTab},
    {IDC_OLD_LIST, ControlKind::List, "List2", 7, 48, 111, 122, kList},
    {IDC_EXTENSION, ControlKind::Edit, "", 266, 10, 40, 14, kEdit},
    {-1, ControlKind::GroupBox, "", 7, 2, 364, 25, kStyleNone},
    {-1, ControlKind::Static, "File ext", 235, 13, 24, 8, kStyleNone},
    {-1, ControlKind::Static, "(ie. mp3)", 312, 14, 31, 8, kStyleNone},
    {IDC_NEW_LIST, ControlKind::List, "List2", 131, 48, 111, 122, kList},
    {-1, ControlKind::GroupBox, "Method", 254, 64, 56, 55, kStyleNone},
    {-1, ControlKind::GroupBox, "Action", 315, 64, 56, 55, kStyleNone},
    {-1, ControlKind::Static, "Old", 7, 38, 12, 8, kStyleNone},
    {-1, ControlKind::Static, "New", 132, 39, 16, 8, kStyleNone},
    {IDC_OVERLAY, ControlKind::Overlay, "msg", 62, 94, 120, 21,
     kStyleTabStop | kStyleDisabled | kStyleFlat},
    {IDC_SEARCH, ControlKind::PushButton, "Search", 68, 32, 50, 14, kTab},
    {-1, ControlKind::Static, ">>", 120, 100, 10, 8, kStyleNone},
    {IDC_EXPRESS, ControlKind::PushButton, "Express", 258, 156, 50, 14, kTab},
    {IDC_STATUS, ControlKind::Static, "status", 275, 130, 73, 16, kStyleCentered},
}};
