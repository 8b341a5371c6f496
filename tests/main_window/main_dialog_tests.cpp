// The main dialog in-process, from its template with its real procedure:
// what needs a window and is not shown by a journey of the real program.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <uxtheme.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "job_flags.h"
#include "main_dialog.h"
#include "path_text_string.h"
#include "resource.h"
#include "shared_constants.h"
#include "split_worker.h"
#include "test_files.h"
#include "window_access.h"

namespace {

const std::string REPORT = "'f.bin' was split successfully.\n\nBrindle has produced a program "
                           "named 'Create_f.exe' that will recreate the file.";

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettingsKey();
        folder = MakeTestFolder();
        dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MAIN), NULL,
                                    MainDialogProc, 0);
        ShowWindow(dialog, SW_SHOW);
    }
    void TearDown() override
    {
        pauseRequested = false;
        EXPECT_TRUE(WaitFor([] { return !SplitWorkerRunning(); }, true));
        DestroyWindow(dialog);
        ClearSettingsKey();
        RemoveTestFolder(folder);
    }

    // f.bin of 2.5 MB into three pieces of 1 MB in `pieces`.
    void prepareSplit(const std::string& pieces)
    {
        WritePatternFile(folder + "f.bin", 2621440);
        Type(dialog, IDC_FILE_BOX, folder + "f.bin");
        Type(dialog, IDC_FOLDER_BOX, pieces);
        Choose(dialog, IDC_SIZE_CHOICE, 1);
        Type(dialog, IDC_CUSTOM_NUMBER, "1");
        Choose(dialog, IDC_UNIT_LIST, 2);
    }
    void press(int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    bool isDefault(int id) { return (GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }
    void expectState(bool idle, bool custom = false)
    {
        for (int id : {IDC_FILE_BOX, IDC_BROWSE_FILE, IDC_FOLDER_BOX, IDC_BROWSE_FOLDER,
                       IDC_SIZE_CHOICE, IDC_EXIT, IDC_SPLIT})
            EXPECT_EQ(Enabled(dialog, id), idle) << id;
        for (int id : {IDC_CUSTOM_NUMBER, IDC_UNIT_LIST}) EXPECT_EQ(Enabled(dialog, id), idle && custom) << id;
        EXPECT_EQ(Enabled(dialog, IDCANCEL), !idle);
        EXPECT_EQ(Shown(dialog, IDC_SPLIT), idle);
        EXPECT_EQ(Shown(dialog, IDCANCEL), !idle);
        EXPECT_EQ(isDefault(IDC_SPLIT), idle);
        EXPECT_EQ(isDefault(IDCANCEL), !idle);
    }
    HCURSOR cursorOverDialog()
    {
        SetCursor(NULL);
        SendMessageA(dialog, WM_SETCURSOR, (WPARAM)dialog, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    }
    std::vector<std::string> items(int id)
    {
        std::vector<std::string> texts((size_t)SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0));
        char text[MAX_PATH];
        for (size_t i = 0; i < texts.size(); ++i)
            texts[i] = SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, i, (LPARAM)text) >= 0 ? text : "?";
        return texts;
    }
    // Files dropped on the file box from the file manager.
    void drop(const std::vector<std::string>& paths)
    {
        std::string names;
        for (const std::string& path : paths) names += path + '\0';
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() + 1);
        DROPFILES* files = (DROPFILES*)GlobalLock(block);
        files->pFiles = sizeof(DROPFILES);
        memcpy(files + 1, names.data(), names.size());
        GlobalUnlock(block);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FILE_BOX, WM_DROPFILES, (WPARAM)block, 0), 1);
    }

    std::string folder;
    HWND dialog = NULL;
};

