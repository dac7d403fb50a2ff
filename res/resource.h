// Identifiers of the utility's resources, grouped by resource; shared by the resource script
// and the program.
#pragma once

// Icon group: the class icon of the main window.
#define IDI_TANDEMIX 1001

// Menu 1002 and its commands (the accelerator of each as a comment).
#define IDM_MAINMENU 1002
#define IDM_FILE_NEW 1003  // Ctrl+N
#define IDM_FILE_SAVE 1004 // Ctrl+S
#define IDM_FILE_OPEN 1005 // Ctrl+O
#define IDM_FILE_EXIT 1006
#define IDM_HELP_ABOUT 1501

// Accelerator table of the message loop.
#define IDA_MAINACCEL 1051

// About box.
#define IDD_ABOUT 1500
#define IDC_ABOUT_TEXT 1501

// Progress windows of Save To Tandemix and Read From Tandemix, and their one text.
#define IDD_WRITE_PROGRESS 1600
#define IDD_READ_PROGRESS 1610
#define IDC_PROGRESS_TEXT 1601

// Main window controls that send commands (the labels have none).
#define IDC_CONTROL_MODE 2401
#define IDC_SAVE_TO_DEVICE 2402
#define IDC_READ_FROM_DEVICE 2403
#define IDC_X_SIZE 2405
#define IDC_Y_SIZE 2406

// Version block: the three numbers are distinct by design.
#define TANDEMIX_FILE_VERSION 2, 7, 4, 0
#define TANDEMIX_FILE_VERSION_TEXT "33159.0"
#define TANDEMIX_ABOUT_VERSION_TEXT "23160.0"
#define TANDEMIX_MAKER "Velomark"

// The maker's notice and address, shown in the About box (the notice also in the version block).
#define TANDEMIX_LEGAL_NOTICE "Copyright (C) Velomark"
#define TANDEMIX_WEB_ADDRESS "www.velomark.example"
