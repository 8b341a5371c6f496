// Brindle's dialogs in-process, with their real procedures: what needs a window and no journey
// shows.
#include <shlobj.h>

#include <atomic>
#include <thread>

#include "job_flags.h"
#include "main_dialog.h"
#include "overwrite_dialog.h"
#include "resource.h"
#include "shared_constants.h"
#include "split_worker.h"
#include "test_files.h"
#include "window_access.h"

namespace {

const char *const TITLE = "Brindle 1.31", *const REPORT = "'f.bin' was split successfully.";

class MainDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettingsKey();
        dialog = CreateDialogParamA(NULL, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc, 0);
        ShowWindow(dialog, SW_SHOW);
    }
    void TearDown() override
    {
        EXPECT_TRUE(WaitFor([] { return !SplitWorkerRunning(); }, true));
        DestroyWindow(dialog);
        ClearSettingsKey();
        RemoveTestFolder(folder);
    }
    void press(int id) { SendMessageA(dialog, WM_COMMAND, id, 0); }
    // Splits f.bin of 3,000,000 bytes into three floppy pieces in `pieces`, from the File menu
    // (the journeys press the Split button); waits for the first box.
    HWND startSplit(const std::string& pieces)
    {
        WritePatternFile(folder + "f.bin", 3000000);
        Type(dialog, IDC_FILE_BOX, folder + "f.bin");
        Type(dialog, IDC_FOLDER_BOX, pieces);
        press(ID_FILE_SPLIT);
        return WaitDialog(dialog, TITLE, true);
    }
    void expectState(bool idle, bool custom = false)
    {
        for (int id : {IDC_FILE_BOX, IDC_BROWSE_FILE, IDC_FOLDER_BOX, IDC_BROWSE_FOLDER,
                       IDC_SIZE_CHOICE, IDC_EXIT})
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, id)), idle) << id;
        for (int id : {IDC_CUSTOM_NUMBER, IDC_UNIT_LIST})
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, id)), idle && custom) << id;
        for (int id : {IDC_SPLIT, IDCANCEL}) {
            bool isDefault =
                SendDlgItemMessageA(dialog, id, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON;
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, id)) +
                          IsWindowVisible(GetDlgItem(dialog, id)) + isDefault,
                      idle == (id == IDC_SPLIT) ? 3 : 0)
                << id;
        }
    }

    std::string folder = MakeTestFolder();
    HWND dialog = NULL;
};

TEST_F(MainDialog, CustomSizeEnablesItsControlsStartsInBytesAndKeepsThem)
{
    SetFocus(GetDlgItem(dialog, IDC_SIZE_CHOICE));
    Choose(dialog, IDC_SIZE_CHOICE, 1);
    expectState(true, true);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, IDC_CUSTOM_NUMBER));
    EXPECT_EQ(Text(dialog, IDC_UNIT_LIST), "Bytes");
    Type(dialog, IDC_CUSTOM_NUMBER, "12");
    Choose(dialog, IDC_UNIT_LIST, 1);
    Choose(dialog, IDC_SIZE_CHOICE, 0);
    expectState(true);
    Choose(dialog, IDC_SIZE_CHOICE, 1);
    EXPECT_EQ(Text(dialog, IDC_CUSTOM_NUMBER) + " " + Text(dialog, IDC_UNIT_LIST), "12 KB");
}

TEST_F(MainDialog, DropTakesTheFirstFileAndFillsOnlyAnEmptyFolderBox)
{
    WritePatternFile(folder + "f.bin", 1025);
    for (std::string typed : {"D:\\Pieces", " ", ""}) {
        SetDlgItemTextA(dialog, IDC_FOLDER_BOX, typed.c_str());
        std::string names = folder + "f.bin" + '\0' + folder + "second.bin" + '\0';
        HGLOBAL drop =
            GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() + 1);
        DROPFILES* files = (DROPFILES*)GlobalLock(drop);
        files->pFiles = sizeof(DROPFILES);
        memcpy(files + 1, names.data(), names.size());
        GlobalUnlock(drop);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_FILE_BOX, WM_DROPFILES, (WPARAM)drop, 0), 1);
        EXPECT_EQ(Text(dialog, IDC_FOLDER_BOX), typed.empty() ? folder : typed);
        EXPECT_EQ(Text(dialog, IDC_FILE_SIZE_LINE), "1.0 KB (1,025 bytes)");  // of the first file
    }
}

