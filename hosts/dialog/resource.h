// Resource and command ids of KandelTest.
#pragma once

#define IDM_ABOUTBOX 0x0010  // system-menu command; the low four bits must stay clear
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KANDELTEST_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_SURFACE 1000
#define IDC_INIT 1001
#define IDC_SETDATA 1002
#define IDC_XYROTATE 1003
#define IDC_ZROTATE 1004
#define IDC_ZOOM 1005
#define IDC_SINSIN 1006
#define IDC_J0J0 1007
#define IDC_XJ0 1008
#define IDC_FLASH 1009
#define IDC_RAND 1010

// The resource type of a dialog's control initialisation data.
#define RT_DLGINIT_ID 240
// The message id under which a control item's persisted stream is kept there.
#define DLGINIT_LOADFROMSTREAM 0x0376

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
