// What both windows share of the program's shell, without a window toolkit:
// its title, the About texts and the credits, where a minimised window draws
// its icon.
#pragma once

#include <string>

namespace shell {

// The program's title, which captions its plain message boxes.
constexpr char kAppTitle[] = "Tarvello";
// The About entry of the window menu, and the About box.
constexpr char kAboutMenuText[] = "Tarvello 정보(&A)...";
constexpr char kAboutCaption[] = "Tarvello 정보";
constexpr char kAboutVersion[] = "Tarvello 버전 1.0";
constexpr char kAboutCopyright[] = "Copyright (C) 2026 Tarvello";
constexpr char kAboutOk[] = "확인";
// The window menu's entry that undoes the last Run, with its key.
constexpr char kUndoMenuText[] = "&Undo last Run\tCtrl+Z";
// The window menu's entry that removes the other systems' files.
constexpr char kCleanMenuText[] = "&Remove Mac and Windows files...";

// The text the "About" button shows: six lines, no line feed after the last.
std::string CreditsText();

struct Point {
  int x;
  int y;
};

// Where a minimised window draws its icon: centred in the client area,
// (size - icon + 1) / 2 in integer arithmetic truncating toward zero.
// 100 x 80 with a 32 x 32 icon gives (34, 24); 0 x 0 gives (-15, -15).
Point MinimizedIconPosition(int clientWidth, int clientHeight, int iconWidth, int iconHeight);

}  // namespace shell
