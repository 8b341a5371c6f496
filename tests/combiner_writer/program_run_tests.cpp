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
    HWND Start(const std::string& name, int32_t count, int64_t size)
    {
        std::vector<unsigned char> image = PatchedTemplateImage(name, count, size);
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

}  // namespace

TEST_F(ProgramRun, ProposesItsFolderAndRebuildsTheFileOnOk)
{
    std::vector<std::string> pieces = {"report.pdf.1", "report.pdf.2", "report.pdf.3"};
    std::string whole;
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::string bytes(1000 - 300 * (i == 2), (char)('a' + i));
        WriteTextFile(folder + pieces[i], bytes);
        whole += bytes;
    }
    HWND dialog = Start("report.pdf", 3, (int64_t)whole.size());
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

TEST_F(ProgramRun, StaysOpenAfterARefusalAndEndsWithTwoOnCancel)
{
    HWND dialog = Start("gone.bin", 2, 10);
    ASSERT_NE(dialog, (HWND)NULL);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(Acknowledge(
        "The file 'gone.bin.1' could not be found.  This file is required to create 'gone.bin'."));
    // Back to idle: both buttons enabled again.
    for (int tries = 0; tries < 3000 && !IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)); ++tries)
        Sleep(10);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(ExitCode(), 2u);
    EXPECT_FALSE(FileExists(folder + "gone.bin"));
}
