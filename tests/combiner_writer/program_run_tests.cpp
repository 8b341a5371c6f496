// A written combiner program run as the user runs it: started in the folder
// of its pieces, its dialog driven through window messages.
#include <windows.h>
#include <uxtheme.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_system.h"
#include "template_image.h"
#include "test_files.h"

namespace {

struct WindowSearch {
    DWORD process;
    std::string containing;  // text of a child (empty: any dialog)
    HWND found;
};

std::string ChildText(HWND window, int id)
{
    char text[1024] = "";
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

BOOL CALLBACK MatchDialog(HWND window, LPARAM parameter)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (process != search.process || std::string(className) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    // Message boxes show their text in the static control 0xFFFF.
    bool matches = search.containing.empty() ? GetDlgItem(window, 1002) != NULL
                                             : ChildText(window, 0xFFFF) == search.containing;
    if (!matches) return TRUE;
    search.found = window;
    return FALSE;
}

// Waits until the process shows the dialog (or the box with this text).
HWND WaitForDialog(DWORD process, const std::string& containing = "")
{
    WindowSearch search = {process, containing, NULL};
    for (int tries = 0; tries < 3000 && !search.found; ++tries) {
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(10);
    }
    if (!search.found)
        ADD_FAILURE() << "waited 30 s for the combiner's "
                      << (containing.empty() ? "dialog" : "box \"" + containing + "\"");
    return search.found;
}

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override { folder = MakeTestFolder(); }
    void TearDown() override
    {
        if (process.hProcess) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process.hProcess, 99);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        RemoveTestFolder(folder);
    }

    // Writes Create_<base>.exe for the name into the folder and starts it there.
    HWND Start(const std::string& name, int32_t count, int64_t size, uint32_t checksum)
    {
        std::vector<unsigned char> image = PatchedTemplateImage(name, count, size, checksum);
        std::string program = folder + "Create_" + name.substr(0, name.rfind('.')) + ".exe";
        WriteTextFile(program, std::string(image.begin(), image.end()));
        std::vector<char> line(program.begin(), program.end());
        line.push_back('\0');
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        EXPECT_TRUE(CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, folder.c_str(),
                                   &startup, &process));
        return WaitForDialog(process.dwProcessId);
    }
    // Presses OK in the box with this text.
    bool Acknowledge(const std::string& text)
    {
        HWND box = WaitForDialog(process.dwProcessId, text);
        if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
        return box != NULL;
    }
    DWORD ExitCode()
    {
        WaitForSingleObject(process.hProcess, 30000);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return code;
    }

    std::string folder;
    PROCESS_INFORMATION process = {};
};

// Python: zlib.crc32(b"a" * 1000 + b"b" * 1000 + b"c" * 700), and the same
// with the last byte a "d".
const uint32_t ABC_CRC = 0xC41EAE40u;

// Pieces of 1000, 1000 and 700 bytes of "a", "b" and "c"; the whole file.
std::string WriteAbcPieces(const std::string& folder)
{
    std::string whole;
    for (int i = 0; i < 3; ++i) {
        std::string bytes(i == 2 ? 700 : 1000, (char)('a' + i));
        WriteTextFile(folder + "report.pdf." + std::to_string(i + 1), bytes);
        whole += bytes;
    }
    return whole;
}

}  // namespace

TEST_F(ProgramRun, ProposesItsFolderAndRebuildsTheFileOnOk)
{
    std::string whole = WriteAbcPieces(folder);
    HWND dialog = Start("report.pdf", 3, (int64_t)whole.size(), ABC_CRC);
    ASSERT_NE(dialog, (HWND)NULL);
    char caption[64] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_STREQ(caption, "Brindle");
    EXPECT_EQ(ChildText(dialog, 1003), "'report.pdf'");
    EXPECT_EQ(ChildText(dialog, 1002), folder + "report.pdf");
    EXPECT_EQ(ChildText(dialog, 1001), folder);
    HWND statusBar = GetDlgItem(dialog, IDC_STATUS_BAR);
    ASSERT_NE(statusBar, (HWND)NULL);
    HWND progress = GetDlgItem(statusBar, IDC_PROGRESS);
    ASSERT_NE(progress, (HWND)NULL);
    char className[64] = "";
    GetClassNameA(progress, className, sizeof className);
    EXPECT_STREQ(className, "msctls_progress32");
    EXPECT_EQ(GetWindowTheme(progress), (HTHEME)NULL);  // classic, and quick to repaint

    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Acknowledge("The file was created successfully."));
    EXPECT_EQ(ExitCode(), 1u);
    std::vector<unsigned char> rebuilt = ReadWholeFile(folder + "report.pdf");
    EXPECT_EQ(std::string(rebuilt.begin(), rebuilt.end()), whole);
}

TEST_F(ProgramRun, StaysOpenAfterAMismatchAndEndsWithTwoOnCancel)
{
    std::string whole = WriteAbcPieces(folder);
    whole.back() = 'd';
    WriteTextFile(folder + "report.pdf.3", whole.substr(2000));
    HWND dialog = Start("report.pdf", 3, (int64_t)whole.size(), ABC_CRC);
    ASSERT_NE(dialog, (HWND)NULL);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Acknowledge("The file '" + folder +
                            "report.pdf' does not match the file that was split: the content "
                            "differs.  Expected checksum C41EAE40, found 5A7A3BE3."));
    // Back to idle: both buttons enabled again.
    for (int tries = 0; tries < 3000 && !IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)); ++tries)
        Sleep(10);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(ExitCode(), 2u);
    // The output is kept as it was written.
    std::vector<unsigned char> kept = ReadWholeFile(folder + "report.pdf");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), whole);
}
