#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "dialog_test_support.h"
#include "job_flags.h"
#include "main_dialog.h"
#include "path_text_string.h"
#include "program_state.h"
#include "recent_lists.h"
#include "resource.h"
#include "shared_constants.h"
#include "split_worker.h"
#include "test_files.h"

namespace {

HGLOBAL MakeDrop(const std::vector<std::string>& paths)
{
    size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& path : paths) size += path.size() + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    DROPFILES* drop = (DROPFILES*)GlobalLock(block);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    char* at = (char*)drop + sizeof(DROPFILES);
    for (const std::string& path : paths) {
        memcpy(at, path.c_str(), path.size() + 1);
        at += path.size() + 1;
    }
    GlobalUnlock(block);
    return block;
}

int ItemCount(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0);
}

std::string ListItem(HWND dialog, int id, int index)
{
    char text[1024] = "";
    SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, index, (LPARAM)text);
    return text;
}

int Selection(HWND dialog, int id)
{
    return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
}

bool FileSplitMenuGreyed(HWND dialog)
{
    HMENU menu = GetMenu(dialog);
    SendMessageA(dialog, WM_INITMENUPOPUP, (WPARAM)GetSubMenu(menu, 0), 0);
    return (GetMenuState(menu, ID_FILE_SPLIT, MF_BYCOMMAND) & MF_GRAYED) != 0;
}

