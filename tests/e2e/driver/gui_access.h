// Reaching the windows of another program as a user would: top-level
// windows by title, class and owner, controls by id, typing, choosing,
// pressing, and reading texts and states. Every call that goes to the other
// program is bounded in time, so a hung program fails a step instead of
// hanging the driver.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum class Ownership { Unowned, Owned };

// A visible top-level window of the process with this title and class.
HWND FindProgramWindow(DWORD processId, const std::string& title, const std::string& className,
                       Ownership ownership);
// One line per visible top-level window of the process: class, title,
// owner, and the text of a message box. For failure reports.
std::vector<std::string> DescribeProgramWindows(DWORD processId);

std::string WindowClass(HWND window);
std::string WindowText(HWND window);
// The text of a message box (its static control 0xFFFF), or of any window.
std::string MessageBoxText(HWND box);

// Characters sent one by one to the control's edit field after selecting
// what it holds, so the program's own change notifications fire per key.
bool TypeText(HWND dialog, HWND control, const std::string& text);
// A list item chosen as a user's choice: the selection, then CBN_SELCHANGE
// to the parent.
bool SelectItem(HWND dialog, HWND combo, int index);
int FindItem(HWND combo, const std::string& text);
std::vector<std::string> ListItems(HWND combo);
// A button press, queued so that a modal dialog the press opens cannot
// block the driver.
void PressButton(HWND button);
void PostCommand(HWND window, int id);
// A key pressed and released while `target` has the keyboard focus.
void PressKey(HWND target, UINT virtualKey);
// The control that has the keyboard focus in the window's thread.
HWND FocusedControl(HWND window);
// The number of threads the process runs now; -1 when it cannot be told.
int CountThreads(DWORD processId);
// The id a dialog gives its controls (a 16-bit id of -1 reads as 0xFFFF).
int ControlId(HWND control);
