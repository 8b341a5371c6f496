// Helpers for tests that drive Brindle's dialogs in-process: the dialogs are
// created from their templates with their real procedures, controls are
// found by id, and waits are on conditions while messages are pumped.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

// The main dialog, modeless, shown.
HWND CreateMainDialog();

// Pumps this thread's messages until the condition holds; false after a
// generous limit (a test then fails instead of hanging).
bool PumpUntil(const std::function<bool()>& condition);

// Waits (without pumping: for another thread) until the condition holds.
bool WaitUntil(const std::function<bool()>& condition);

std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);
bool IsShown(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
bool IsDefaultButton(HWND dialog, int id);

// The dialog window (a message box or a dialog) with this caption owned by
// `owner`, or NULL.
HWND FindOwnedDialog(HWND owner, const std::string& caption);
// The first visible dialog owned by `owner`, whatever its caption, or NULL.
HWND FindAnyOwnedDialog(HWND owner);
// The text of a message box.
std::string MessageBoxText(HWND box);

// Types the text into an edit field (or a combo box's edit field) key by key.
void TypeText(HWND field, const std::string& text);
// Selects an item of a combo box as the user would, with its notice.
void ChooseItem(HWND dialog, int id, int index);

// Runs on another thread: waits for a dialog with this caption owned by
// `owner`, calls `look` with it, then presses the button `answer`.
class DialogAnswerer {
public:
    DialogAnswerer(HWND owner, const std::string& caption, int answer,
                   std::function<void(HWND)> look = nullptr);
    ~DialogAnswerer();
    // Whether the dialog was found and answered.
    bool answered() const { return answered_; }

private:
    std::thread thread_;
    volatile bool answered_ = false;
};

// Deletes Brindle's settings key and everything in it.
void ClearSettingsKey();
