// One whole split through Brindle's window, timed from the Split click to the
// success report, with the window layer of the tests. Run by scripts/bench,
// not by the test command. The Linux paths of Brindle.exe, of the file and of
// an empty folder for the pieces come in BRINDLE_EXE, BENCH_SOURCE and
// BENCH_FOLDER.
//
// Prints one line: "gui_split <bytes> <seconds> <MB/s> MB/s".
#include <stdio.h>
#include <stdlib.h>

#include "bench_clock.h"
#include "resource.h"
#include "test_files.h"
#include "window_access.h"

namespace {

int64_t SizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (int64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

TEST(Bench, SplitThroughTheWindow)
{
    for (const char* name : {"BRINDLE_EXE", "BENCH_SOURCE", "BENCH_FOLDER"})
        ASSERT_NE(getenv(name), nullptr) << name << " is not set";
    std::string source = WindowsPathOf(getenv("BENCH_SOURCE"));
    std::string folder = WindowsPathOf(getenv("BENCH_FOLDER")) + "\\";
    Program brindle(WindowsPathOf(getenv("BRINDLE_EXE")), folder);
    HWND main = brindle.window("Brindle 1.31");
    Type(main, IDC_FILE_BOX, source);
    Type(main, IDC_FOLDER_BOX, folder);
    BenchClock clock;
    Press(main, IDC_SPLIT);
    ASSERT_TRUE(WaitFor([&] { return FindDialog(main, "Brindle 1.31") != NULL; }, false, 3600 * 1000));
    double seconds = clock.seconds();
    EXPECT_NE(Answer(main, "Brindle 1.31", IDOK).find("was split successfully"), std::string::npos);
    Press(main, IDC_EXIT);
    EXPECT_EQ(brindle.exitCode(), 0);
    int64_t bytes = SizeOf(source);
    printf("gui_split %lld %.3f %.1f MB/s\n", (long long)bytes, seconds, (double)bytes / seconds / 1e6);
}

}  // namespace
