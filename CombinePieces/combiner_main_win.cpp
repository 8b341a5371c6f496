// The combiner program's entry and its one dialog (101): start-up texts,
// status bar and progress bar, and the OK handling that runs the reassembly.
#include <windows.h>
#include <commctrl.h>

#include "file_system.h"
#include "message_pump.h"
#include "parameter_text.h"
#include "progress_bar.h"
#include "reassembly.h"
#include "resource.h"
#include "shared_constants.h"

static HINSTANCE hInstance;
// True exactly while a reassembly run is in progress: it drives the pointer.
static bool busy;

// The run goes through this interface; nothing calls a pure virtual
// function, and the library's version would pull in exception support.
extern "C" void __cxa_pure_virtual()
{
    ExitProcess(3);
}

class DialogHost : public ReassemblyHost {
public:
    explicit DialogHost(HWND dialog) : dialog_(dialog) {}

    void readFileToCreate(char* out, size_t size) override
    {
        GetDlgItemTextA(dialog_, IDC_FILE_TO_CREATE, out, (int)size);
    }
    void readPiecesFolder(char* out, size_t size) override
    {
        GetDlgItemTextA(dialog_, IDC_PIECES_FOLDER, out, (int)size);
    }
    void loadString(int id, char* out, int capacity) override
    {
        LoadStringA(NULL, (UINT)id, out, capacity);
    }
    bool programPath(char* out, size_t size) override { return GetProgramPath(out, size); }
    int messageBox(const char* text, unsigned style) override
    {
        return MessageBoxA(dialog_, text, "Brindle", style);
    }
    void showProgress(int percent, const char* text) override
    {
        HWND statusBar = GetDlgItem(dialog_, IDC_STATUS_BAR);
        SendMessageA(GetDlgItem(statusBar, IDC_PROGRESS), PBM_SETPOS, (WPARAM)percent, 0);
        SetWindowTextA(statusBar, text);
    }
    void pumpMessages() override { ::pumpMessages(dialog_); }
    // Fixed global memory: the pointer is its own handle.
    void* obtainBuffer(size_t size) override { return GlobalAlloc(GMEM_FIXED, size); }
    void releaseBuffer(void* buffer) override { GlobalFree(buffer); }

private:
    HWND dialog_;
};

static void SetDialogIcon(HWND dialog)
{
    HICON icon = LoadIconA(hInstance, MAKEINTRESOURCEA(IDI_COMBINER));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)icon);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, (LPARAM)icon);
}

// By default the pieces are looked for, and the file is created, in the
// folder the program was started from.
static void InitDialogTexts(HWND dialog)
{
    DialogHost host(dialog);
    char folder[MAX_TEXT + 1];
    if (!GetCurrentFolder(folder, MAX_TEXT)) folder[0] = '\0';
    size_t folderLength = lstrlenA(folder);
    if (folderLength == 0 || folder[folderLength - 1] != '\\') {
        folder[folderLength++] = '\\';
        folder[folderLength] = '\0';
    }
    char name[FILE_NAME_CAPACITY];
    LoadFileName(host, name);
    FitNameAfterFolder(name, folderLength);
    char text[2 * MAX_TEXT];
    wsprintfA(text, "'%s'", name);
    SetDlgItemTextA(dialog, IDC_FILE_NAME, text);
    wsprintfA(text, "%s%s", folder, name);
    SetDlgItemTextA(dialog, IDC_FILE_TO_CREATE, text);
    SetDlgItemTextA(dialog, IDC_PIECES_FOLDER, folder);
}

static void OnInitDialog(HWND dialog)
{
    SetDialogIcon(dialog);
    CreateStatusAndProgressBars(dialog);
    InitDialogTexts(dialog);
}

static void EnableButtons(HWND dialog, BOOL enable)
{
    EnableWindow(GetDlgItem(dialog, IDOK), enable);
    EnableWindow(GetDlgItem(dialog, IDCANCEL), enable);
}

static void OnOk(HWND dialog)
{
    EnableButtons(dialog, FALSE);
    busy = true;
    DialogHost host(dialog);
    if (ReassembleFile(host)) EndDialog(dialog, 1);
    busy = false;
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
    EnableButtons(dialog, TRUE);
}

static INT_PTR CALLBACK CombinerDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            OnOk(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 2);
            return TRUE;
        }
        return FALSE;
    case WM_SETCURSOR:
        SetCursor(LoadCursorA(NULL, busy ? IDC_WAIT : IDC_ARROW));
        return TRUE;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    hInstance = instance;
    busy = false;
    InitCommonControls();
    return (int)DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_COMBINER), NULL, CombinerDialog, 0);
}
