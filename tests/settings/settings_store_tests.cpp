#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "recent_lists.h"
#include "recent_lists_dialog.h"
#include "resource.h"
#include "settings_store.h"

namespace {

struct StoredValue {
    bool exists = false;
    DWORD type = 0;
    std::string bytes;
};

// The value as stored. The wide form is read, as the ANSI form may add a
// terminating zero of its own when it converts a text.
StoredValue ReadStored(const std::string& name)
{
    StoredValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    std::wstring wideName(name.begin(), name.end());
    BYTE data[4096];
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, wideName.c_str(), NULL, &value.type, data, &size) ==
        ERROR_SUCCESS) {
        value.exists = true;
        if (value.type == REG_SZ) {
            const wchar_t* text = (const wchar_t*)data;
            for (DWORD i = 0; i < size / sizeof(wchar_t); ++i) value.bytes += (char)text[i];
            // Wine's ANSI write adds a terminating zero to a text that has
            // none; Windows stores the bytes it is given.
            if (!value.bytes.empty() && value.bytes.back() == '\0') value.bytes.pop_back();
        } else {
            value.bytes.assign((const char*)data, size);
        }
    }
    RegCloseKey(key);
    return value;
}

// Stores the text without a terminating zero, as Brindle writes it.
void Store(const std::string& name, const std::string& text)
{
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    std::wstring wideName(name.begin(), name.end()), wideText(text.begin(), text.end());
    RegSetValueExW(key, wideName.c_str(), 0, REG_SZ, (const BYTE*)wideText.data(),
                   (DWORD)(wideText.size() * sizeof(wchar_t)));
    RegCloseKey(key);
}

void StorePosition(int32_t left, int32_t top)
{
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    RegSetValueExA(key, "posx", 0, REG_DWORD, (const BYTE*)&left, 4);
    RegSetValueExA(key, "posy", 0, REG_DWORD, (const BYTE*)&top, 4);
    RegCloseKey(key);
}

int32_t StoredNumber(const std::string& name)
{
    StoredValue value = ReadStored(name);
    int32_t number = 0;
    if (value.bytes.size() == 4) memcpy(&number, value.bytes.data(), 4);
    return number;
}

std::vector<std::string> ListItems(HWND dialog, int id)
{
    std::vector<std::string> items;
    int count = (int)SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[1024] = "";
        SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, (LPARAM)text);
        items.push_back(text);
    }
    return items;
}

POINT CentreFor(HWND dialog)
{
    RECT window, desktop;
    GetWindowRect(dialog, &window);
    GetWindowRect(GetDesktopWindow(), &desktop);
    return {(desktop.right - (window.right - window.left)) / 2,
            (desktop.bottom - (window.bottom - window.top)) / 2};
}

POINT PositionOf(HWND dialog)
{
    RECT window;
    GetWindowRect(dialog, &window);
    return {window.left, window.top};
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override { ClearSettingsKey(); }
    void TearDown() override { ClearSettingsKey(); }

    // What a successful split of this file into this folder leaves behind.
    void splitOnce(HWND dialog, const std::string& file, const std::string& folder)
    {
        SetDlgItemTextA(dialog, IDC_FILE_BOX, file.c_str());
        SetDlgItemTextA(dialog, IDC_FOLDER_BOX, folder.c_str());
        RememberRecent(dialog);
    }
};

TEST_F(Settings, FirstStartIsEmptyAndCentred)
{
    HWND dialog = CreateMainDialog();
    POINT position = PositionOf(dialog), centre = CentreFor(dialog);
    EXPECT_EQ(position.x, centre.x);
    EXPECT_EQ(position.y, centre.y);
    EXPECT_EQ(ListItems(dialog, IDC_FILE_BOX), std::vector<std::string>{""});
    EXPECT_EQ(ListItems(dialog, IDC_FOLDER_BOX), std::vector<std::string>{""});
    DestroyWindow(dialog);
}

TEST_F(Settings, NineSplitsKeepTheEightNewest)
{
    HWND dialog = CreateMainDialog();
    for (int i = 1; i <= 9; ++i)
        splitOnce(dialog, "C:\\Data\\file" + std::to_string(i) + ".bin",
                  "D:\\Pieces" + std::to_string(i) + "\\");
    // The drop-down lists show the lists as they were at start.
    EXPECT_EQ(ListItems(dialog, IDC_FILE_BOX), std::vector<std::string>{""});
    DestroyWindow(dialog);

    for (int slot = 0; slot < 8; ++slot) {
        StoredValue file = ReadStored(RecentFileValueName(slot));
        EXPECT_EQ(file.type, (DWORD)REG_SZ);
        // The text without a terminating zero.
        EXPECT_EQ(file.bytes, "C:\\Data\\file" + std::to_string(9 - slot) + ".bin");
        EXPECT_EQ(ReadStored(RecentFolderValueName(slot)).bytes,
                  "D:\\Pieces" + std::to_string(9 - slot) + "\\");
    }

    dialog = CreateMainDialog();
    std::vector<std::string> files = ListItems(dialog, IDC_FILE_BOX);
    ASSERT_EQ(files.size(), 8u);
    EXPECT_EQ(files.front(), "C:\\Data\\file9.bin");
    EXPECT_EQ(files.back(), "C:\\Data\\file2.bin");
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), "");  // nothing is selected
    DestroyWindow(dialog);
}

