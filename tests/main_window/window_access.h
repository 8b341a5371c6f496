// Dialogs and boxes reached as a user reaches them, here or in another program; waits are bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Waits until the condition holds, handling this thread's messages if `pump`; false after the
// limit. A negative check is a condition that does not come within a stated time.
bool WaitFor(const std::function<bool()>& condition, bool pump = false, int milliseconds = 60000);

const int BOX_TEXT = 0xFFFF;                     // the control of a message box that holds its text
std::string Text(HWND window, int control = 0);  // of the window, or of one of its controls
inline bool Shown(HWND dialog, int id)
{
    return GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE;
}
inline bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id));
}

// A visible dialog or box with this caption and owner (if NULL, of `process`); waited for, or an
// exception.
HWND FindDialog(HWND owner, const std::string& caption, DWORD process = 0);
HWND WaitDialog(HWND owner, const std::string& caption, bool pump = false, DWORD process = 0);
// Presses the button, waits until the box has gone, and tells what it said; Answer waits for it
// first.
std::string Dismiss(HWND box, int button, bool pump = false);
inline std::string Answer(HWND owner, const std::string& caption, int button, bool pump = false)
{
    return Dismiss(WaitDialog(owner, caption, pump), button, pump);
}

void Type(HWND dialog, int id, const std::string& text);  // key by key, replacing the text
void Choose(HWND dialog, int id, int index);              // with the notice a user's choice sends
inline void Press(HWND window, int id)  // a button or menu command, queued as a click is
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(window, id));
}
// While `show` runs a modal loop here, `act` runs on another thread with the dialog it shows.
void WhileShown(HWND owner, const std::string& caption, const std::function<void(HWND)>& act,
                const std::function<void()>& show);

void Screenshot(const std::string& name);  // NAME.png in the folder $BRINDLE_SCREENSHOTS, if set
inline void ClearSettingsKey()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velloran\\Brindle");
}

// Another program, started in a working folder; ended when the object goes (after a screenshot if
// the test fails).
class Program {
public:
    Program(const std::string& path, const std::string& folder);
    ~Program();
    HWND window(const std::string& caption)
    {
        return WaitDialog(NULL, caption, false, process_.dwProcessId);
    }
    long exitCode();  // once it has ended; -1 if it did not end in time

private:
    PROCESS_INFORMATION process_ = {};
};
