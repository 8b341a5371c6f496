// Journeys of a user through the real Brindle.exe and the Create_<name>.exe
// it writes: only what no test of a lower layer can show.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "resource.h"
#include "shared_constants.h"
#include "test_files.h"
#include "window_access.h"

namespace {

const char* const TITLE = "Brindle 1.31";
// The written program's fields: the file to create and the folder of the pieces.
const int FILE_TO_CREATE = 1002, PIECES_FOLDER = 1001;

std::string BrindlePath()
{
    const char* other = getenv("BRINDLE_EXE");
    return WindowsPathOf(other != nullptr ? other : BRINDLE_UNIX_PATH);
}

std::string Report(const std::string& file, const std::string& program)
{
    return "'" + file + "' was split successfully.\n\nBrindle has produced a program named '" +
           program + "' that will recreate the file.";
}

int64_t SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (int64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

bool SameBytes(const std::string& a, const std::string& b)
{
    const size_t block = 1 << 24;
    for (int64_t at = 0; FileExists(a); at += block) {
        std::vector<unsigned char> bytesOfA = ReadRange(a, at, block);
        if (bytesOfA != ReadRange(b, at, block)) return false;
        if (bytesOfA.size() < block) return true;
    }
    return false;
}

void WriteAt(const std::string& path, int64_t offset, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    LARGE_INTEGER at;
    at.QuadPart = offset;
    SetFilePointerEx(file, at, NULL, FILE_BEGIN);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

class Journey : public ::testing::Test {
protected:
    void SetUp() override
    {
        // scripts/demo.sh keeps the files of its journey, to show them.
        const char* kept = getenv("BRINDLE_JOURNEY_FOLDER");
        work = kept != nullptr ? WindowsPathOf(kept) + "\\" : MakeTestFolder();
        CreateDirectoryA(work.c_str(), NULL);
    }
    void TearDown() override
    {
        if (getenv("BRINDLE_JOURNEY_FOLDER") == nullptr) RemoveTestFolder(work);
    }

    HWND startBrindle(Program& brindle, const std::string& file, const std::string& pieces)
    {
        HWND main = brindle.window(TITLE);
        Type(main, IDC_FILE_BOX, file);
        Type(main, IDC_FOLDER_BOX, pieces);
        return main;
    }

    std::string work;
};

TEST_F(Journey, FloppySplitOntoTheDisksOfDriveARebuildsTheFile)
{
    const char* drives = getenv("BRINDLE_DRIVES");
    REQUIRE_PREREQUISITE(drives != nullptr, "drive A: and its disks (BRINDLE_DRIVES)");
    auto disk = [&](char n) { return std::string(drives) + "/journey_disk" + n; };
    std::string source = work + "letters.bin", together = work + "together\\";
    WritePatternFile(source, 3000000);
    CreateDirectoryA(together.c_str(), NULL);
    ASSERT_TRUE(InsertDiskInDriveA(std::string(drives) + "/empty"));
    Program brindle(BrindlePath(), work);
    HWND main = startBrindle(brindle, source, "A:\\");
    Screenshot("1_brindle_ready");
    Press(main, IDC_SPLIT);
    for (char n : {'1', '2', '3'}) {
        RemoveTestFolder(WindowsPathOf(disk(n)) + "\\");
        CreateDirectoryA(WindowsPathOf(disk(n)).c_str(), NULL);
        HWND prompt = WaitDialog(main, TITLE);
        if (n == '1') Screenshot("2_disk_prompt");
        EXPECT_EQ(Text(prompt, BOX_TEXT), std::string("Please insert disk ") + n + " in drive A:");
        ASSERT_TRUE(InsertDiskInDriveA(disk(n)));
        Dismiss(prompt, IDOK);
    }
    HWND report = WaitDialog(main, TITLE);
    Screenshot("3_split_done");
    EXPECT_EQ(Text(report, BOX_TEXT), Report("letters.bin", "Create_letters.exe"));
    Dismiss(report, IDOK);
    Press(main, IDC_EXIT);
    EXPECT_EQ(brindle.exitCode(), 0);
    EXPECT_TRUE(InsertDiskInDriveA(std::string(drives) + "/empty"));
    // A piece on each disk, the program on the last one: all of them together again.
    for (std::string name : {"1letters.bin.1", "2letters.bin.2", "3letters.bin.3", "3Create_letters.exe"})
        EXPECT_TRUE(CopyFileA((WindowsPathOf(disk(name[0])) + "\\" + name.substr(1)).c_str(),
                              (together + name.substr(1)).c_str(), FALSE)) << name;

    Program combiner(together + "Create_letters.exe", together);
    HWND dialog = combiner.window("Brindle");
    EXPECT_EQ(Text(dialog, FILE_TO_CREATE), together + "letters.bin");
    EXPECT_EQ(Text(dialog, PIECES_FOLDER), together);
    Screenshot("4_combiner");
    Press(dialog, IDOK);
    HWND done = WaitDialog(dialog, "Brindle");
    Screenshot("5_file_rebuilt");
    EXPECT_EQ(Text(done, BOX_TEXT), "The file was created successfully.");
    Dismiss(done, IDOK);
    EXPECT_EQ(combiner.exitCode(), 1);
    EXPECT_TRUE(SameBytes(together + "letters.bin", source));
}

TEST_F(Journey, DamagedPieceIsReportedAndCancelEndsTheProgramWithTwo)
{
    std::string source = work + "report.pdf", pieces = work + "pieces\\";
    std::string bytes(3000000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = (char)(i % 251);
    WriteTextFile(source, bytes);
    CreateDirectoryA(pieces.c_str(), NULL);
    Program brindle(BrindlePath(), work);
    HWND main = startBrindle(brindle, source, pieces);
    Press(main, IDC_SPLIT);
    EXPECT_EQ(Answer(main, TITLE, IDOK), Report("report.pdf", "Create_report.exe"));
    Press(main, IDC_EXIT);
    EXPECT_EQ(brindle.exitCode(), 0);
    // One byte of the second piece changed on the way, its size kept.
    std::vector<unsigned char> piece = ReadWholeFile(pieces + "report.pdf.2");
    ASSERT_EQ(piece.size(), 1457664u);
    piece[100] ^= 0xFF;
    WriteTextFile(pieces + "report.pdf.2", std::string(piece.begin(), piece.end()));

    Program combiner(pieces + "Create_report.exe", pieces);
    HWND dialog = combiner.window("Brindle");
    Press(dialog, IDOK);
    // Python: zlib.crc32(bytes(i % 251 for i in range(3000000))), and the same
    // with the byte at 1,457,764 inverted.
    EXPECT_EQ(Answer(dialog, "Brindle", IDOK),
              "The file '" + pieces + "report.pdf' does not match the file that was split: the "
              "content differs.  Expected checksum 5B721D06, found CC73081C.");
    EXPECT_TRUE(WaitFor([&] { return Enabled(dialog, IDOK) && Enabled(dialog, IDCANCEL); }));
    Press(dialog, IDCANCEL);
    EXPECT_EQ(combiner.exitCode(), 2);
}

// The job has written the first piece of f.bin and waits in the overwrite
// question for the second, an old file in `pieces`.
HWND SplitUntilOverwriteQuestion(HWND main, const std::string& pieces)
{
    CreateDirectoryA(pieces.c_str(), NULL);
    WriteTextFile(pieces + "f.bin.2", "old");
    Type(main, IDC_FOLDER_BOX, pieces);
    Press(main, IDC_SPLIT);
    return WaitDialog(main, "Confirm File Overwrite");
}

TEST_F(Journey, CancelQuestionHoldsTheJobAndFileExitEndsItWithoutACombiner)
{
    WritePatternFile(work + "f.bin", 5000000);
    Program brindle(BrindlePath(), work);
    HWND main = startBrindle(brindle, work + "f.bin", "");
    HWND status = GetDlgItem(main, IDC_STATUS_BAR);
    for (int answer : {IDNO, IDYES}) {
        std::string pieces = work + std::to_string(answer) + "\\";
        HWND overwrite = SplitUntilOverwriteQuestion(main, pieces);
        Press(main, IDCANCEL);
        HWND question = WaitDialog(main, TITLE);
        EXPECT_EQ(Text(question, BOX_TEXT), "Are you sure you want to cancel?");
        Dismiss(overwrite, IDC_OVERWRITE_YES);
        // The job goes on to its next check and is held there, the second piece empty.
        EXPECT_TRUE(WaitFor([&] { return SizeOf(pieces + "f.bin.2") == 0; }));
        std::string percent = Text(status);
        EXPECT_TRUE(HoldsFor(500, [&] { return SizeOf(pieces + "f.bin.2") == 0 && Text(status) == percent; }));
        Dismiss(question, answer);
        if (answer == IDNO) {
            EXPECT_EQ(Answer(main, TITLE, IDOK), Report("f.bin", "Create_f.exe"));
        }
        EXPECT_TRUE(WaitFor([&] { return Shown(main, IDC_SPLIT); }));
        EXPECT_EQ(FindDialog(main, TITLE), (HWND)NULL);
        EXPECT_EQ(SizeOf(pieces + "f.bin.1"), 1457664);
        EXPECT_EQ(SizeOf(pieces + "f.bin.2"), answer == IDNO ? 1457664 : 0);
        EXPECT_EQ(FileExists(pieces + "Create_f.exe"), answer == IDNO);
    }
    SplitUntilOverwriteQuestion(main, work + "exit\\");
    Press(main, ID_FILE_EXIT);
    EXPECT_EQ(brindle.exitCode(), 0);
    EXPECT_EQ(SizeOf(work + "exit\\f.bin.1"), 1457664);
    EXPECT_FALSE(FileExists(work + "exit\\Create_f.exe"));
}

TEST_F(Journey, RestartKeepsTheRecentListsAndThePlace)
{
    ClearSettingsKey();
    WriteTextFile(work + "first.bin", std::string(1000, 'x'));
    CreateDirectoryA((work + "out").c_str(), NULL);
    {
        Program brindle(BrindlePath(), work);
        HWND main = startBrindle(brindle, work + "first.bin", work + "out");
        Press(main, IDC_SPLIT);
        EXPECT_EQ(Answer(main, TITLE, IDOK), Report("first.bin", "Create_first.exe"));
        SetWindowPos(main, NULL, 100, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Press(main, IDC_EXIT);
        EXPECT_EQ(brindle.exitCode(), 0);
    }
    Program brindle(BrindlePath(), work);
    HWND main = brindle.window(TITLE);
    RECT place = {};
    GetWindowRect(main, &place);
    EXPECT_EQ(place.left, 100);
    EXPECT_EQ(place.top, 80);
    Choose(main, IDC_FILE_BOX, 0);
    EXPECT_EQ(Text(main, IDC_FILE_BOX), work + "first.bin");
    EXPECT_EQ(Text(main, IDC_FILE_SIZE_LINE), "1,000 bytes");
    Choose(main, IDC_FOLDER_BOX, 0);
    EXPECT_EQ(Text(main, IDC_FOLDER_BOX), work + "out");
    PostMessageA(main, WM_CLOSE, 0, 0);  // the close box
    EXPECT_EQ(brindle.exitCode(), 0);
    ClearSettingsKey();
}

TEST_F(Journey, FileAbove4GiBIsSplitAndRebuiltIdentical)
{
    std::string source = work + "disk.img", pieces = work + "pieces\\";
    MakeSparseFile(source, 4295967296LL);  // 4 GiB and 1,000,000 bytes
    // Marks across the end of the first piece and above 4 GiB.
    for (int64_t at : {0LL, 1073741820LL, 4294979641LL}) WriteAt(source, at, "mark" + std::to_string(at));
    CreateDirectoryA(pieces.c_str(), NULL);
    Program brindle(BrindlePath(), work);
    HWND main = startBrindle(brindle, source, pieces);
    Choose(main, IDC_SIZE_CHOICE, 1);
    Choose(main, IDC_UNIT_LIST, 3);
    Type(main, IDC_CUSTOM_NUMBER, "1");
    EXPECT_EQ(Text(main, IDC_PIECE_COUNT_LINE), "5");
    Press(main, IDC_SPLIT);
    EXPECT_TRUE(WaitFor([&] { return FindDialog(main, TITLE) != NULL; }, false, 1200));
    EXPECT_EQ(Answer(main, TITLE, IDOK), Report("disk.img", "Create_disk.exe"));
    Press(main, IDC_EXIT);
    EXPECT_EQ(brindle.exitCode(), 0);
    EXPECT_EQ(SizeOf(pieces + "disk.img.5"), 1000000);

    Program combiner(pieces + "Create_disk.exe", pieces);
    HWND dialog = combiner.window("Brindle");
    Press(dialog, IDOK);
    EXPECT_TRUE(WaitFor([&] { return FindDialog(dialog, "Brindle") != NULL; }, false, 1200));
    EXPECT_EQ(Answer(dialog, "Brindle", IDOK), "The file was created successfully.");
    EXPECT_EQ(combiner.exitCode(), 1);
    EXPECT_TRUE(SameBytes(pieces + "disk.img", source));
}

}  // namespace
