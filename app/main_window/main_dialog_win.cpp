#include "main_dialog.h"

#include <stdlib.h>

#include <commctrl.h>
#include <shellapi.h>

#include "about_box.h"
#include "choosers.h"
#include "job_flags.h"
#include "program_state.h"
#include "progress_bar.h"
#include "recent_lists_dialog.h"
#include "resource.h"
#include "settings_store.h"
#include "shared_constants.h"
#include "size_controls.h"
#include "size_estimates.h"
#include "split_worker.h"

namespace {

// Pixels, not dialog units: the frame around the file, folder and size rows.
const RECT EDGE_RECTANGLE = {9, 11, 578, 124};

const char* const HELP_FILE = "Brindle.chm";

// The icon of the dialog while it exists.
HICON MainIcon = NULL;

void Enable(HWND dialog, int id, bool enable)
{
    EnableWindow(GetDlgItem(dialog, id), enable);
}

void Show(HWND dialog, int id, bool show)
{
    ShowWindow(GetDlgItem(dialog, id), show ? SW_SHOW : SW_HIDE);
}

void SetButtonStyle(HWND dialog, int id, bool isDefault)
{
    SendDlgItemMessageA(dialog, id, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                        TRUE);
}

int SizeChoice(HWND dialog)
{
    return (int)SendDlgItemMessageA(dialog, IDC_SIZE_CHOICE, CB_GETCURSEL, 0, 0);
}

// Left and top of the dialog centred on the desktop.
POINT CentredPosition(HWND dialog)
{
    RECT window, desktop;
    GetWindowRect(dialog, &window);
    GetWindowRect(GetDesktopWindow(), &desktop);
    POINT position;
    position.x = (desktop.right - (window.right - window.left)) / 2;
    position.y = (desktop.bottom - (window.bottom - window.top)) / 2;
    return position;
}

void PlaceDialog(HWND dialog, int32_t left, int32_t top)
{
    POINT position = {left, top};
    if (left < 0 || top < 0) position = CentredPosition(dialog);
    SetWindowPos(dialog, NULL, position.x, position.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void SetMainIcon(HWND dialog)
{
    MainIcon = LoadIconA(ProgramInstance(), MAKEINTRESOURCEA(IDI_MAIN));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)MainIcon);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, (LPARAM)MainIcon);
}

void AddItems(HWND dialog, int id, const char* const* items, int count)
{
    for (int i = 0; i < count; ++i) SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, (LPARAM)items[i]);
}

BOOL StartMainDialog(HWND dialog)
{
    SetWindowTextA(dialog, PROGRAM_TITLE);
    SetMenu(dialog, LoadMenuA(ProgramInstance(), MAKEINTRESOURCEA(IDR_MAIN_MENU)));
    int32_t left, top;
    bool recoveryPiece;
    LoadSettings(left, top, recoveryPiece);
    CheckDlgButton(dialog, IDC_RECOVERY_PIECE, recoveryPiece ? BST_CHECKED : BST_UNCHECKED);
    PlaceDialog(dialog, left, top);
    CreateStatusAndProgressBars(dialog);
    SetMainIcon(dialog);
    InstallDropHandler(GetDlgItem(dialog, IDC_FILE_BOX));
    FillControls(dialog);
    return TRUE;  // the dialog manager sets the first focus
}

void EndMainDialog(HWND dialog)
{
    RECT window;
    GetWindowRect(dialog, &window);
    SaveSettings(window.left, window.top,
                 IsDlgButtonChecked(dialog, IDC_RECOVERY_PIECE) == BST_CHECKED);
    if (MainIcon != NULL) DestroyIcon(MainIcon);
    MainIcon = NULL;
}

void PaintEdge(HWND dialog)
{
    PAINTSTRUCT paint;
    HDC context = BeginPaint(dialog, &paint);
    RECT edge = EDGE_RECTANGLE;
    DrawEdge(context, &edge, EDGE_ETCHED, BF_RECT);
    EndPaint(dialog, &paint);
}

void SetBusyOrArrowCursor(HWND dialog)
{
    bool busy = cancelRequested || splitInProgress;
    SetCursor(LoadCursorA(NULL, busy ? IDC_WAIT : IDC_ARROW));
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
}

// The help file lies beside the program; the shell shows what it shows when
// it is missing.
void OpenHelpFile(HWND dialog)
{
    std::string path = ProgramFolder + HELP_FILE;
    ShellExecuteA(dialog, "open", path.c_str(), "", ProgramFolder.c_str(), SW_SHOW);
}

void ShowAboutBox(HWND dialog)
{
    DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(IDD_ABOUT), dialog, AboutDialogProc, 0);
}

void RefreshEstimates(HWND dialog, PathSource source)
{
    ShowFileSize(dialog, source);
    ShowPieceCount(dialog, source);
}

BOOL OnFileBoxNotice(HWND dialog, int code)
{
    if (code == CBN_EDITCHANGE) {
        RefreshEstimates(dialog, PathSource::EditText);
        return TRUE;
    }
    if (code == CBN_SELCHANGE) {
        // The edit field takes the chosen item only after this notice.
        RefreshEstimates(dialog, PathSource::SelectedItem);
        std::string item = FilePathFrom(dialog, PathSource::SelectedItem);
        DefaultFolderFromFile(dialog, &item);
        return TRUE;
    }
    return FALSE;
}

