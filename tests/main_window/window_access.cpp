#include "window_access.h"

#include <stdexcept>
#include <thread>

#include "test_files.h"

static LRESULT Send(HWND window, UINT message, WPARAM wParam,
                    LPARAM lParam)  // 0 if no answer in time
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return (LRESULT)result;
}

bool WaitFor(const std::function<bool()>& condition, bool pump, int milliseconds)
{
    for (DWORD start = GetTickCount(); !condition();) {
        if (GetTickCount() - start > (DWORD)milliseconds) return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 10,
                                  pump ? QS_ALLINPUT : 0);  // a poll interval, no assumed duration
        for (MSG message; pump && PeekMessageA(&message, NULL, 0, 0, PM_REMOVE);) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

std::string Text(HWND window, int control)
{
    char text[1024] = "";
    Send(control != 0 ? GetDlgItem(window, control) : window, WM_GETTEXT, sizeof text,
         (LPARAM)text);
    return text;
}

HWND FindDialog(HWND owner, const std::string& caption, DWORD process)
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

HWND WaitDialog(HWND owner, const std::string& caption, bool pump, DWORD process)
{
    HWND found = NULL;
    if (!WaitFor([&] { return (found = FindDialog(owner, caption, process)) != NULL; }, pump))
        throw std::runtime_error("no dialog \"" + caption +
                                 "\" came");  // a journey cannot go on without it
    return found;
}

std::string Dismiss(HWND box, int button, bool pump)
{
    std::string text = Text(box, BOX_TEXT);
    Press(box, button);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, pump)) << "still open: " << text;
    return text;
}

void Type(HWND dialog, int id, const std::string& text)
{
    HWND edit = FindWindowExA(GetDlgItem(dialog, id), NULL, "Edit", NULL);  // of a combo box
    if (edit == NULL) edit = GetDlgItem(dialog, id);
    Send(edit, EM_SETSEL, 0, -1);
    for (unsigned char c : text) Send(edit, WM_CHAR, c, 1);
}

void Choose(HWND dialog, int id, int index)
{
    Send(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0);
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)GetDlgItem(dialog, id));
}

void WhileShown(HWND owner, const std::string& caption, const std::function<void(HWND)>& act,
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

void Screenshot(const std::string& name)
{
    const char* folder = getenv("BRINDLE_SCREENSHOTS");
    if (folder == nullptr) return;
    std::string png = std::string(folder) + "/" + name + ".png";
    DeleteFileA(WindowsPathOf(png).c_str());
    RunUnixCommand("import -window root -display $DISPLAY '" + png +
                   "'");  // may return before the picture is made
    EXPECT_TRUE(WaitFor([&] { return FileExists(WindowsPathOf(png)); })) << "no screenshot " << png;
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

long Program::exitCode()
{
    DWORD code = 0;
    bool ended = WaitForSingleObject(process_.hProcess, 60000) == WAIT_OBJECT_0;
    return ended && GetExitCodeProcess(process_.hProcess, &code) ? (long)code : -1;
}
