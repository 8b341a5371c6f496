// Dialogs and message boxes reached as a user reaches them, in this program
// or in another one: found by caption and owner, read, typed into, chosen
// from and pressed. Every wait is on a condition, for a bounded time.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Waits until the condition holds, handling this thread's messages meanwhile
// when `pump` is set (its own windows must keep answering). False after the limit.
bool WaitFor(const std::function<bool()>& condition, bool pump = false, int seconds = 60);
// Whether the condition holds all through the time given.
bool HoldsFor(int milliseconds, const std::function<bool()>& condition, bool pump = false);

// The control of a message box that holds its text.
const int BOX_TEXT = 0xFFFF;

std::string Text(HWND window);
std::string Text(HWND dialog, int id);
bool Shown(HWND dialog, int id);
bool Enabled(HWND dialog, int id);

// A visible dialog or message box with this caption and owner (NULL for an
// unowned one, then of the process `process`), or NULL.
HWND FindDialog(HWND owner, const std::string& caption, DWORD process = 0);
// The same, waited for: a test failure when it does not come.
HWND WaitDialog(HWND owner, const std::string& caption, bool pump = false);
// Presses the button of the box and waits until the box has gone.
void Dismiss(HWND box, int button, bool pump = false);
// Waits for the box, presses the button, and tells what the box said.
std::string Answer(HWND owner, const std::string& caption, int button, bool pump = false);

// Replaces the text of a field (or of a combo box's edit field) key by key.
void Type(HWND dialog, int id, const std::string& text);
// Selects a list item, with the notice the dialog gets from a user's choice.
void Choose(HWND dialog, int id, int index);
// A button or a menu command, queued as a click is.
void Press(HWND window, int id);

// While `show` runs a modal loop here, `act` runs on another thread with the
// dialog it shows.
void WhileShown(HWND owner, const std::string& caption, const std::function<void(HWND)>& act,
                const std::function<void()>& show);

// The whole screen, as NAME.png in the folder $BRINDLE_SCREENSHOTS (if set).
void Screenshot(const std::string& name);
void ClearSettingsKey();

// Another program, started as a user starts it, in a working folder; still
// running when the object goes, it is ended (after a screenshot if the test failed).
class Program {
public:
    Program(const std::string& path, const std::string& folder);
    ~Program();
    // Its unowned dialog with this caption, waited for.
    HWND window(const std::string& caption);
    // Its exit code once it has ended; -1 when it did not end in time.
    long exitCode();

private:
    PROCESS_INFORMATION process_ = {};
};