HCURSOR CursorShownOverDialog(HWND dialog)
{
    SetCursor(NULL);
    SendMessageA(dialog, WM_SETCURSOR, (WPARAM)dialog, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettingsKey();
        cancelRequested = false;
        splitInProgress = false;
        pauseRequested = false;
        folder = MakeTestFolder();
        dialog = CreateMainDialog();
        ASSERT_NE(dialog, (HWND)NULL);
    }

    void TearDown() override
    {
        pauseRequested = false;
        PumpUntil([]() { return !SplitWorkerRunning(); });
        if (IsWindow(dialog)) DestroyWindow(dialog);
        ClearSettingsKey();
        RemoveTestFolder(folder);
    }

    HWND item(int id) { return GetDlgItem(dialog, id); }

    void typeFile(const std::string& path) { TypeText(item(IDC_FILE_BOX), path); }

    // Custom size of `number` in `unit` (0 Bytes ... 3 GB).
    void chooseCustomSize(const std::string& number, int unit)
    {
        ChooseItem(dialog, IDC_SIZE_CHOICE, 1);
        SetDlgItemTextA(dialog, IDC_CUSTOM_NUMBER, number.c_str());
        ChooseItem(dialog, IDC_UNIT_LIST, unit);
    }

    // Pumps until the worker has ended, answering OK to any report it shows.
    // `answered`: boxes already answered that may still be closing.
    std::vector<std::string> finishSplit(std::set<HWND> answered = {})
    {
        std::vector<std::string> reports;
        EXPECT_TRUE(PumpUntil([&]() {
            HWND box = FindOwnedDialog(dialog, "Brindle 1.31");
            if (box != NULL && answered.insert(box).second) {
                reports.push_back(MessageBoxText(box));
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            return !SplitWorkerRunning();
        }));
        return reports;
    }

    void expectIdle()
    {
        EXPECT_TRUE(IsShown(dialog, IDC_SPLIT));
        EXPECT_TRUE(IsEnabled(dialog, IDC_SPLIT));
        EXPECT_TRUE(IsDefaultButton(dialog, IDC_SPLIT));
        EXPECT_FALSE(IsShown(dialog, IDCANCEL));
        EXPECT_FALSE(IsEnabled(dialog, IDCANCEL));
        EXPECT_FALSE(IsDefaultButton(dialog, IDCANCEL));
        for (int id : {IDC_FILE_BOX, IDC_BROWSE_FILE, IDC_FOLDER_BOX, IDC_BROWSE_FOLDER,
                       IDC_SIZE_CHOICE, IDC_EXIT})
            EXPECT_TRUE(IsEnabled(dialog, id)) << id;
    }

    void expectSplitting()
    {
        EXPECT_FALSE(IsShown(dialog, IDC_SPLIT));
        EXPECT_FALSE(IsEnabled(dialog, IDC_SPLIT));
        EXPECT_FALSE(IsDefaultButton(dialog, IDC_SPLIT));
        EXPECT_TRUE(IsShown(dialog, IDCANCEL));
        EXPECT_TRUE(IsEnabled(dialog, IDCANCEL));
        EXPECT_TRUE(IsDefaultButton(dialog, IDCANCEL));
        for (int id : {IDC_FILE_BOX, IDC_BROWSE_FILE, IDC_FOLDER_BOX, IDC_BROWSE_FOLDER,
                       IDC_SIZE_CHOICE, IDC_EXIT, IDC_CUSTOM_NUMBER, IDC_UNIT_LIST})
            EXPECT_FALSE(IsEnabled(dialog, id)) << id;
    }

    std::string folder;
    HWND dialog = NULL;
};

TEST_F(MainDialog, StartsIdleWithItsControlsFilled)
{
    EXPECT_EQ(WindowText(dialog), "Brindle 1.31");
    expectIdle();
    EXPECT_EQ(ItemCount(dialog, IDC_FILE_BOX), 1);
    EXPECT_EQ(ListItem(dialog, IDC_FILE_BOX, 0), "");
    EXPECT_EQ(ItemCount(dialog, IDC_FOLDER_BOX), 1);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), "");
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), "");
    ASSERT_EQ(ItemCount(dialog, IDC_SIZE_CHOICE), 2);
    EXPECT_EQ(ListItem(dialog, IDC_SIZE_CHOICE, 0), "1.44 MB floppy");
    EXPECT_EQ(ListItem(dialog, IDC_SIZE_CHOICE, 1), "Custom size...");
    EXPECT_EQ(Selection(dialog, IDC_SIZE_CHOICE), 0);
    ASSERT_EQ(ItemCount(dialog, IDC_UNIT_LIST), 4);
    EXPECT_EQ(ListItem(dialog, IDC_UNIT_LIST, 0), "Bytes");
    EXPECT_EQ(ListItem(dialog, IDC_UNIT_LIST, 1), "KB");
    EXPECT_EQ(ListItem(dialog, IDC_UNIT_LIST, 2), "MB");
    EXPECT_EQ(ListItem(dialog, IDC_UNIT_LIST, 3), "GB");
    EXPECT_EQ(Selection(dialog, IDC_UNIT_LIST), -1);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "");
    EXPECT_FALSE(IsEnabled(dialog, IDC_CUSTOM_LABEL));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CUSTOM_NUMBER));
    EXPECT_FALSE(IsEnabled(dialog, IDC_UNIT_LIST));
    EXPECT_TRUE(GetWindowLongA(item(IDC_FILE_BOX), GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(MainDialog, PaintsAnEtchedFrameAroundTheInputs)
{
    // Away from the centre of the screen, where the windows of other tests
    // open, so that the pixels read are the dialog's own.
    RECT window;
    GetWindowRect(dialog, &window);
    SetWindowPos(dialog, HWND_TOPMOST, 0, GetSystemMetrics(SM_CYSCREEN) - (window.bottom - window.top),
                 0, 0, SWP_NOSIZE);
    UpdateWindow(dialog);
    for (POINT at : {POINT{9, 60}, POINT{577, 60}, POINT{300, 11}, POINT{300, 123}}) {
        POINT onScreen = at;
        ClientToScreen(dialog, &onScreen);
        ASSERT_EQ(WindowFromPoint(onScreen), dialog) << "covered at " << at.x << "," << at.y;
    }
    HDC context = GetDC(dialog);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    // An etched edge: a sunken outer line inside a raised inner one.
    EXPECT_EQ(GetPixel(context, 9, 60), shadow);
    EXPECT_EQ(GetPixel(context, 10, 60), light);
    EXPECT_EQ(GetPixel(context, 577, 60), light);
    EXPECT_EQ(GetPixel(context, 576, 60), shadow);
    EXPECT_EQ(GetPixel(context, 5, 11), GetPixel(context, 5, 12));  // nothing outside it
    EXPECT_EQ(GetPixel(context, 300, 11), shadow);
    EXPECT_EQ(GetPixel(context, 300, 123), light);
    ReleaseDC(dialog, context);
}

TEST_F(MainDialog, HasItsMenu)
{
    HMENU menu = GetMenu(dialog);
    ASSERT_NE(menu, (HMENU)NULL);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    char text[64];
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&File");
    GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Help");
    HMENU file = GetSubMenu(menu, 0), help = GetSubMenu(menu, 1);
    EXPECT_EQ(GetMenuItemCount(file), 3);
    EXPECT_EQ(GetMenuItemID(file, 0), (UINT)ID_FILE_SPLIT);
    EXPECT_EQ(GetMenuItemID(file, 2), (UINT)ID_FILE_EXIT);
    GetMenuStringA(file, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Split");
    GetMenuStringA(file, 2, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "E&xit");
    EXPECT_EQ(GetMenuItemID(help, 0), (UINT)ID_HELP_TOPICS);
    EXPECT_EQ(GetMenuItemID(help, 2), (UINT)ID_HELP_ABOUT);
    GetMenuStringA(help, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&Help Topics...");
    GetMenuStringA(help, 2, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Brindle...");
    EXPECT_FALSE(FileSplitMenuGreyed(dialog));
}

TEST_F(MainDialog, StatusBarHoldsTheProgressBar)
{
    HWND status = StatusBarOf(dialog);
    ASSERT_NE(status, (HWND)NULL);
    EXPECT_EQ(GetParent(status), dialog);
    EXPECT_EQ(GetWindowLongA(status, GWL_ID), IDC_STATUS_BAR);
    int edges[4] = {0};
    ASSERT_EQ(SendMessageA(status, SB_GETPARTS, 4, (LPARAM)edges), 2);
    EXPECT_EQ(edges[0], 40);
    EXPECT_EQ(edges[1], -1);

    HWND progress = ProgressBarOf(dialog);
    ASSERT_NE(progress, (HWND)NULL);
    EXPECT_EQ(GetParent(progress), status);
    EXPECT_EQ(GetWindowLongA(progress, GWL_ID), IDC_PROGRESS);
    char className[64];
    GetClassNameA(progress, className, sizeof className);
    EXPECT_STREQ(className, "msctls_progress32");
    EXPECT_EQ(WindowText(progress), "progress");
    EXPECT_TRUE(GetWindowLongA(progress, GWL_STYLE) & PBS_SMOOTH);
    EXPECT_TRUE(IsWindowVisible(progress));
    RECT bar, inner;
    GetWindowRect(status, &bar);
    GetWindowRect(progress, &inner);
    EXPECT_EQ(inner.left - bar.left, 42);
    EXPECT_EQ(inner.top - bar.top, 2);
    EXPECT_EQ(inner.right - inner.left, (bar.right - bar.left) - 42);
    EXPECT_EQ(inner.bottom - inner.top, (bar.bottom - bar.top) - 2);
    EXPECT_EQ(SendMessageA(progress, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(progress, PBM_GETRANGE, FALSE, 0), 100);
    // Classic, as Windows draws it without a manifest; Wine's theme would
    // repaint it slowly once per percent.
    EXPECT_EQ(GetWindowTheme(progress), (HTHEME)NULL);
}

TEST_F(MainDialog, TypedFileShowsSizeAndPieces)
{
    std::string file = folder + "a.bin";
    WritePatternFile(file, 1280);
    typeFile(file);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), file);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "1.3 KB (1,280 bytes)");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
    // Typing never fills the folder box.
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), "");
}

TEST_F(MainDialog, FloppyBoundaryAndEmptyFile)
{
    std::string exact = folder + "exact.bin", over = folder + "over.bin", empty = folder + "e";
    WritePatternFile(exact, 1457664);
    WritePatternFile(over, 1457665);
    WriteTextFile(empty, "");
    typeFile(exact);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "1.4 MB (1,457,664 bytes)");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
    SetWindowTextA(item(IDC_FILE_BOX), "");
    typeFile(over);
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "2");
    SetWindowTextA(item(IDC_FILE_BOX), "");
    typeFile(empty);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "0 bytes");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "0");
}

