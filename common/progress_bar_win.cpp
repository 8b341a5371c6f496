#include "progress_bar.h"

#include <windows.h>
#include <commctrl.h>

#include "shared_constants.h"

namespace {

// Pixels: the status bar's two parts end at 40 and at the end of the bar; the
// progress bar starts after the percentage.
const int STATUS_PART_EDGES[2] = {40, -1};
const int PROGRESS_LEFT = 42;
const int PROGRESS_TOP = 2;

// Neither program has a manifest, so Windows draws their progress bars in the
// classic style. Wine applies its theme anyway, and redraws a themed bar in
// software in several milliseconds, once per percent, on the dialog's thread
// while the copy runs. An empty theme (" ") keeps the bar classic there too.
// uxtheme.dll is looked up at run time: Windows before XP has none.
void UseClassicProgressBar(HWND bar)
{
    HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    if (uxtheme == NULL) return;
    typedef HRESULT(WINAPI * SetWindowThemeCall)(HWND, LPCWSTR, LPCWSTR);
    SetWindowThemeCall setWindowTheme =
        (SetWindowThemeCall)(void*)GetProcAddress(uxtheme, "SetWindowTheme");
    if (setWindowTheme != NULL) setWindowTheme(bar, L" ", L" ");
}

}  // namespace

void CreateStatusAndProgressBars(HWND dialog)
{
    HWND status = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "", dialog, IDC_STATUS_BAR);
    SendMessageA(status, SB_SETPARTS, 2, (LPARAM)STATUS_PART_EDGES);
    RECT bar;
    GetWindowRect(status, &bar);
    HINSTANCE instance = (HINSTANCE)GetWindowLongPtrA(dialog, GWLP_HINSTANCE);
    HWND progress = CreateWindowExA(
        0, PROGRESS_CLASSA, "progress", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, PROGRESS_LEFT,
        PROGRESS_TOP, (bar.right - bar.left) - PROGRESS_LEFT, (bar.bottom - bar.top) - PROGRESS_TOP,
        status, (HMENU)(INT_PTR)IDC_PROGRESS, instance, NULL);
    UseClassicProgressBar(progress);
}
