// Resource and control ids of Brindle.exe.
#pragma once

// Dialogs
#define IDD_MAIN 129
#define IDD_CONFIRM_OVERWRITE 131
#define IDD_ABOUT 144

// Menu, icons, bitmap
#define IDR_MAIN_MENU 109
#define IDI_MAIN 107
#define IDI_OVERWRITE 132
#define IDB_ABOUT 1002

// Main dialog controls
#define IDC_FILE_BOX 1000
#define IDC_FOLDER_BOX 1001
#define IDC_BROWSE_FILE 1002
#define IDC_BROWSE_FOLDER 1003
#define IDC_SIZE_CHOICE 1004
#define IDC_CUSTOM_NUMBER 1005
#define IDC_UNIT_LIST 1006
#define IDC_CUSTOM_LABEL 1007
#define IDC_FILE_SIZE_LABEL 1008
#define IDC_PIECE_COUNT_LABEL 1009
#define IDC_SPLIT 1010
#define IDC_EXIT 1011
#define IDC_FILE_SIZE_LINE 1016
#define IDC_PIECE_COUNT_LINE 1017
#define IDC_RECOVERY_PIECE 1018
// The Cancel button is IDCANCEL (2), in the same place as Split.

// Menu commands
#define ID_HELP_ABOUT 104
#define ID_FILE_EXIT 105
#define ID_HELP_TOPICS 140
#define ID_FILE_SPLIT 141

// "Confirm File Overwrite" dialog controls
#define IDC_OVERWRITE_TEXT 1011
#define IDC_OVERWRITE_YES 1012
#define IDC_OVERWRITE_YES_TO_ALL 1013
#define IDC_OVERWRITE_NO 1014

// About box controls
#define IDC_ABOUT_LINK 1019
#define IDC_ABOUT_PICTURE 1021

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