TEST_F(MainDialog, MissingFileOrFolderLeavesBothLinesEmpty)
{
    std::string file = folder + "a.bin";
    WritePatternFile(file, 1280);
    typeFile(file);
    ASSERT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
    typeFile("x");  // a.binx does not exist
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "");
    SetWindowTextA(item(IDC_FILE_BOX), "");
    typeFile(folder);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "");
}

TEST_F(MainDialog, ListChoiceReadsTheChosenItem)
{
    std::string chosen = folder + "chosen.bin", typed = folder + "typed.bin";
    WritePatternFile(chosen, 1280);
    WritePatternFile(typed, 5);
    DestroyWindow(dialog);
    HKEY key;
    RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    RegSetValueExA(key, "RecentFile0", 0, REG_SZ, (const BYTE*)typed.c_str(), typed.size());
    RegSetValueExA(key, "RecentFile1", 0, REG_SZ, (const BYTE*)chosen.c_str(), chosen.size());
    RegCloseKey(key);
    dialog = CreateMainDialog();

    typeFile(typed);
    ASSERT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "5 bytes");
    ASSERT_EQ(ItemText(dialog, IDC_FOLDER_BOX), "");
    // The list's selection moves first; the edit field follows only after the notice.
    COMBOBOXINFO parts;
    ZeroMemory(&parts, sizeof parts);
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(GetComboBoxInfo(item(IDC_FILE_BOX), &parts));
    SendMessageA(parts.hwndList, LB_SETCURSEL, 1, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILE_BOX, CBN_SELCHANGE),
                 (LPARAM)item(IDC_FILE_BOX));
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), typed);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "1.3 KB (1,280 bytes)");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), folder);  // a list choice fills an empty folder box
}