TEST_F(MainDialog, StartsIdleWithItsControlsFilled)
{
    EXPECT_EQ(Text(dialog), "Brindle 1.31");
    expectState(true);
    EXPECT_EQ(items(IDC_FILE_BOX), std::vector<std::string>{""});
    EXPECT_EQ(items(IDC_SIZE_CHOICE), (std::vector<std::string>{"1.44 MB floppy", "Custom size..."}));
    EXPECT_EQ(items(IDC_UNIT_LIST), (std::vector<std::string>{"Bytes", "KB", "MB", "GB"}));
    EXPECT_EQ(Text(dialog, IDC_SIZE_CHOICE), "1.44 MB floppy");
    for (int id : {IDC_FILE_BOX, IDC_FOLDER_BOX, IDC_UNIT_LIST, IDC_FILE_SIZE_LINE, IDC_PIECE_COUNT_LINE})
        EXPECT_EQ(Text(dialog, id), "") << id;
    EXPECT_FALSE(Enabled(dialog, IDC_CUSTOM_LABEL));
    EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);

    HWND status = GetDlgItem(dialog, IDC_STATUS_BAR), progress = GetDlgItem(status, IDC_PROGRESS);
    int edges[2] = {};
    EXPECT_EQ(SendMessageA(status, SB_GETPARTS, 2, (LPARAM)edges), 2);
    EXPECT_EQ(edges[0], 40);
    EXPECT_EQ(edges[1], -1);
    RECT bar, inner;
    GetWindowRect(status, &bar);
    GetWindowRect(progress, &inner);
    EXPECT_EQ(inner.left - bar.left, 42);
    EXPECT_EQ(inner.top - bar.top, 2);
    EXPECT_EQ(inner.right, bar.right);
    EXPECT_EQ(inner.bottom, bar.bottom);
    EXPECT_EQ(Text(progress), "progress");
    EXPECT_TRUE(GetWindowLongA(progress, GWL_STYLE) & PBS_SMOOTH);
    // Classic, as Windows draws it without a manifest: Wine's theme repaints slowly.
    EXPECT_EQ(GetWindowTheme(progress), (HTHEME)NULL);
}

TEST_F(MainDialog, SetSplitControlsSwitchesBothWays)
{
    for (int sizeChoice : {0, 1}) {
        Choose(dialog, IDC_SIZE_CHOICE, sizeChoice);
        SetSplitControls(dialog, false);
        expectState(false);
        EXPECT_EQ(Enabled(dialog, IDC_CUSTOM_LABEL), sizeChoice == 1);  // not touched
        SetSplitControls(dialog, true);
        expectState(true, sizeChoice == 1);
    }
}

TEST_F(MainDialog, TypedFileShowsItsSizeAndPieces)
{
    WritePatternFile(folder + "a.bin", 1280);
    Type(dialog, IDC_FILE_BOX, folder + "a.bin");
    EXPECT_EQ(Text(dialog, IDC_FILE_SIZE_LINE), "1.3 KB (1,280 bytes)");
    EXPECT_EQ(Text(dialog, IDC_PIECE_COUNT_LINE), "1");
    EXPECT_EQ(Text(dialog, IDC_FOLDER_BOX), "");  // typing never fills the folder box
}

TEST_F(MainDialog, CustomSizeEnablesItsControlsStartsInBytesAndKeepsThem)
{
    WritePatternFile(folder + "a.bin", 30000);
    Type(dialog, IDC_FILE_BOX, folder + "a.bin");
    SetFocus(GetDlgItem(dialog, IDC_SIZE_CHOICE));
    Choose(dialog, IDC_SIZE_CHOICE, 1);
    for (int id : {IDC_CUSTOM_LABEL, IDC_CUSTOM_NUMBER, IDC_UNIT_LIST}) EXPECT_TRUE(Enabled(dialog, id)) << id;
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_CUSTOM_NUMBER));
    EXPECT_EQ(Text(dialog, IDC_UNIT_LIST), "Bytes");
    EXPECT_EQ(Text(dialog, IDC_PIECE_COUNT_LINE), "");  // no number yet
    Type(dialog, IDC_CUSTOM_NUMBER, "12");
    EXPECT_EQ(Text(dialog, IDC_PIECE_COUNT_LINE), "2,500");
    Choose(dialog, IDC_UNIT_LIST, 1);
    EXPECT_EQ(Text(dialog, IDC_PIECE_COUNT_LINE), "3");
    Choose(dialog, IDC_SIZE_CHOICE, 0);
    for (int id : {IDC_CUSTOM_LABEL, IDC_CUSTOM_NUMBER, IDC_UNIT_LIST}) EXPECT_FALSE(Enabled(dialog, id)) << id;
    EXPECT_EQ(Text(dialog, IDC_PIECE_COUNT_LINE), "1");
    Choose(dialog, IDC_SIZE_CHOICE, 1);
    EXPECT_EQ(Text(dialog, IDC_PIECE_COUNT_LINE), "3");  // 12 KB kept
}

TEST_F(MainDialog, DropTakesTheFirstFileAndFillsOnlyAnEmptyFolderBox)
{
    WritePatternFile(folder + "first.bin", 1025);
    drop({folder + "first.bin", folder + "second.bin"});
    EXPECT_EQ(Text(dialog, IDC_FILE_BOX), folder + "first.bin");
    EXPECT_EQ(Text(dialog, IDC_FOLDER_BOX), folder);
    EXPECT_EQ(Text(dialog, IDC_FILE_SIZE_LINE), "1.0 KB (1,025 bytes)");
    EXPECT_EQ(Text(dialog, IDC_PIECE_COUNT_LINE), "1");
    for (std::string typed : {"D:\\Pieces", " "}) {
        SetDlgItemTextA(dialog, IDC_FOLDER_BOX, typed.c_str());
        drop({"C:\\Other\\x.iso"});
        EXPECT_EQ(Text(dialog, IDC_FOLDER_BOX), typed);
    }
    EXPECT_EQ(Text(dialog, IDC_FILE_SIZE_LINE), "");
}

