#include "progress_bar.h"

#include <windows.h>

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
