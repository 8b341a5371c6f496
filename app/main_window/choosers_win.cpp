#include "choosers.h"

#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include "path_text_string.h"
#include "resource.h"
#include "shared_constants.h"
#include "size_controls.h"

namespace {

const char* const PREVIOUS_PROCEDURE_PROPERTY = "brindle_drop_prev";

std::string ControlText(HWND dialog, int id)
{
    char text[MAX_TEXT] = "";
    GetWindowTextA(GetDlgItem(dialog, id), text, sizeof text);
    return text;
}

// Setting a box's text does not report an edit, so the estimates are
// refreshed here.
void TakeChosenFile(HWND dialog, const char* path)
{
    SetWindowTextA(GetDlgItem(dialog, IDC_FILE_BOX), path);
    ShowFileSize(dialog, PathSource::EditText);
    ShowPieceCount(dialog, PathSource::EditText);
    DefaultFolderFromFile(dialog, NULL);
}

// The folder's path in the ANSI code page. Read wide and converted here:
// the ...A form allows only MAX_PATH bytes, which a UTF-8 path of far fewer
// characters can exceed.
bool FolderPathOf(LPCITEMIDLIST item, char (&path)[MAX_TEXT])
{
    wchar_t wide[MAX_PATH];
    return SHGetPathFromIDListW(item, wide) &&
           WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, NULL, NULL) > 0;
}

int CALLBACK FolderBrowseCallback(HWND browser, UINT message, LPARAM data, LPARAM)
{
    if (message == BFFM_SELCHANGED) {
        char path[MAX_TEXT];
        if (FolderPathOf((LPCITEMIDLIST)data, path))
            SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, (LPARAM)path);
    }
    return 0;
}

LRESULT CALLBACK FileBoxDropProc(HWND fileBox, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous = (WNDPROC)GetPropA(fileBox, PREVIOUS_PROCEDURE_PROPERTY);
    if (message == WM_DROPFILES) {
        HDROP drop = (HDROP)wParam;
        char path[MAX_TEXT] = "";
        // Only the first dropped item is taken.
        if (DragQueryFileA(drop, 0, path, sizeof path) == 0) path[0] = '\0';
        DragFinish(drop);
        TakeChosenFile(GetParent(fileBox), path);
        return 1;
    }
    if (message == WM_NCDESTROY) {
        RemovePropA(fileBox, PREVIOUS_PROCEDURE_PROPERTY);
        SetWindowLongPtrA(fileBox, GWLP_WNDPROC, (LONG_PTR)previous);
    }
    return CallWindowProcA(previous, fileBox, message, wParam, lParam);
}

}  // namespace

void ChooseFile(HWND dialog)
{
    char path[MAX_TEXT] = "";
    OPENFILENAMEA request;
    ZeroMemory(&request, sizeof request);
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the 76-byte form
    request.hwndOwner = dialog;
    request.lpstrFilter = "All Files (*.*)\0*.*\0";
    request.nFilterIndex = 1;
    request.lpstrFile = path;
    request.nMaxFile = sizeof path;
    request.lpstrTitle = "File to split";
    request.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_ENABLESIZING;
    if (GetOpenFileNameA(&request)) TakeChosenFile(dialog, path);
}

void ChooseFolder(HWND dialog)
{
    IMalloc* allocator = NULL;
    if (FAILED(SHGetMalloc(&allocator)) || allocator == NULL) return;
    char displayName[MAX_PATH] = "";
    BROWSEINFOA request;
    ZeroMemory(&request, sizeof request);
    request.hwndOwner = dialog;
    request.pszDisplayName = displayName;
    request.lpszTitle = "Select a folder for the pieces.";
    request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
    request.lpfn = FolderBrowseCallback;
    LPITEMIDLIST item = SHBrowseForFolderA(&request);
    if (item != NULL) {
        char path[MAX_TEXT];
        if (FolderPathOf(item, path)) SetDlgItemTextA(dialog, IDC_FOLDER_BOX, path);
        allocator->Free(item);
    }
    allocator->Release();
}

void InstallDropHandler(HWND fileBox)
{
    LONG_PTR previous = GetWindowLongPtrA(fileBox, GWLP_WNDPROC);
    SetPropA(fileBox, PREVIOUS_PROCEDURE_PROPERTY, (HANDLE)previous);
    SetWindowLongPtrA(fileBox, GWLP_WNDPROC, (LONG_PTR)FileBoxDropProc);
}

void DefaultFolderFromFile(HWND dialog, const std::string* path)
{
    if (!ControlText(dialog, IDC_FOLDER_BOX).empty()) return;
    std::string file = path != NULL ? *path : ControlText(dialog, IDC_FILE_BOX);
    SetDlgItemTextA(dialog, IDC_FOLDER_BOX, FolderPart(file).c_str());
}
