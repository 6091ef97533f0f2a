// The numbers of the program's resources and of the main window's controls,
// shared by the Windows resource script and by both windows.
#pragma once

// Dialog templates, icon, strings.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_TARVELLO_DIALOG 102
#define IDR_MAINFRAME 128

// The window menu's entries of the program: About, Undo of the last Run, and
// the removal of the files other systems keep beside the music.
// (The system keeps the four lowest bits of a window command for itself.)
#define IDM_ABOUTBOX 0x0010
#define IDM_UNDO 0x0030
#define IDM_CLEAN 0x0040

// The main window's controls.
#define IDC_ABOUT 1000
#define IDC_FOLDER 1001
#define IDC_ADD 1002
#define IDC_REPLACE 1003
#define IDC_DELETE 1004
#define IDC_RANDOM 1005
#define IDC_RUN 1006
#define IDC_SELECT 1007
#define IDC_OLD_LIST 1009
#define IDC_EXTENSION 1010
#define IDC_NEW_LIST 1011
#define IDC_OVERLAY 1012
#define IDC_SEARCH 1013
#define IDC_EXPRESS 1015
#define IDC_STATUS 1016

// A control the program never addresses.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
