#include "overwrite_dialog.h"

#include <windows.h>

#include "program_state.h"
#include "resource.h"
#include "shared_constants.h"

namespace {

void StartOverwriteDialog(HWND dialog, const char* path)
{
    SetDlgItemTextA(dialog, IDC_OVERWRITE_TEXT, OverwriteQuestion(path).c_str());
    SetFocus(GetDlgItem(dialog, IDC_OVERWRITE_NO));
}

// Escape (IDCANCEL) and every other command are ignored.
BOOL AnswerOverwrite(HWND dialog, int id)
{
    switch (id) {
    case IDC_OVERWRITE_YES:
        EndDialog(dialog, IDYES);
        return TRUE;
    case IDC_OVERWRITE_YES_TO_ALL:
        EndDialog(dialog, IDYESTOALL);
        return TRUE;
    case IDC_OVERWRITE_NO:
        EndDialog(dialog, IDNO);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK OverwriteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        StartOverwriteDialog(dialog, (const char*)lParam);
        return FALSE;  // the focus stays on No
    case WM_COMMAND:
        return AnswerOverwrite(dialog, LOWORD(wParam));
    }
    return FALSE;
}

}  // namespace

std::string OverwriteQuestion(const std::string& path)
{
    return "The file \"" + path + "\" already exists.\nDo you want to overwrite it?";
}

int confirmOverwrite(HWND owner, const std::string& path)
{
    return (int)DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(IDD_CONFIRM_OVERWRITE), owner,
                                OverwriteDialogProc, (LPARAM)path.c_str());
}
