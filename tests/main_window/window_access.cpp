#include "window_access.h"

#include <string.h>

#include <thread>

#include <gtest/gtest.h>

#include "test_files.h"

namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return (LRESULT)result;
}

struct DialogSearch {
    HWND owner;
    const std::string& caption;
    DWORD process;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM data)
{
    DialogSearch& search = *(DialogSearch*)data;
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (strcmp(className, "#32770") != 0 || !IsWindowVisible(window) ||
        GetWindow(window, GW_OWNER) != search.owner ||
        (search.process != 0 && process != search.process) || Text(window) != search.caption)
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

bool WaitFor(const std::function<bool()>& condition, bool pump, int seconds)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > (DWORD)seconds * 1000) return false;
        // A poll interval, not a wait for an assumed duration.
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10, pump ? QS_ALLINPUT : 0);
        MSG message;
        while (pump && PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

bool HoldsFor(int milliseconds, const std::function<bool()>& condition, bool pump)
{
    DWORD start = GetTickCount();
    bool held = true;
    WaitFor([&]() { return !(held = condition()) || GetTickCount() - start >= (DWORD)milliseconds; },
            pump);
    return held;
}

std::string Text(HWND window)
{
    char text[1024] = "";
    Send(window, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

std::string Text(HWND dialog, int id)
{
    return Text(GetDlgItem(dialog, id));
}

bool Shown(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

HWND FindDialog(HWND owner, const std::string& caption, DWORD process)
{
    DialogSearch search = {owner, caption, process, NULL};
    EnumWindows(MatchDialog, (LPARAM)&search);
    return search.found;
}

HWND WaitDialog(HWND owner, const std::string& caption, bool pump)
{
    HWND found = NULL;
    if (!WaitFor([&]() { return (found = FindDialog(owner, caption)) != NULL; }, pump))
        ADD_FAILURE() << "no dialog \"" << caption << "\" came";
    return found;
}

void Dismiss(HWND box, int button, bool pump)
{
    Press(box, button);
    EXPECT_TRUE(WaitFor([&]() { return !IsWindow(box); }, pump)) << "still open: " << Text(box);
}

std::string Answer(HWND owner, const std::string& caption, int button, bool pump)
{
    HWND box = WaitDialog(owner, caption, pump);
    if (box == NULL) return "";
    std::string text = Text(box, BOX_TEXT);
    Dismiss(box, button, pump);
    return text;
}

void Type(HWND dialog, int id, const std::string& text)
{
    HWND field = GetDlgItem(dialog, id);
    HWND edit = FindWindowExA(field, NULL, "Edit", NULL);  // a combo box's edit field
    if (edit == NULL) edit = field;
    Send(edit, EM_SETSEL, 0, -1);
    for (unsigned char c : text) Send(edit, WM_CHAR, c, 1);
}

void Choose(HWND dialog, int id, int index)
{
    Send(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0);
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, id));
}

void Press(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(window, id));
}

void WhileShown(HWND owner, const std::string& caption, const std::function<void(HWND)>& act,
                const std::function<void()>& show)
{
    std::thread helper([&]() {
        if (HWND dialog = WaitDialog(owner, caption)) act(dialog);
    });
    show();
    helper.join();
}

void Screenshot(const std::string& name)
{
    const char* folder = getenv("BRINDLE_SCREENSHOTS");
    if (folder == nullptr) return;
    std::string png = std::string(folder) + "/" + name + ".png";
    DeleteFileA(WindowsPathOf(png).c_str());
    // The command may still run when the call returns: its picture is waited for.
    RunUnixCommand("mkdir -p '" + std::string(folder) + "' && import -window root -display " +
                   "$DISPLAY '" + png + ".part.png' && mv '" + png + ".part.png' '" + png + "'");
    EXPECT_TRUE(WaitFor([&] { return FileExists(WindowsPathOf(png)); })) << "no screenshot " << png;
}

void ClearSettingsKey()
{
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Velloran\\Brindle");
}

Program::Program(const std::string& path, const std::string& folder)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::string line = "\"" + path + "\"";
    EXPECT_TRUE(CreateProcessA(path.c_str(), &line[0], NULL, NULL, FALSE, 0, NULL, folder.c_str(),
                               &startup, &process_))
        << "could not start " << path;
}

Program::~Program()
{
    if (process_.hProcess == NULL) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        if (testing::Test::HasFailure())
            Screenshot(std::string("failed_") +
                       testing::UnitTest::GetInstance()->current_test_info()->name());
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
}

HWND Program::window(const std::string& caption)
{
    HWND found = NULL;
    if (!WaitFor([&]() { return (found = FindDialog(NULL, caption, process_.dwProcessId)) != NULL; }))
        ADD_FAILURE() << "the program showed no window \"" << caption << "\"";
    return found;
}

long Program::exitCode()
{
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(process_.hProcess, 60000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process_.hProcess, &code);
    return (long)code;
}
