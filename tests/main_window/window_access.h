// Dialogs and boxes reached as a user reaches them, here or in another program; waits are bounded.
#pragma once

#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <thread>

#include "test_files.h"

// Waits until the condition holds, handling this thread's messages if `pump`; false after the
// limit. A negative check is a condition that does not come within a stated time.
inline bool WaitFor(const std::function<bool()>& condition, bool pump = false,
                    int milliseconds = 60000)
{
    for (DWORD start = GetTickCount(); !condition();) {
        if (GetTickCount() - start > (DWORD)milliseconds) return false;
        // A poll interval, no assumed duration.
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, pump ? QS_ALLINPUT : 0);
        for (MSG message; pump && PeekMessageA(&message, NULL, 0, 0, PM_REMOVE);) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

inline LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)  // 0 if no answer
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return (LRESULT)result;
}

const int BOX_TEXT = 0xFFFF;  // the control of a message box that holds its text
// Of the window, or of one of its controls.
inline std::string Text(HWND window, int control = 0)
{
    char text[1024] = "";
    Send(control != 0 ? GetDlgItem(window, control) : window, WM_GETTEXT, sizeof text,
         (LPARAM)text);
    return text;
}

// A visible dialog or box with this caption and owner (if NULL, of `process`).
inline HWND FindDialog(HWND owner, const std::string& caption, DWORD process = 0)
{
    for (HWND dialog = NULL; (dialog = FindWindowExA(NULL, dialog, "#32770", NULL)) != NULL;) {
        DWORD itsProcess = 0;
        GetWindowThreadProcessId(dialog, &itsProcess);
        if (IsWindowVisible(dialog) && GetWindow(dialog, GW_OWNER) == owner &&
            (process == 0 || itsProcess == process) && Text(dialog) == caption)
            return dialog;
    }
    return NULL;
}
// The same, waited for; an exception when none comes, since a journey cannot go on without it.
inline HWND WaitDialog(HWND owner, const std::string& caption, bool pump = false, DWORD process = 0)
{
    HWND found = NULL;
    if (!WaitFor([&] { return (found = FindDialog(owner, caption, process)) != NULL; }, pump))
        throw std::runtime_error("no dialog \"" + caption + "\" came");
    return found;
}

inline void Press(HWND window, int id)  // a button or menu command, queued as a click is
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(window, id));
}
// Presses the button, waits until the box has gone, and tells what it said; Answer waits for it
// first.
inline std::string Dismiss(HWND box, int button, bool pump = false)
{
    std::string text = Text(box, BOX_TEXT);
    Press(box, button);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, pump)) << "still open: " << text;
    return text;
}
inline std::string Answer(HWND owner, const std::string& caption, int button, bool pump = false)
{
    return Dismiss(WaitDialog(owner, caption, pump), button, pump);
}

inline void Type(HWND dialog, int id, const std::string& text)  // key by key, replacing the text
{
    HWND edit = FindWindowExA(GetDlgItem(dialog, id), NULL, "Edit", NULL);  // of a combo box
    if (edit == NULL) edit = GetDlgItem(dialog, id);
    Send(edit, EM_SETSEL, 0, -1);
    std::wstring keys(text.size() + 1, L'\0');  // UTF-16 units, as a keyboard sends them
    keys.resize(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &keys[0], (int)keys.size()) - 1);
    for (wchar_t key : keys) SendMessageTimeoutW(edit, WM_CHAR, key, 1, SMTO_NORMAL, 10000, NULL);
}
inline void Choose(HWND dialog, int id, int index)  // with the notice a user's choice sends
{
    Send(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0);
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, id));
}

// While `show` runs a modal loop here, `act` runs on another thread with the dialog it shows.
inline void WhileShown(HWND owner, const std::string& caption, const std::function<void(HWND)>& act,
                       const std::function<void()>& show)
{
    std::thread helper([&] {
        try {
            act(WaitDialog(owner, caption));
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what();
        }
    });
    show();
    helper.join();
}

// NAME.png in $BRINDLE_SCREENSHOTS, if set: of the window with what lies on it, or of the screen.
inline void Screenshot(const std::string& name, HWND window = NULL)
{
    const char* folder = getenv("BRINDLE_SCREENSHOTS");
    if (folder == nullptr) return;
    std::string png = std::string(folder) + "/" + name + ".png";
    DeleteFileA(WindowsPathOf(png).c_str());
    RECT r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window != NULL) GetWindowRect(window, &r);
    std::string crop = std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
                       "+" + std::to_string(r.left) + "+" + std::to_string(r.top) + " +repage";
    // The command may return before the picture is made.
    RunUnixCommand("import -window root -display $DISPLAY -crop " + crop + " '" + png + "'");
    EXPECT_TRUE(WaitFor([&] { return FileExists(WindowsPathOf(png)); })) << "no screenshot " << png;
}

inline void ClearSettingsKey()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velloran\\Brindle");
}

// Another program, started in a working folder; ended when the object goes (after a screenshot if
// the test failed).
class Program {
public:
    Program(const std::string& path, const std::string& folder)
    {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string line = "\"" + path + "\"";
        EXPECT_TRUE(CreateProcessA(path.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL,
                                   folder.c_str(), &startup, &process_))
            << "could not start " << path;
    }
    ~Program()
    {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
            if (testing::Test::HasFailure() || std::uncaught_exceptions() > 0)
                Screenshot(std::string("failed_") +
                           testing::UnitTest::GetInstance()->current_test_info()->name());
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 10000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    HWND window(const std::string& caption)
    {
        return WaitDialog(NULL, caption, false, process_.dwProcessId);
    }
    long exitCode()  // once it has ended; -1 if it did not end in time
    {
        DWORD code = 0;
        bool ended = WaitForSingleObject(process_.hProcess, 60000) == WAIT_OBJECT_0;
        return ended && GetExitCodeProcess(process_.hProcess, &code) ? (long)code : -1;
    }

private:
    PROCESS_INFORMATION process_ = {};
};
