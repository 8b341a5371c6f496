#include "recent_lists_dialog.h"

#include <windows.h>

#include "recent_lists.h"
#include "resource.h"
#include "shared_constants.h"

namespace {

void FillBoxList(HWND box, const RecentList& list)
{
    int items = 0;
    for (const std::string& entry : list) {
        if (entry.empty()) continue;
        SendMessageA(box, CB_ADDSTRING, 0, (LPARAM)entry.c_str());
        ++items;
    }
    if (items == 0) SendMessageA(box, CB_ADDSTRING, 0, (LPARAM)"");
}

std::string ControlText(HWND dialog, int id)
{
    char text[MAX_TEXT] = "";
    GetWindowTextA(GetDlgItem(dialog, id), text, sizeof text);
    return text;
}

}  // namespace

void ShowRecentLists(HWND dialog)
{
    RecentList files, folders;
    {
        std::lock_guard<std::mutex> lock(RecentListsGuard);
        files = RecentFiles;
        folders = RecentFolders;
    }
    FillBoxList(GetDlgItem(dialog, IDC_FILE_BOX), files);
    FillBoxList(GetDlgItem(dialog, IDC_FOLDER_BOX), folders);
}

void RememberRecent(HWND dialog)
{
    // The texts are read before the lists are locked: reading them waits for
    // the dialog's thread, which may itself be waiting for the lists at exit.
    std::string file = ControlText(dialog, IDC_FILE_BOX);
    std::string folder = ControlText(dialog, IDC_FOLDER_BOX);
    std::lock_guard<std::mutex> lock(RecentListsGuard);
    MoveToFront(RecentFiles, file);
    MoveToFront(RecentFolders, folder);
}