// A click into the recent list notifies the dialog before the edit field holds the item.
TEST_F(MainDialog, RecentListChoiceShowsTheChosenFile)
{
    WritePatternFile(folder + "chosen.bin", 1280);
    SendDlgItemMessageA(dialog, IDC_FILE_BOX, CB_ADDSTRING, 0, (LPARAM)(folder + "chosen.bin").c_str());
    COMBOBOXINFO parts = {};
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(GetComboBoxInfo(GetDlgItem(dialog, IDC_FILE_BOX), &parts));
    SendMessageA(parts.hwndList, LB_SETCURSEL, 1, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_FILE_BOX, CBN_SELCHANGE), 0);
    EXPECT_EQ(Text(dialog, IDC_FILE_SIZE_LINE), "1.3 KB (1,280 bytes)");
    EXPECT_EQ(Text(dialog, IDC_FOLDER_BOX), folder);
}

TEST_F(MainDialog, FileChooserFillsTheFileBoxTheEstimatesAndAnEmptyFolderBox)
{
    WritePatternFile(folder + "chosen.bin", 1025);
    for (int answer : {IDCANCEL, IDOK}) {
        WhileShown(dialog, "File to split", [&](HWND chooser) {
            SetDlgItemTextA(chooser, 0x47C, (folder + "chosen.bin").c_str());  // its name field
            Press(chooser, answer);
        }, [&] { press(IDC_BROWSE_FILE); });
        EXPECT_EQ(Text(dialog, IDC_FILE_BOX), answer == IDOK ? folder + "chosen.bin" : "");
    }
    EXPECT_EQ(Text(dialog, IDC_FILE_SIZE_LINE), "1.0 KB (1,025 bytes)");
    EXPECT_EQ(Text(dialog, IDC_FOLDER_BOX), folder);
}

TEST_F(MainDialog, FolderChooserShowsThePathAndPutsItWithoutAFinalBackslash)
{
    std::string chosen = folder + "pieces";
    CreateDirectoryA(chosen.c_str(), NULL);
    WhileShown(dialog, "Browse for Folder", [&](HWND browser) {
        // The browser may fill its tree after it shows, and select its own start then.
        EXPECT_TRUE(WaitFor([&] {
            SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, (LPARAM)chosen.c_str());
            return ToLowerCopy(Text(browser, 0x3743)) == ToLowerCopy(chosen);  // its status line
        }));
        Press(browser, IDOK);
    }, [&] { press(IDC_BROWSE_FOLDER); });
    EXPECT_EQ(ToLowerCopy(Text(dialog, IDC_FOLDER_BOX)), ToLowerCopy(chosen));
}

TEST_F(MainDialog, CancelQuestionHoldsTheJobAndYesStopsIt)
{
    prepareSplit(folder);
    pauseRequested = true;  // held before its first piece, as the question holds it
    press(IDC_SPLIT);
    ASSERT_TRUE(WaitFor([] { return splitInProgress.load(); }, true));
    expectState(false);
    EXPECT_EQ(cursorOverDialog(), LoadCursorA(NULL, IDC_WAIT));
    WhileShown(dialog, "Brindle 1.31", [&](HWND question) {
        EXPECT_EQ(Text(question, BOX_TEXT), "Are you sure you want to cancel?");
        EXPECT_TRUE(HoldsFor(300, [&] { return pauseRequested && !FileExists(folder + "f.bin.1"); }));
        Dismiss(question, IDYES);
    }, [&] { press(IDCANCEL); });
    EXPECT_TRUE(WaitFor([] { return !SplitWorkerRunning(); }, true));
    expectState(true, true);
    EXPECT_FALSE(FileExists(folder + "f.bin.1"));
    EXPECT_EQ(FindDialog(dialog, "Brindle 1.31"), (HWND)NULL);
}

