#include <windows.h>

#include <gtest/gtest.h>

#include "main_dialog.h"
#include "recent_lists.h"
#include "recent_lists_dialog.h"
#include "resource.h"
#include "settings_store.h"

TEST(MoveToFront, TheTextGoesFirstAndOnlyAMatchLeavesItsPlace)
{
    RecentList list = {"a", "b", "c", "d", "e", "f", "g", "h"};
    MoveToFront(list, "i");  // the oldest goes
    MoveToFront(list, "C");  // a match in another case takes the new case
    EXPECT_EQ(list, (RecentList{"C", "i", "a", "b", "d", "e", "f", "g"}));
}

const char KEY[] = "Software\\Velloran\\Brindle";

// The items of a box's drop-down list, each followed by "|".
std::string Items(HWND dialog, int id)
{
    std::string items;
    char text[1024];
    for (int i = 0; SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, (LPARAM)text) != CB_ERR; ++i)
        items = items + text + "|";
    return items;
}

TEST(Settings, StoredSlotsShowWithoutGapsANegativePositionCentresAndAResplitMovesToTheFront)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, KEY);
    const std::string longest(511, 'y');  // with a terminating zero it fills the 512 bytes
    const std::string files[] = {"C:\\a", "", "c:\\data\\big.iso", std::string(513, 'x'), longest};
    for (int slot = 0; slot < 5; ++slot)
        RegSetKeyValueA(HKEY_CURRENT_USER, KEY, ("RecentFile" + std::to_string(slot)).c_str(),
                        REG_SZ, files[slot].c_str(), (DWORD)files[slot].size());
    RegSetKeyValueA(HKEY_CURRENT_USER, KEY, "RecentFolder0", REG_SZ, "D:\\Pieces", 9);
    const int32_t minimised = -32000, top = 100;  // a window closed while minimised stores -32000
    RegSetKeyValueA(HKEY_CURRENT_USER, KEY, "posx", REG_DWORD, &minimised, 4);
    RegSetKeyValueA(HKEY_CURRENT_USER, KEY, "posy", REG_DWORD, &top, 4);
    const int32_t checked = 1;
    RegSetKeyValueA(HKEY_CURRENT_USER, KEY, "RecoveryPiece", REG_DWORD, &checked, 4);
    HWND dialog = CreateDialogParamA(NULL, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc, 0);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_RECOVERY_PIECE), BST_CHECKED);
    SendDlgItemMessageA(dialog, IDC_RECOVERY_PIECE, BM_CLICK, 0, 0);  // cleared before the exit
    RECT r;
    GetWindowRect(dialog, &r);
    // Centred: as far from the left edge of the screen as from the right, and so up and down.
    EXPECT_NEAR(r.left, GetSystemMetrics(SM_CXSCREEN) - r.right, 1);
    EXPECT_NEAR(r.top, GetSystemMetrics(SM_CYSCREEN) - r.bottom, 1);
    const std::string shown = "C:\\a|c:\\data\\big.iso|" + longest + "|";  // too long: not read
    EXPECT_EQ(Items(dialog, IDC_FILE_BOX), shown);
    SetDlgItemTextA(dialog, IDC_FILE_BOX, "C:\\Data\\Big.iso");  // then a successful split
    SetDlgItemTextA(dialog, IDC_FOLDER_BOX, "D:\\Pieces\\");
    RememberRecent(dialog);
    EXPECT_EQ(Items(dialog, IDC_FILE_BOX), shown);  // the new order shows at the next start
    DestroyWindow(dialog);
    int32_t savedLeft, savedTop;
    bool recoveryPiece = true;
    LoadSettings(savedLeft, savedTop, recoveryPiece);
    EXPECT_FALSE(recoveryPiece);
    EXPECT_EQ(RecentFiles, (RecentList{"C:\\Data\\Big.iso", "C:\\a", "", "", longest}));
    EXPECT_EQ(RecentFolders, (RecentList{"D:\\Pieces\\", "D:\\Pieces"}));  // two folders
    EXPECT_TRUE(savedLeft == r.left && savedTop == r.top);
    RegDeleteTreeA(HKEY_CURRENT_USER, KEY);
    RecentFiles = RecentFolders = RecentList();
}