TEST_F(MainDialog, CustomSizeEnablesItsControlsAndStartsInBytes)
{
    std::string file = folder + "a.bin";
    WritePatternFile(file, 30000);
    typeFile(file);
    ASSERT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
    SetFocus(item(IDC_SIZE_CHOICE));
    ChooseItem(dialog, IDC_SIZE_CHOICE, 1);
    EXPECT_TRUE(IsEnabled(dialog, IDC_CUSTOM_LABEL));
    EXPECT_TRUE(IsEnabled(dialog, IDC_CUSTOM_NUMBER));
    EXPECT_TRUE(IsEnabled(dialog, IDC_UNIT_LIST));
    EXPECT_EQ(Selection(dialog, IDC_UNIT_LIST), 0);
    EXPECT_EQ(GetFocus(), item(IDC_CUSTOM_NUMBER));
    // No number yet: no usable piece size.
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "");
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "29.3 KB (30,000 bytes)");

    TypeText(item(IDC_CUSTOM_NUMBER), "12abc");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "2,500");
    ChooseItem(dialog, IDC_UNIT_LIST, 1);
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "3");  // 12 KB pieces
    SetDlgItemTextA(dialog, IDC_CUSTOM_NUMBER, "-1");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "");
    SetDlgItemTextA(dialog, IDC_CUSTOM_NUMBER, "0");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "");
    SetDlgItemTextA(dialog, IDC_CUSTOM_NUMBER, "1.5");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "20");  // 1,536-byte pieces

    // Back to the floppy: disabled, but the number and unit are kept.
    ChooseItem(dialog, IDC_SIZE_CHOICE, 0);
    EXPECT_FALSE(IsEnabled(dialog, IDC_CUSTOM_LABEL));
    EXPECT_FALSE(IsEnabled(dialog, IDC_CUSTOM_NUMBER));
    EXPECT_FALSE(IsEnabled(dialog, IDC_UNIT_LIST));
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
    EXPECT_EQ(ItemText(dialog, IDC_CUSTOM_NUMBER), "1.5");
    EXPECT_EQ(Selection(dialog, IDC_UNIT_LIST), 1);
    ChooseItem(dialog, IDC_SIZE_CHOICE, 1);
    EXPECT_EQ(Selection(dialog, IDC_UNIT_LIST), 1);  // a chosen unit is not reset
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "20");
}

