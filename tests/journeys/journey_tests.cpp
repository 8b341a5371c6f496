// Journeys through the real Brindle.exe and the Create_<name>.exe it writes: what nothing lower
// shows.
#include <fstream>

#include "resource.h"
#include "shared_constants.h"
#include "test_files.h"
#include "window_access.h"

namespace {

const char* const TITLE = "Brindle 1.31";

bool SameBytes(const std::string& a, const std::string& b)
{
    for (int64_t at = 0;; at += 1 << 24) {
        std::string bytesOfA = ReadTextFile(a, at, 1 << 24);
        if (bytesOfA != ReadTextFile(b, at, 1 << 24)) return false;
        if (bytesOfA.empty()) return FileExists(a);
    }
}

class Journey : public ::testing::Test {
protected:
    // Each journey starts with "Add a recovery piece" as a first start has it: cleared.
    Journey()
    {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Velloran\\Brindle", "RecoveryPiece");
        CreateDirectoryA(work.c_str(), NULL);
    }
    void TearDown() override { RemoveTestFolder(work); }

    // A fresh folder, or BRINDLE_JOURNEY_FOLDER's (a Windows path ending in \), made anew.
    std::string work =
        getenv("BRINDLE_JOURNEY_FOLDER") ? getenv("BRINDLE_JOURNEY_FOLDER") : MakeTestFolder();
    std::string brindlePath = WindowsPathOf(BRINDLE_UNIX_PATH);
};

// With the recovery piece on a disk of its own: piece 2 damaged on the way, and in another run
// lost, is rebuilt from it.
TEST_F(Journey, FloppySplitWithARecoveryPieceIsRebuiltThoughAPieceIsDamagedOrLost)
{
    const char* drives = getenv("BRINDLE_DRIVES");
    REQUIRE_PREREQUISITE(drives != nullptr, "drive A: and its disks (BRINDLE_DRIVES)");
    // Fresh disks for each run: a disk that holds a piece already would ask to overwrite it.
    auto disk = [&, run = std::to_string(GetTickCount())](char n) {
        return std::string(drives) + "/disk" + run + n;
    };
    std::string bytes(3000000, '\0'), source = work + "holiday.bin", together = work + "Restore\\";
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (char)(i % 251);
    WriteTextFile(source, bytes);
    CreateDirectoryA(together.c_str(), NULL);
    Program brindle(brindlePath, work);
    HWND main = brindle.window(TITLE);
    Type(main, IDC_FILE_BOX, source);
    Type(main, IDC_FOLDER_BOX, "A:\\");
    Screenshot("brindle_main_idle", main);
    Send(GetDlgItem(main, IDC_RECOVERY_PIECE), BM_CLICK, 0, 0);
    Screenshot("brindle_main_recovery", main);
    Press(main, IDC_SPLIT);
    for (char n : {'1', '2', '3', '4'}) {  // a disk for each piece, and one for the recovery piece
        CreateDirectoryA(WindowsPathOf(disk(n)).c_str(), NULL);
        HWND prompt = WaitDialog(main, TITLE);
        EXPECT_EQ(Text(prompt, BOX_TEXT), std::string("Please insert disk ") + n + " in drive A:");
        ASSERT_TRUE(InsertDiskInDriveA(disk(n)));
        Dismiss(prompt, IDOK);
    }
    EXPECT_EQ(Answer(main, TITLE, IDOK).find("'holiday.bin' was split successfully."), 0u);
    Press(main, ID_HELP_ABOUT);
    HWND about = WaitDialog(main, "About Brindle");
    Screenshot("about_box", about);
    Dismiss(about, IDOK);
    Press(main, IDC_EXIT);
    EXPECT_EQ(brindle.exitCode(), 0);
    for (std::string name : {"1holiday.bin.1", "2holiday.bin.2", "3holiday.bin.3",
                             "4holiday.bin.recovery", "4Create_holiday.exe"})
        EXPECT_TRUE(CopyFileA((WindowsPathOf(disk(name[0])) + "\\" + name.substr(1)).c_str(),
                              (together + name.substr(1)).c_str(), FALSE))
            << name;
    bytes[1457664 + 100] ^= 0xFF;  // the second piece, damaged on the way, its size kept
    WriteTextFile(together + "holiday.bin.2", bytes.substr(1457664, 1457664));
    for (bool lost : {false, true}) {  // the report's text is the combiner tests'
        if (lost) DeleteFileA((together + "holiday.bin.2").c_str());
        Program combiner(together + "Create_holiday.exe", together);
        HWND dialog = combiner.window("Brindle");
        EXPECT_EQ(Text(dialog, 1003) + " " + Text(dialog, 1002) + " " + Text(dialog, 1001),
                  "'holiday.bin' " + together + "holiday.bin " + together);
        Screenshot(lost ? "4_piece_lost" : "combiner_dialog", dialog);
        Press(dialog, IDOK);
        WaitDialog(dialog, "Brindle");
        Screenshot(lost ? "5_piece_rebuilt" : "combiner_rebuilt", dialog);
        Answer(dialog, "Brindle", IDOK);
        EXPECT_EQ(combiner.exitCode(), 1);
        EXPECT_TRUE(SameBytes(together + "holiday.bin", source));
        DeleteFileA((together + "holiday.bin").c_str());
    }
    DeleteFileA((together + "holiday.bin.recovery").c_str());  // then the dialog stays for a retry
    Program combiner(together + "Create_holiday.exe", together);
    HWND dialog = combiner.window("Brindle");
    Press(dialog, IDOK);
    EXPECT_NE(Answer(dialog, "Brindle", IDOK).find("could not be found"), std::string::npos);
    EXPECT_FALSE(WaitFor([&] { return !IsWindow(dialog); }, false, 500));
}

// The job writes piece 1 of f.bin and waits to overwrite the old piece 2: a hold that races
// nothing.
HWND SplitUntilOverwriteQuestion(HWND main, const std::string& pieces)
{
    CreateDirectoryA(pieces.c_str(), NULL);
    WriteTextFile(pieces + "f.bin.2", "old");
    Type(main, IDC_FOLDER_BOX, pieces);
    Press(main, IDC_SPLIT);
    return WaitDialog(main, "Confirm File Overwrite");
}

TEST_F(Journey, CancelQuestionHoldsTheJobAndExitDuringASplitKeepsTheSettings)
{
    WritePatternFile(work + "f.bin", 5000000);
    {
        Program brindle(brindlePath, work);
        HWND main = brindle.window(TITLE), status = GetDlgItem(main, IDC_STATUS_BAR);
        Type(main, IDC_FILE_BOX, work + "f.bin");
        for (int reply : {IDNO, IDYES}) {
            std::string pieces = work + "Части " + std::to_string(reply) + "\\", percent;
            HWND overwrite = SplitUntilOverwriteQuestion(main, pieces);
            Screenshot("overwrite_dialog", overwrite);
            Press(main, IDCANCEL);
            HWND question = WaitDialog(main, TITLE);
            EXPECT_EQ(Text(question, BOX_TEXT), "Are you sure you want to cancel?");
            Dismiss(overwrite, IDC_OVERWRITE_YES);
            // The job goes on to its next check and is held there, the second piece empty.
            auto held = [&] {
                return ReadTextFile(pieces + "f.bin.2").empty() && Text(status) == percent;
            };
            EXPECT_TRUE(WaitFor([&] { return !(percent = Text(status)).empty() && held(); }));
            Screenshot("brindle_main_splitting", main);
            EXPECT_FALSE(WaitFor([&] { return !held(); }, false, 500));
            Dismiss(question, reply);
            if (reply == IDNO) Answer(main, TITLE, IDOK);  // the report, as the split tests have it
            EXPECT_TRUE(WaitFor([&] {
                return IsWindowVisible(GetDlgItem(main, IDC_SPLIT)) && !FindDialog(main, TITLE);
            }));
            EXPECT_EQ(ReadTextFile(pieces + "f.bin.2").size(), reply == IDNO ? 1457664u : 0u);
            EXPECT_EQ(FileExists(pieces + "Create_f.exe"), reply == IDNO);
        }
        SplitUntilOverwriteQuestion(main, work + "exit\\");
        Press(main, ID_FILE_EXIT);
        EXPECT_EQ(brindle.exitCode(), 0);
        EXPECT_FALSE(FileExists(work + "exit\\Create_f.exe"));
    }
    Program brindle(brindlePath, work);
    HWND main = brindle.window(TITLE);
    Choose(main, IDC_FILE_BOX, 0);  // the one split that was not stopped
    Choose(main, IDC_FOLDER_BOX, 0);
    EXPECT_EQ(Text(main, IDC_FILE_BOX) + " " + Text(main, IDC_FOLDER_BOX),
              work + "f.bin " + work + "Части 7\\");
    PostMessageA(main, WM_CLOSE, 0, 0);  // the close box
    EXPECT_EQ(brindle.exitCode(), 0);
}

// Named in scripts that no older code page holds whole (Cyrillic, CJK, an emoji beyond the Basic
// Multilingual Plane) and with two characters that they had (é, €): the names come through only
// with UTF-8 as both programs' code page.
TEST_F(Journey, FileAbove4GiBNamedInAnyScriptIsSplitAndRebuiltIdentical)
{
    const std::string name = "Отчёт 日本 😀 é€", source = work + name + ".img",
                      pieces = work + "Части 😀\\";
    MakeSparseFile(source, 4295967296LL);  // 4 GiB and 1,000,000 bytes
    for (long long at :
         {1073741820LL, 4294979641LL})  // across the end of the first piece, and above 4 GiB
        std::fstream(source, std::ios::in | std::ios::out | std::ios::binary).seekp(at)
            << "a mark across";
    CreateDirectoryA(pieces.c_str(), NULL);
    Program brindle(brindlePath, work);
    HWND main = brindle.window(TITLE);
    Type(main, IDC_FILE_BOX, source);
    Type(main, IDC_FOLDER_BOX, pieces);
    Choose(main, IDC_SIZE_CHOICE, 1);
    Choose(main, IDC_UNIT_LIST, 3);
    Type(main, IDC_CUSTOM_NUMBER, "1");
    Press(main, IDC_SPLIT);
    EXPECT_TRUE(WaitFor([&] { return FindDialog(main, TITLE) != NULL; }, false, 1200000));
    EXPECT_EQ(Answer(main, TITLE, IDOK).find("'" + name + ".img' was split successfully."), 0u);
    Press(main, IDC_EXIT);
    EXPECT_EQ(brindle.exitCode(), 0);
    Program combiner(pieces + "Create_" + name + ".exe", pieces);
    HWND dialog = combiner.window("Brindle");
    EXPECT_EQ(Text(dialog, 1003), "'" + name + ".img'");
    Press(dialog, IDOK);
    EXPECT_TRUE(WaitFor([&] { return FindDialog(dialog, "Brindle") != NULL; }, false, 1200000));
    EXPECT_EQ(Answer(dialog, "Brindle", IDOK), "The file was created successfully.");
    EXPECT_EQ(combiner.exitCode(), 1);
    EXPECT_TRUE(SameBytes(pieces + name + ".img", source));
}

}  // namespace
