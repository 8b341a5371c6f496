#include "gui_access.h"

#include <commctrl.h>
#include <tlhelp32.h>

namespace {

const UINT SEND_TIMEOUT_MS = 10000;
const int MESSAGE_BOX_TEXT_ID = 0xFFFF;

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM data)
{
    WindowSearch* search = (WindowSearch*)data;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> ProcessWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    EnumWindows(CollectProcessWindow, (LPARAM)&search);
    return search.found;
}

LRESULT SendBounded(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, SEND_TIMEOUT_MS, &result);
    return (LRESULT)result;
}

// The edit field that takes the characters: the control itself, or the
// edit inside a combo box.
HWND EditOf(HWND control)
{
    if (WindowClass(control) != "ComboBox") return control;
    HWND edit = FindWindowExA(control, NULL, "Edit", NULL);
    return edit ? edit : control;
}

std::string Narrow(const wchar_t* wide)
{
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, NULL, 0, NULL, NULL);
    std::vector<char> text((size_t)(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), size, NULL, NULL);
    return text.data();
}

}  // namespace

std::string WindowClass(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WindowText(HWND window)
{
    LRESULT length = SendBounded(window, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> text((size_t)length + 2, '\0');
    SendBounded(window, WM_GETTEXT, text.size(), (LPARAM)text.data());
    return text.data();
}

std::string MessageBoxText(HWND box)
{
    HWND text = GetDlgItem(box, MESSAGE_BOX_TEXT_ID);
    return WindowText(text ? text : box);
}

HWND FindProgramWindow(DWORD processId, const std::string& title, const std::string& className,
                       Ownership ownership)
{
    for (HWND window : ProcessWindows(processId)) {
        bool owned = GetWindow(window, GW_OWNER) != NULL;
        if (owned != (ownership == Ownership::Owned)) continue;
        if (WindowClass(window) == className && WindowText(window) == title) return window;
    }
    return NULL;
}

std::vector<std::string> DescribeProgramWindows(DWORD processId)
{
    std::vector<std::string> lines;
    for (HWND window : ProcessWindows(processId)) {
        std::string line = WindowClass(window) + " \"" + WindowText(window) + "\"";
        if (GetWindow(window, GW_OWNER)) line += " (owned)";
        HWND text = GetDlgItem(window, MESSAGE_BOX_TEXT_ID);
        if (text && WindowClass(text) == "Static") line += ": \"" + WindowText(text) + "\"";
        lines.push_back(line);
    }
    return lines;
}

bool TypeText(HWND dialog, HWND control, const std::string& text)
{
    // The dialog moves the focus itself, as a click into the field would.
    SendBounded(dialog, WM_NEXTDLGCTL, (WPARAM)control, TRUE);
    HWND edit = EditOf(control);
    SendBounded(edit, EM_SETSEL, 0, -1);
    if (text.empty()) {
        SendBounded(edit, WM_CHAR, VK_BACK, 1);
        return true;
    }
    for (unsigned char c : text) SendBounded(edit, WM_CHAR, c, 1);
    return true;
}

bool SelectItem(HWND dialog, HWND combo, int index)
{
    // A user's click into the list gives it the focus first.
    SendBounded(dialog, WM_NEXTDLGCTL, (WPARAM)combo, TRUE);
    if (SendBounded(combo, CB_SETCURSEL, (WPARAM)index, 0) != index) return false;
    WPARAM notification = MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE);
    SendBounded(dialog, WM_COMMAND, notification, (LPARAM)combo);
    return true;
}

int FindItem(HWND combo, const std::string& text)
{
    std::vector<std::string> items = ListItems(combo);
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i] == text) return (int)i;
    return -1;
}

std::vector<std::string> ListItems(HWND combo)
{
    std::vector<std::string> items;
    LRESULT count = SendBounded(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Wine hands list texts to another process in UTF-16 whatever the
        // sender asked for, so ask for UTF-16 and convert.
        DWORD_PTR length = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, (WPARAM)i, 0, SMTO_NORMAL, SEND_TIMEOUT_MS, &length);
        std::vector<wchar_t> wide((size_t)length + 2, L'\0');
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)wide.data(), SMTO_NORMAL, SEND_TIMEOUT_MS, &ignored);
        items.push_back(Narrow(wide.data()));
    }
    return items;
}

void PressButton(HWND button)
{
    PostMessageA(button, BM_CLICK, 0, 0);
}

void PostCommand(HWND window, int id)
{
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void PressKey(HWND target, UINT virtualKey)
{
    // Queued like real input, so the dialog's own loop sees the key first.
    UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | scanCode << 16);
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | scanCode << 16 | 3u << 30);
}

HWND FocusedControl(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info)) return NULL;
    return info.hwndFocus;
}

int CountThreads(DWORD processId)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) ++count;
    CloseHandle(snapshot);
    return count;
}

int ControlId(HWND control)
{
    return GetDlgCtrlID(control);
}
