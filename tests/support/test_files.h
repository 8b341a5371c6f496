// Real files for tests under Wine: fresh folders, files with known bytes, drive A:.
#pragma once

#include <stdint.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A new, empty folder under the temporary folder, ending with a backslash.
std::string MakeTestFolder();
// Removes a folder made by MakeTestFolder with everything in it.
void RemoveTestFolder(const std::string& folder);

// The byte at `offset` of a pattern file with the given seed.
unsigned char PatternByte(int64_t offset, unsigned seed);
void WritePatternFile(const std::string& path, int64_t size, unsigned seed = 1);
// A file of `size` bytes that takes no room on the Linux side (all zeros).
void MakeSparseFile(const std::string& path, int64_t size);
void WriteTextFile(const std::string& path, const std::string& bytes);
std::vector<unsigned char> ReadWholeFile(const std::string& path);
// Reads `count` bytes at `offset` (64-bit); fewer at the end of the file.
std::vector<unsigned char> ReadRange(const std::string& path, int64_t offset, size_t count);
bool FileExists(const std::string& path);

// A Windows path for a path on the Linux side (Z:\...).
std::string WindowsPathOf(const std::string& unixPath);
// Runs a Linux command through /bin/sh -c, with its input and output on NUL, and waits for it;
// false when it could not be started. Its exit code does not come back reliably: check its effect.
bool RunUnixCommand(const std::string& command);
// Re-points drive A: (an emulated floppy drive; a folder that does not exist is no disk) at the
// Linux folder and waits until the drive shows it; false when it did not change in time.
bool InsertDiskInDriveA(const std::string& unixFolder);

// Whether the test command (which provides root, drive A: and the small disks) runs this test.
bool RunByTestCommand();
// For a test that needs what only the test command provides: under the test command a missing
// one fails the test; run by hand, the test is skipped and says why.
#define REQUIRE_PREREQUISITE(present, what)                                 \
    do {                                                                    \
        if (!(present)) {                                                   \
            if (RunByTestCommand()) FAIL() << "missing: " << (what);        \
            GTEST_SKIP() << "skipped when run by hand: missing " << (what); \
        }                                                                   \
    } while (false)
