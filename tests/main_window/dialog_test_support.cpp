#include "dialog_test_support.h"

#include <commctrl.h>

#include <chrono>

#include "main_dialog.h"
#include "recent_lists.h"
#include "resource.h"

namespace {

const auto WAIT_LIMIT = std::chrono::seconds(30);

struct DialogSearch {
    HWND owner;
    const std::string* caption;  // null: any caption
    HWND found;
};

BOOL CALLBACK MatchOwnedDialog(HWND window, LPARAM data)
{
    DialogSearch* search = (DialogSearch*)data;
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) == "#32770" && GetWindow(window, GW_OWNER) == search->owner &&
        IsWindowVisible(window) &&
        (search->caption == nullptr || WindowText(window) == *search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK LongestStaticText(HWND child, LPARAM data)
{
    std::string* text = (std::string*)data;
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    std::string childText = WindowText(child);
    if (_stricmp(className, "Static") == 0 && childText.size() > text->size()) *text = childText;
    return TRUE;
}

}  // namespace

HWND CreateMainDialog()
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     MainDialogProc, 0);
    ShowWindow(dialog, SW_SHOW);
    return dialog;
}

bool PumpUntil(const std::function<bool()>& condition)
{
    auto end = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return true;
}

bool WaitUntil(const std::function<bool()>& condition)
{
    auto end = std::chrono::steady_clock::now() + WAIT_LIMIT;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(10);  // a poll interval, not a wait for an assumed duration
    }
    return true;
}

std::string WindowText(HWND window)
{
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

bool IsShown(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

bool IsEnabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool IsDefaultButton(HWND dialog, int id)
{
    return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
}

HWND FindOwnedDialog(HWND owner, const std::string& caption)
{
    DialogSearch search = {owner, &caption, NULL};
    EnumWindows(MatchOwnedDialog, (LPARAM)&search);
    return search.found;
}

HWND FindAnyOwnedDialog(HWND owner)
{
    DialogSearch search = {owner, nullptr, NULL};
    EnumWindows(MatchOwnedDialog, (LPARAM)&search);
    return search.found;
}

std::string MessageBoxText(HWND box)
{
    std::string text;
    EnumChildWindows(box, LongestStaticText, (LPARAM)&text);
    return text;
}

void TypeText(HWND field, const std::string& text)
{
    char className[64] = "";
    GetClassNameA(field, className, sizeof className);
    HWND edit = field;
    if (_stricmp(className, "ComboBox") == 0) edit = FindWindowExA(field, NULL, "Edit", NULL);
    for (char c : text) SendMessageA(edit, WM_CHAR, (unsigned char)c, 1);
}

void ChooseItem(HWND dialog, int id, int index)
{
    HWND box = GetDlgItem(dialog, id);
    SendMessageA(box, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)box);
}

DialogAnswerer::DialogAnswerer(HWND owner, const std::string& caption, int answer,
                               std::function<void(HWND)> look)
{
    thread_ = std::thread([this, owner, caption, answer, look]() {
        HWND found = NULL;
        if (!WaitUntil([&]() { return (found = FindOwnedDialog(owner, caption)) != NULL; }))
            return;
        if (look) look(found);
        answered_ = true;
        PostMessageA(found, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    });
}

DialogAnswerer::~DialogAnswerer()
{
    thread_.join();
}

void ClearSettingsKey()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        char name[256];
        DWORD size = sizeof name;
        while (RegEnumValueA(key, 0, name, &size, NULL, NULL, NULL, NULL) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name);
            size = sizeof name;
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, SETTINGS_KEY);
}