TEST_F(MainDialog, PieceCountAboveTheLargestIsNotShown)
{
    std::string file = folder + "big.bin";
    MakeSparseFile(file, 3000000000LL);
    typeFile(file);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "2.8 GB (3,000,000,000 bytes)");
    chooseCustomSize("3", 0);
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "");  // 1,000,000,000 pieces
    SetDlgItemTextA(dialog, IDC_CUSTOM_NUMBER, "4");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "750,000,000");
}

TEST_F(MainDialog, SetSplitControlsBothWays)
{
    SetSplitControls(dialog, false);
    expectSplitting();
    SetSplitControls(dialog, true);
    expectIdle();
    EXPECT_FALSE(IsEnabled(dialog, IDC_CUSTOM_NUMBER));
    EXPECT_FALSE(IsEnabled(dialog, IDC_UNIT_LIST));

    ChooseItem(dialog, IDC_SIZE_CHOICE, 1);
    SetSplitControls(dialog, false);
    expectSplitting();
    EXPECT_TRUE(IsEnabled(dialog, IDC_CUSTOM_LABEL));  // the label is not touched
    SetSplitControls(dialog, true);
    expectIdle();
    EXPECT_TRUE(IsEnabled(dialog, IDC_CUSTOM_NUMBER));
    EXPECT_TRUE(IsEnabled(dialog, IDC_UNIT_LIST));
}

TEST_F(MainDialog, DropTakesTheFirstFileAndFillsAnEmptyFolderBox)
{
    std::string first = folder + "first.bin";
    WritePatternFile(first, 1025);
    HGLOBAL drop = MakeDrop({first, folder + "second.bin", "C:\\third.bin"});
    EXPECT_EQ(SendMessageA(item(IDC_FILE_BOX), WM_DROPFILES, (WPARAM)drop, 0), 1);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), first);
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), folder);
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "1.0 KB (1,025 bytes)");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
}

TEST_F(MainDialog, DropKeepsAFolderTheUserHasTyped)
{
    SetWindowTextA(item(IDC_FOLDER_BOX), "D:\\Pieces");
    SendMessageA(item(IDC_FILE_BOX), WM_DROPFILES, (WPARAM)MakeDrop({"C:\\Data\\Big.iso"}), 0);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), "C:\\Data\\Big.iso");
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), "D:\\Pieces");
    SetWindowTextA(item(IDC_FOLDER_BOX), " ");
    SendMessageA(item(IDC_FILE_BOX), WM_DROPFILES, (WPARAM)MakeDrop({"C:\\Other\\x.iso"}), 0);
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), " ");
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "");
}

TEST_F(MainDialog, WaitCursorWhileSplittingOrCancelling)
{
    HCURSOR arrow = LoadCursorA(NULL, IDC_ARROW), wait = LoadCursorA(NULL, IDC_WAIT);
    EXPECT_EQ(CursorShownOverDialog(dialog), arrow);
    splitInProgress = true;
    EXPECT_EQ(CursorShownOverDialog(dialog), wait);
    splitInProgress = false;
    cancelRequested = true;
    EXPECT_EQ(CursorShownOverDialog(dialog), wait);
    cancelRequested = false;
    EXPECT_EQ(CursorShownOverDialog(dialog), arrow);
}