TEST_F(Settings, CaseInsensitiveResplitMovesToTheFront)
{
    Store("RecentFile0", "C:\\a.bin");
    Store("RecentFile1", "c:\\data\\big.iso");
    Store("RecentFile2", "C:\\b.bin");
    Store("RecentFolder0", "D:\\Pieces");
    HWND dialog = CreateMainDialog();
    splitOnce(dialog, "C:\\Data\\Big.iso", "D:\\Pieces\\");
    DestroyWindow(dialog);
    EXPECT_EQ(ReadStored("RecentFile0").bytes, "C:\\Data\\Big.iso");
    EXPECT_EQ(ReadStored("RecentFile1").bytes, "C:\\a.bin");
    EXPECT_EQ(ReadStored("RecentFile2").bytes, "C:\\b.bin");
    EXPECT_EQ(ReadStored("RecentFile3").bytes, "");
    // A final backslash makes a different folder.
    EXPECT_EQ(ReadStored("RecentFolder0").bytes, "D:\\Pieces\\");
    EXPECT_EQ(ReadStored("RecentFolder1").bytes, "D:\\Pieces");
}

TEST_F(Settings, EveryValueIsWrittenAtEverySave)
{
    Store("Unrelated", "kept");
    HWND dialog = CreateMainDialog();
    SetWindowPos(dialog, NULL, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DestroyWindow(dialog);
    for (int slot = 0; slot < 8; ++slot) {
        StoredValue file = ReadStored(RecentFileValueName(slot));
        EXPECT_TRUE(file.exists) << slot;
        EXPECT_EQ(file.type, (DWORD)REG_SZ);
        EXPECT_EQ(file.bytes.size(), 0u);
        EXPECT_TRUE(ReadStored(RecentFolderValueName(slot)).exists) << slot;
    }
    EXPECT_EQ(ReadStored("posx").type, (DWORD)REG_DWORD);
    EXPECT_EQ(StoredNumber("posx"), 123);
    EXPECT_EQ(StoredNumber("posy"), 77);

    dialog = CreateMainDialog();  // the stored position is used again
    EXPECT_EQ(PositionOf(dialog).x, 123);
    EXPECT_EQ(PositionOf(dialog).y, 77);
    DestroyWindow(dialog);
}

TEST_F(Settings, GapInTheStoredSlotsLeavesNoGap)
{
    Store("RecentFile0", "C:\\first.bin");
    Store("RecentFile1", "");
    Store("RecentFile4", "C:\\second.bin");
    Store("RecentFolder6", "E:\\only\\");
    HWND dialog = CreateMainDialog();
    EXPECT_EQ(ListItems(dialog, IDC_FILE_BOX),
              (std::vector<std::string>{"C:\\first.bin", "C:\\second.bin"}));
    EXPECT_EQ(ListItems(dialog, IDC_FOLDER_BOX), std::vector<std::string>{"E:\\only\\"});
    DestroyWindow(dialog);
    // The slots themselves are kept where they were.
    EXPECT_EQ(ReadStored("RecentFile4").bytes, "C:\\second.bin");
}

TEST_F(Settings, TooLongValueLeavesOnlyItsSlotEmpty)
{
    Store("RecentFile0", std::string(513, 'x'));
    Store("RecentFile1", std::string(511, 'y'));
    Store("RecentFile2", "C:\\ok.bin");
    int32_t left, top;
    LoadSettings(left, top);
    EXPECT_EQ(RecentFiles[0], "");
    EXPECT_EQ(RecentFiles[1], std::string(511, 'y'));
    EXPECT_EQ(RecentFiles[2], "C:\\ok.bin");
    EXPECT_EQ(left, POSITION_NOT_STORED);
    EXPECT_EQ(top, POSITION_NOT_STORED);
}

TEST_F(Settings, LoadEmptiesListsWhenNothingIsStored)
{
    RecentFiles[3] = "left over";
    RecentFolders[0] = "left over";
    int32_t left = 5, top = 5;
    LoadSettings(left, top);
    EXPECT_EQ(RecentFiles, RecentList());
    EXPECT_EQ(RecentFolders, RecentList());
    EXPECT_EQ(left, INT32_MIN);
    EXPECT_EQ(top, INT32_MIN);
}

TEST_F(Settings, NegativeStoredPositionCentresTheDialog)
{
    for (POINT stored : {POINT{-32000, -32000}, POINT{100, -1}, POINT{-1, 100}}) {
        StorePosition(stored.x, stored.y);
        HWND dialog = CreateMainDialog();
        POINT position = PositionOf(dialog), centre = CentreFor(dialog);
        EXPECT_EQ(position.x, centre.x) << stored.x << "," << stored.y;
        EXPECT_EQ(position.y, centre.y) << stored.x << "," << stored.y;
        DestroyWindow(dialog);
    }
    StorePosition(0, 0);
    HWND dialog = CreateMainDialog();
    EXPECT_EQ(PositionOf(dialog).x, 0);
    EXPECT_EQ(PositionOf(dialog).y, 0);
    DestroyWindow(dialog);
}

}  // namespace