std::atomic<bool> workerHeld(false);
HANDLE releaseWorker = CreateEventA(NULL, TRUE, FALSE, NULL);

TEST_F(MainDialog, OneWorkerAtATime)
{
    SplitWorkerEnding = [] {
        workerHeld = true;
        WaitForSingleObject(releaseWorker, 20000);
        workerHeld = false;
    };
    HWND question = startSplit(folder + "pieces\\");  // whether to create the folder: still idle
    HANDLE worker = SplitWorkerHandle();
    press(IDC_SPLIT);
    press(ID_FILE_SPLIT);
    EXPECT_EQ(SplitWorkerHandle(), worker);
    Dismiss(question, IDYES, true);
    EXPECT_EQ(Answer(dialog, TITLE, IDOK, true).find(REPORT), 0u);
    ASSERT_TRUE(WaitFor([] { return workerHeld.load(); }, true));
    SetDlgItemTextA(dialog, IDC_FOLDER_BOX, folder.c_str());
    PostMessageA(dialog, WM_COMMAND, IDC_SPLIT, 0);
    // The dialog goes on answering, and starts nothing while the old worker is there.
    EXPECT_FALSE(WaitFor(
        [&] { return !workerHeld || !IsWindowVisible(GetDlgItem(dialog, IDC_SPLIT)); }, true, 500));
    SetEvent(releaseWorker);
    EXPECT_EQ(Answer(dialog, TITLE, IDOK, true).find(REPORT), 0u);
    SplitWorkerEnding = nullptr;
}

// The Cancel question was open while the job ended in its success report.
TEST_F(MainDialog, YesAfterTheJobHasEndedCancelsNothing)
{
    HWND report = startSplit(folder);
    expectState(false);  // until the report is answered
    HANDLE worker = NULL;
    DuplicateHandle(GetCurrentProcess(), SplitWorkerHandle(), GetCurrentProcess(), &worker,
                    SYNCHRONIZE, FALSE, 0);
    std::thread user([&] {
        EXPECT_TRUE(WaitFor([] { return pauseRequested.load(); }));
        Dismiss(report, IDOK);
        EXPECT_TRUE(WaitFor([&] { return WaitForSingleObject(worker, 0) == WAIT_OBJECT_0; }));
        HWND question = NULL;
        EXPECT_TRUE(WaitFor([&] { return (question = FindDialog(dialog, TITLE)) != NULL; }));
        if (question) Dismiss(question, IDYES);
    });
    press(IDCANCEL);
    user.join();
    CloseHandle(worker);
    EXPECT_FALSE(cancelRequested);
    expectState(true);
}

TEST_F(MainDialog, OverwriteQuestionHasTheFocusOnNoAndOnlyItsButtonsAnswerIt)
{
    auto ask = [&](const std::function<void(HWND)>& act) {
        int answer = 0;
        WhileShown(dialog, "Confirm File Overwrite", act,
                   [&] { answer = confirmOverwrite(dialog, "C:\\a.bin.2"); });
        return answer;
    };
    auto enterAtOnce = [](HWND box) {
        EXPECT_EQ(Text(box, IDC_OVERWRITE_TEXT),
                  "The file \"C:\\a.bin.2\" already exists.\nDo you want to overwrite it?");
        GUITHREADINFO info = {sizeof info};
        GetGUIThreadInfo(GetWindowThreadProcessId(box, NULL), &info);
        EXPECT_EQ(info.hwndFocus, GetDlgItem(box, IDC_OVERWRITE_NO));
        PostMessageA(info.hwndFocus, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    };
    EXPECT_EQ(ask(enterAtOnce), IDNO);
    EXPECT_EQ(ask([](HWND box) { Press(box, IDC_OVERWRITE_YES_TO_ALL); }), IDYESTOALL);
    // Commands arrive in order: had Escape closed the dialog, Yes would not be read.
    EXPECT_EQ(ask([](HWND box) {
                  Press(box, IDCANCEL);
                  Press(box, IDC_OVERWRITE_YES);
              }),
              IDYES);
}

}  // namespace