TEST_F(MainDialog, CancelQuestionPausesTheJobWhileItIsOpen)
{
    bool pausedWhileAsked = false;
    std::string question;
    {
        DialogAnswerer answerer(dialog, "Brindle 1.31", IDYES, [&](HWND box) {
            pausedWhileAsked = pauseRequested;
            question = MessageBoxText(box);
        });
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
    EXPECT_EQ(question, "Are you sure you want to cancel?");
    EXPECT_TRUE(pausedWhileAsked);
    EXPECT_FALSE(pauseRequested);
    // With no job running, a Yes has nothing to cancel and is not kept for the next job.
    EXPECT_FALSE(cancelRequested);
}

// A worker that waits in its folder question keeps the dialog idle: the
// Split button and File > Split must not start a second one.
TEST_F(MainDialog, OneWorkerAtATime)
{
    std::string file = folder + "f.bin";
    WritePatternFile(file, 2621440);
    typeFile(file);
    std::string pieces = folder + "pieces\\";
    SetWindowTextA(item(IDC_FOLDER_BOX), pieces.c_str());
    chooseCustomSize("1", 2);

    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SPLIT, BN_CLICKED), 0);
    HWND question = NULL;
    ASSERT_TRUE(PumpUntil([&]() { return (question = FindOwnedDialog(dialog, "Brindle 1.31")); }));
    std::string questionText = MessageBoxText(question);
    EXPECT_EQ(questionText, "The folder \"" + pieces +
                                "\" does not exist.\nDo you want the folder to be created?");
    HANDLE worker = SplitWorkerHandle();
    ASSERT_NE(worker, (HANDLE)NULL);
    EXPECT_TRUE(FileSplitMenuGreyed(dialog));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SPLIT, BN_CLICKED), 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_FILE_SPLIT, 0), 0);
    EXPECT_EQ(SplitWorkerHandle(), worker);

    PostMessageA(question, WM_COMMAND, IDYES, 0);
    std::vector<std::string> reports = finishSplit({question});
    // Only the success report: no second worker asked about the folder.
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].find("'f.bin' was split successfully."), 0u);
    EXPECT_EQ(SplitWorkerHandle(), (HANDLE)NULL);
    EXPECT_FALSE(FileSplitMenuGreyed(dialog));
    expectIdle();
    EXPECT_TRUE(HoldsPattern(pieces + "f.bin.1", 0, 1048576));
    EXPECT_TRUE(HoldsPattern(pieces + "f.bin.2", 1048576, 1048576));
    EXPECT_TRUE(HoldsPattern(pieces + "f.bin.3", 2097152, 524288));
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "2.5 MB (2,621,440 bytes)");  // not refreshed
    EXPECT_EQ(WindowText(StatusBarOf(dialog)), "");
    EXPECT_EQ(SendMessageA(ProgressBarOf(dialog), PBM_GETPOS, 0, 0), 0);
}

TEST_F(MainDialog, ExistingPieceIsOfferedInTheOverwriteDialog)
{
    std::string file = folder + "f.bin";
    WritePatternFile(file, 2621440);
    WriteTextFile(file + ".2", "old piece");
    typeFile(file);
    SetWindowTextA(item(IDC_FOLDER_BOX), folder.c_str());
    chooseCustomSize("1", 2);
    std::string question;
    {
        DialogAnswerer answerer(dialog, "Confirm File Overwrite", IDC_OVERWRITE_YES_TO_ALL,
                                [&](HWND box) { question = ItemText(box, IDC_OVERWRITE_TEXT); });
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SPLIT, BN_CLICKED), 0);
        EXPECT_TRUE(PumpUntil([&]() { return answerer.answered(); }));
        finishSplit();
    }
    EXPECT_EQ(question, "The file \"" + file + ".2\" already exists.\nDo you want to overwrite it?");
    EXPECT_TRUE(HoldsPattern(file + ".1", 0, 1048576));
    EXPECT_TRUE(HoldsPattern(file + ".2", 1048576, 1048576));
    EXPECT_TRUE(HoldsPattern(file + ".3", 2097152, 524288));
    expectIdle();
}

