// Resource and control ids shared by the resource script and the dialogs.
#pragma once

#define IDD_INSTALL 100
#define IDD_QUIT 101
#define IDR_MAINFRAME 128
#define IDD_OVERWRITE_UPDATE 129

// Main dialog (IDD_INSTALL).
#define IDC_AGREEMENT 1000
#define IDC_INSTALL_DIR 1001
#define IDC_BROWSE 1002
#define IDC_ACCEPT 1003
#define IDC_DECLINE 1004
#define IDC_DIR_LABEL 1005
#define IDC_STATUS 1006
#define IDC_INSTALL_NOW 1007
#define IDC_TITLE 1008
#define IDC_PROGRESS 1009

// Overwrite or Update question (IDD_OVERWRITE_UPDATE).
#define IDC_OVERWRITE 1010
#define IDC_UPDATE 1011
