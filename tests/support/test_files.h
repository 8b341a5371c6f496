// Real files for tests under Wine: fresh folders, files with known bytes, drive A:, small disks.
#pragma once

#include <stdint.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A new, empty folder under the temporary folder, ending with a backslash.
std::string MakeTestFolder();
// Removes a folder made by MakeTestFolder with everything in it.
void RemoveTestFolder(const std::string& folder);

// Bytes [offset, offset + size) of a pattern file with the given seed.
std::string PatternBytes(int64_t offset, int64_t size, unsigned seed = 1);
void WritePatternFile(const std::string& path, int64_t size, unsigned seed = 1);
// A file of `size` bytes that takes no room on the Linux side (all zeros).
void MakeSparseFile(const std::string& path, int64_t size);
void WriteTextFile(const std::string& path, const std::string& bytes);
// Its bytes, or `count` of them from `offset` (fewer at its end); empty when there is no file.
std::string ReadTextFile(const std::string& path, int64_t offset = 0, size_t count = SIZE_MAX);
bool FileExists(const std::string& path);
// The lowest `bytes` bytes of the value, lowest first, as the formats on disk keep numbers.
std::string LittleEndian(uint64_t value, int bytes);

// A Windows path for a path on the Linux side (Z:\...).
std::string WindowsPathOf(const std::string& unixPath);
// Runs a Linux command through /bin/sh -c, with its input and output on NUL, and waits for it;
// false when it could not be started. Its exit code does not come back reliably: check its effect.
bool RunUnixCommand(const std::string& command);
// Re-points drive A: (an emulated floppy drive; a folder that does not exist is no disk) at the
// Linux folder and waits until the drive shows it; false when it did not change in time.
bool InsertDiskInDriveA(const std::string& unixFolder);

// A small tmpfs of a test's own, seen from Wine under Z:. Its free space
// changes only by what the test writes there. Mounting needs root.
class SmallDisk {
public:
    ~SmallDisk();
    // Mounts a disk of `bytes` and waits until it is there; false if it cannot be.
    bool mount(int64_t bytes);
    // Fills the disk until exactly `free` bytes are left (a multiple of 4,096).
    void leaveFree(int64_t free);
    // The disk's root folder, ending with a backslash.
    const std::string& folder() const { return folder_; }
    // Where it is mounted on the Linux side.
    const std::string& mountPoint() const { return mountPoint_; }

private:
    std::string mountPoint_;
    std::string folder_;
    bool mounted_ = false;
};

// For a test that needs what only the test command provides (root, drive A:, the small disks):
// under the test command a missing one fails the test; run by hand, the test is skipped and says
// why.
#define REQUIRE_PREREQUISITE(present, what)                                        \
    do {                                                                           \
        if (!(present)) {                                                          \
            if (getenv("BRINDLE_TEST_COMMAND") && *getenv("BRINDLE_TEST_COMMAND")) \
                FAIL() << "missing: " << (what);                                   \
            GTEST_SKIP() << "skipped when run by hand: missing " << (what);        \
        }                                                                          \
    } while (false)