BOOL OnSizeChoiceNotice(HWND dialog, int code)
{
    if (code != CBN_SELCHANGE) return FALSE;
    bool custom = SizeChoice(dialog) == CUSTOM_SIZE_CHOICE;
    EnableCustomSize(dialog, custom);
    if (custom) SendMessageA(dialog, WM_NEXTDLGCTL, 0, 0);  // into the custom number
    ShowPieceCount(dialog, PathSource::EditText);
    return TRUE;
}

BOOL OnPieceSizeNotice(HWND dialog, int code, int expectedCode)
{
    if (code != expectedCode) return FALSE;
    ShowPieceCount(dialog, PathSource::EditText);
    return TRUE;
}

BOOL OnCommand(HWND dialog, int id, int code)
{
    switch (id) {
    case ID_FILE_SPLIT:
    case IDC_SPLIT:
        StartSplitWorker(dialog);
        return TRUE;
    case IDCANCEL:
        AskToCancel(dialog);
        return TRUE;
    case ID_FILE_EXIT:
    case IDC_EXIT:
        EndDialog(dialog, id);
        return TRUE;
    case ID_HELP_TOPICS:
        OpenHelpFile(dialog);
        return TRUE;
    case ID_HELP_ABOUT:
        ShowAboutBox(dialog);
        return TRUE;
    case IDC_BROWSE_FILE:
        ChooseFile(dialog);
        return TRUE;
    case IDC_BROWSE_FOLDER:
        ChooseFolder(dialog);
        return TRUE;
    case IDC_FILE_BOX:
        return OnFileBoxNotice(dialog, code);
    case IDC_SIZE_CHOICE:
        return OnSizeChoiceNotice(dialog, code);
    case IDC_CUSTOM_NUMBER:
        return OnPieceSizeNotice(dialog, code, EN_CHANGE);
    case IDC_UNIT_LIST:
        return OnPieceSizeNotice(dialog, code, CBN_SELCHANGE);
    }
    return FALSE;
}

// File > Split is greyed while a worker exists, as the Split button is hidden.
void UpdateFileMenu(HWND dialog)
{
    EnableMenuItem(GetMenu(dialog), ID_FILE_SPLIT,
                   MF_BYCOMMAND | (SplitWorkerRunning() ? MF_GRAYED : MF_ENABLED));
}

}  // namespace

HWND StatusBarOf(HWND dialog)
{
    return GetDlgItem(dialog, IDC_STATUS_BAR);
}

HWND ProgressBarOf(HWND dialog)
{
    return GetDlgItem(StatusBarOf(dialog), IDC_PROGRESS);
}

void SetSplitControls(HWND dialog, bool enable)
{
    const int inputs[] = {IDC_FILE_BOX, IDC_BROWSE_FILE, IDC_FOLDER_BOX,
                          IDC_BROWSE_FOLDER, IDC_SIZE_CHOICE, IDC_RECOVERY_PIECE, IDC_EXIT};
    for (int id : inputs) Enable(dialog, id, enable);
    Show(dialog, IDC_SPLIT, enable);
    Show(dialog, IDCANCEL, !enable);
    Enable(dialog, IDC_SPLIT, enable);
    Enable(dialog, IDCANCEL, !enable);
    SetButtonStyle(dialog, IDC_SPLIT, enable);
    SetButtonStyle(dialog, IDCANCEL, !enable);
    bool custom = enable && SizeChoice(dialog) == CUSTOM_SIZE_CHOICE;
    Enable(dialog, IDC_CUSTOM_NUMBER, custom);
    Enable(dialog, IDC_UNIT_LIST, custom);
}

void FillControls(HWND dialog)
{
    Show(dialog, IDC_SPLIT, true);
    Show(dialog, IDCANCEL, false);
    Enable(dialog, IDC_SPLIT, true);
    Enable(dialog, IDCANCEL, false);
    ShowRecentLists(dialog);
    const char* const sizes[] = {"1.44 MB floppy", "Custom size..."};
    AddItems(dialog, IDC_SIZE_CHOICE, sizes, 2);
    SendDlgItemMessageA(dialog, IDC_SIZE_CHOICE, CB_SETCURSEL, 0, 0);
    const char* const units[] = {"Bytes", "KB", "MB", "GB"};
    AddItems(dialog, IDC_UNIT_LIST, units, 4);
    SendDlgItemMessageA(dialog, IDC_UNIT_LIST, CB_SETCURSEL, (WPARAM)-1, 0);
    SetDlgItemTextA(dialog, IDC_FILE_SIZE_LINE, "");
    SetDlgItemTextA(dialog, IDC_PIECE_COUNT_LINE, "");
    Enable(dialog, IDC_CUSTOM_LABEL, false);
    Enable(dialog, IDC_CUSTOM_NUMBER, false);
    Enable(dialog, IDC_UNIT_LIST, false);
}

void ShowPostedStatusText(HWND dialog, char* text)
{
    SetWindowTextA(StatusBarOf(dialog), text);
    free(text);
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return StartMainDialog(dialog);
    case WM_COMMAND:
        return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_INITMENUPOPUP:
        UpdateFileMenu(dialog);
        return FALSE;
    case WM_PAINT:
        PaintEdge(dialog);
        return TRUE;
    case WM_SETCURSOR:
        SetBusyOrArrowCursor(dialog);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        EndMainDialog(dialog);
        return FALSE;
    case WM_APP_STATUS_TEXT:
        ShowPostedStatusText(dialog, (char*)lParam);
        return TRUE;
    case WM_APP_WORKER_GONE:
        OnSplitWorkerGone(dialog, (DWORD)wParam);
        return TRUE;
    }
    return FALSE;
}