class CancelDuringSplit : public MainDialog {
protected:
    // Starts a split of 3 pieces that is held before its first piece, as the
    // Cancel question holds it, and waits until the dialog is splitting.
    void startHeldSplit()
    {
        file = folder + "f.bin";
        WritePatternFile(file, 2621440);
        typeFile(file);
        SetWindowTextA(item(IDC_FOLDER_BOX), folder.c_str());
        chooseCustomSize("1", 2);
        pauseRequested = true;
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SPLIT, BN_CLICKED), 0);
        ASSERT_TRUE(PumpUntil([]() { return splitInProgress.load(); }));
        expectSplitting();
        EXPECT_EQ(WindowText(StatusBarOf(dialog)), "  0%");
    }

    // Presses Cancel and answers the question.
    void answerCancel(int answer)
    {
        std::string statusWhileAsked;
        bool pausedWhileAsked = false;
        {
            DialogAnswerer answerer(dialog, "Brindle 1.31", answer, [&](HWND) {
                pausedWhileAsked = pauseRequested;
                statusWhileAsked = WindowText(StatusBarOf(dialog));
            });
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            EXPECT_TRUE(answerer.answered());
        }
        EXPECT_TRUE(pausedWhileAsked);
        EXPECT_EQ(statusWhileAsked, "  0%");
        EXPECT_FALSE(pauseRequested);
    }

    std::string file;
};

TEST_F(CancelDuringSplit, YesStopsTheJobAndKeepsNothingPending)
{
    startHeldSplit();
    answerCancel(IDYES);
    EXPECT_TRUE(cancelRequested || !SplitWorkerRunning());
    std::vector<std::string> reports = finishSplit();
    EXPECT_TRUE(reports.empty());
    EXPECT_FALSE(FileExists(folder + "f.bin.1"));
    EXPECT_FALSE(FileExists(folder + "Create_f.exe"));
    {
        std::lock_guard<std::mutex> lock(RecentListsGuard);
        EXPECT_EQ(RecentFiles[0], "");  // a cancelled split is not remembered
    }
    EXPECT_FALSE(cancelRequested);
    EXPECT_FALSE(splitInProgress);
    expectIdle();
}

TEST_F(CancelDuringSplit, NoLetsTheJobFinish)
{
    startHeldSplit();
    answerCancel(IDNO);
    std::vector<std::string> reports = finishSplit();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "'f.bin' was split successfully.\n\nBrindle has produced a program "
                          "named 'Create_f.exe' that will recreate the file.");
    EXPECT_TRUE(FileExists(folder + "Create_f.exe"));
    {
        std::lock_guard<std::mutex> lock(RecentListsGuard);
        EXPECT_EQ(RecentFiles[0], file);
        EXPECT_EQ(RecentFolders[0], folder);
    }
    // The drop-down lists keep showing the lists of the start.
    EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FILE_BOX, CB_GETCOUNT, 0, 0), 1);
    EXPECT_TRUE(HoldsPattern(folder + "f.bin.1", 0, 1048576));
    EXPECT_TRUE(HoldsPattern(folder + "f.bin.2", 1048576, 1048576));
    EXPECT_TRUE(HoldsPattern(folder + "f.bin.3", 2097152, 524288));
    expectIdle();
}

TEST_F(MainDialog, FileChooserFillsTheFileBoxAndTheEstimates)
{
    std::string file = folder + "chosen.bin";
    WritePatternFile(file, 1025);
    std::string caption;
    std::thread chooser([&]() {
        HWND box = NULL;
        if (!WaitUntil([&]() { return (box = FindAnyOwnedDialog(dialog)) != NULL; }))
            return;
        caption = WindowText(box);
        SetDlgItemTextA(box, 0x47C, file.c_str());  // the file name field
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_FILE, BN_CLICKED), 0);
    chooser.join();
    EXPECT_EQ(caption, "File to split");
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), file);
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "1.0 KB (1,025 bytes)");
    EXPECT_EQ(ItemText(dialog, IDC_PIECE_COUNT_LINE), "1");
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), folder);
}