// While a worker waits in its folder question the dialog is still idle.
TEST_F(MainDialog, OneWorkerAtATime)
{
    prepareSplit(folder + "pieces\\");
    press(IDC_SPLIT);
    HWND question = WaitDialog(dialog, "Brindle 1.31", true);
    HANDLE worker = SplitWorkerHandle();
    HMENU file = GetSubMenu(GetMenu(dialog), 0);
    SendMessageA(dialog, WM_INITMENUPOPUP, (WPARAM)file, 0);
    EXPECT_TRUE(GetMenuState(file, ID_FILE_SPLIT, MF_BYCOMMAND) & MF_GRAYED);
    press(IDC_SPLIT);
    SendMessageA(dialog, WM_COMMAND, ID_FILE_SPLIT, 0);
    EXPECT_EQ(SplitWorkerHandle(), worker);
    Dismiss(question, IDYES, true);
    EXPECT_EQ(Answer(dialog, "Brindle 1.31", IDOK, true), REPORT);
    EXPECT_TRUE(WaitFor([] { return !SplitWorkerRunning(); }, true));
    SendMessageA(dialog, WM_INITMENUPOPUP, (WPARAM)file, 0);
    EXPECT_FALSE(GetMenuState(file, ID_FILE_SPLIT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(HoldsPattern(folder + "pieces\\f.bin.3", 2097152, 524288));
}

std::atomic<bool> workerHeldAtItsEnd(false);
HANDLE releaseWorker = NULL;

TEST_F(MainDialog, SplitBeforeTheEndedJobsWorkerIsGoneStartsOnceItIsGone)
{
    prepareSplit(folder);
    releaseWorker = CreateEventA(NULL, TRUE, FALSE, NULL);
    SplitWorkerEnding = [] {
        workerHeldAtItsEnd = true;
        WaitForSingleObject(releaseWorker, 20000);
        workerHeldAtItsEnd = false;
    };
    press(IDC_SPLIT);
    EXPECT_EQ(Answer(dialog, "Brindle 1.31", IDOK, true), REPORT);
    ASSERT_TRUE(WaitFor([] { return workerHeldAtItsEnd.load(); }, true));
    expectState(true, true);
    CreateDirectoryA((folder + "again").c_str(), NULL);
    SetDlgItemTextA(dialog, IDC_FOLDER_BOX, (folder + "again").c_str());
    PostMessageA(dialog, WM_COMMAND, IDC_SPLIT, 0);
    // The dialog goes on answering, and starts nothing while the old worker is there.
    EXPECT_TRUE(HoldsFor(500, [] { return workerHeldAtItsEnd.load(); }, true));
    expectState(true, true);
    SetEvent(releaseWorker);
    EXPECT_EQ(Answer(dialog, "Brindle 1.31", IDOK, true), REPORT);
    EXPECT_TRUE(HoldsPattern(folder + "again\\f.bin.3", 2097152, 524288));
    EXPECT_TRUE(WaitFor([] { return !SplitWorkerRunning(); }, true));
    SplitWorkerEnding = nullptr;
    CloseHandle(releaseWorker);
}

// The Cancel question was open while the job ended in its success report.
TEST_F(MainDialog, YesAfterTheJobHasEndedCancelsNothing)
{
    prepareSplit(folder);
    press(IDC_SPLIT);
    HWND report = WaitDialog(dialog, "Brindle 1.31", true);
    HANDLE worker = NULL;
    DuplicateHandle(GetCurrentProcess(), SplitWorkerHandle(), GetCurrentProcess(), &worker,
                    SYNCHRONIZE, FALSE, 0);
    std::thread user([&] {
        EXPECT_TRUE(WaitFor([] { return pauseRequested.load(); }));
        Dismiss(report, IDOK);
        EXPECT_TRUE(WaitFor([&] { return WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }));
        Dismiss(WaitDialog(dialog, "Brindle 1.31"), IDYES);
    });
    press(IDCANCEL);
    user.join();
    CloseHandle(worker);
    EXPECT_FALSE(cancelRequested);
    EXPECT_EQ(cursorOverDialog(), LoadCursorA(NULL, IDC_ARROW));
    expectState(true, true);
    EXPECT_TRUE(WaitFor([] { return !SplitWorkerRunning(); }, true));
    // The next job is not cancelled.
    CreateDirectoryA((folder + "again").c_str(), NULL);
    SetDlgItemTextA(dialog, IDC_FOLDER_BOX, (folder + "again").c_str());
    press(IDC_SPLIT);
    EXPECT_EQ(Answer(dialog, "Brindle 1.31", IDOK, true), REPORT);
}

TEST_F(MainDialog, AboutBoxEndsWithEscapeOrEnter)
{
    for (int key : {IDCANCEL, IDOK})
        WhileShown(dialog, "About Brindle", [&](HWND about) { Dismiss(about, key); },
                   [&] { SendMessageA(dialog, WM_COMMAND, ID_HELP_ABOUT, 0); });
    EXPECT_TRUE(IsWindowEnabled(dialog));
}

}  // namespace
