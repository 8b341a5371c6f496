// The main dialog in-process, made as the program makes it, for the tests that need it.
#pragma once

#include "main_dialog.h"
#include "resource.h"
#include "window_access.h"

inline HWND CreateMainDialog()  // modeless, shown
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     MainDialogProc, 0);
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}