TEST_F(MainDialog, CancelledFileChooserChangesNothing)
{
    SetWindowTextA(item(IDC_FILE_BOX), "C:\\kept.bin");
    std::thread chooser([&]() {
        HWND box = NULL;
        if (WaitUntil([&]() { return (box = FindAnyOwnedDialog(dialog)) != NULL; }))
            PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    });
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_FILE, BN_CLICKED), 0);
    chooser.join();
    EXPECT_EQ(ItemText(dialog, IDC_FILE_BOX), "C:\\kept.bin");
    EXPECT_EQ(ItemText(dialog, IDC_FOLDER_BOX), "");
}

namespace {

std::string SelectedTreeItemText(HWND tree)
{
    char text[MAX_PATH] = "";
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (!item.hItem || !SendMessageA(tree, TVM_GETITEMA, 0, (LPARAM)&item)) return "";
    return text;
}

}  // namespace

TEST_F(MainDialog, FolderChooserPutsTheFolderWithoutAFinalBackslash)
{
    std::string chosen = folder + "pieces";
    CreateDirectoryA(chosen.c_str(), NULL);
    std::string status;
    std::thread chooser([&]() {
        HWND box = NULL;
        if (!WaitUntil([&]() { return (box = FindAnyOwnedDialog(dialog)) != NULL; }))
            return;
        // The browser may fill its tree after it shows and select its own
        // start then: choose until its tree shows the folder selected.
        HWND tree = FindWindowExA(box, NULL, WC_TREEVIEWA, NULL);
        if (!WaitUntil([&]() {
                SendMessageA(box, BFFM_SETSELECTIONA, TRUE, (LPARAM)chosen.c_str());
                return SelectedTreeItemText(tree) == "pieces";
            }))
            ADD_FAILURE() << "the folder browser never showed " << chosen << " selected";
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_FOLDER, BN_CLICKED), 0);
    chooser.join();
    EXPECT_EQ(ToLowerCopy(ItemText(dialog, IDC_FOLDER_BOX)), ToLowerCopy(chosen));
    EXPECT_EQ(ItemText(dialog, IDC_FILE_SIZE_LINE), "");
}

TEST_F(MainDialog, HelpTopicsWithoutTheHelpFileShowsNoMessage)
{
    ProgramFolder = folder;  // no Brindle.chm there
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ID_HELP_TOPICS, 0), 0);
    EXPECT_EQ(FindOwnedDialog(dialog, "Brindle 1.31"), (HWND)NULL);
    ProgramFolder.clear();
}

// The program's own way of running the dialog: modal, ended by a command.
INT_PTR RunModalUntil(UINT message, WPARAM command)
{
    std::thread helper([=]() {
        HWND found = NULL;
        WaitUntil([&]() { return (found = FindOwnedDialog(NULL, "Brindle 1.31")) != NULL; });
        PostMessageA(found, message, command, 0);
    });
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                     MainDialogProc, 0);
    helper.join();
    return result;
}

TEST(MainDialogRun, ExitMenuAndCloseBoxEndItAndSaveTheSettings)
{
    ClearSettingsKey();
    EXPECT_EQ(RunModalUntil(WM_COMMAND, MAKEWPARAM(IDC_EXIT, BN_CLICKED)), IDC_EXIT);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RunModalUntil(WM_COMMAND, MAKEWPARAM(ID_FILE_EXIT, 0)), ID_FILE_EXIT);
    EXPECT_EQ(RunModalUntil(WM_CLOSE, 0), 0);
    ClearSettingsKey();
}

}  // namespace
