// The free-space check and a full disk, on a small tmpfs of the test's own
// (its free space changes only by what the test writes there).
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_system.h"
#include "path_text.h"
#include "reassembly.h"
#include "scripted_reassembly_host.h"
#include "test_files.h"

namespace {

class SmallDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int counter = 0;
        mountPoint = "/tmp/brindle_space_" + std::to_string(GetCurrentProcessId()) + "_" +
                     std::to_string(++counter);
        RunUnixCommand("mkdir -p " + mountPoint + " && mount -t tmpfs -o size=1m tmpfs " +
                       mountPoint);
        disk = WindowsPathOf(mountPoint) + "\\";
        mounted = WaitForSmallDisk();
        if (!mounted) GTEST_SKIP() << "cannot mount a small tmpfs (not root?)";
        pieces = MakeTestFolder();
        host.piecesFolder = pieces;
        host.fileToCreate = disk + "name.bin";
    }
    void TearDown() override
    {
        // Wine may still hold the folder open: detach it lazily.
        RunUnixCommand("umount -l " + mountPoint + "; rmdir " + mountPoint);
        if (!pieces.empty()) RemoveTestFolder(pieces);
    }

    // The command runs on its own: wait until the disk is there (or clearly is not).
    bool WaitForSmallDisk()
    {
        for (int attempt = 0; attempt < 200; ++attempt) {
            int64_t free = getFreeSpace(disk.c_str());
            if (free > 0 && free <= 1048576) return true;
            Sleep(50);
        }
        return false;
    }

    std::string mountPoint, disk, pieces;
    bool mounted = false;
    ScriptedReassemblyHost host;
};

const std::string MISSING_FIRST =
    BoxText(0x40, "The file 'name.bin.1' could not be found.  This file is required to create "
                  "'name.bin'.");

}  // namespace

TEST_F(SmallDisk, FreeSpaceExactlyEqualToTheFileSizeIsEnough)
{
    int64_t free = getFreeSpace(disk.c_str());
    host.setParameters("name.bin", 1, free);
    EXPECT_FALSE(ReassembleFile(host));
    // The check passed: the run went on to look for the pieces.
    EXPECT_EQ(host.boxes, std::vector<std::string>{MISSING_FIRST});
}

TEST_F(SmallDisk, OneByteShortNamesTheDriveAndTheSizeWithSeparators)
{
    int64_t free = getFreeSpace(disk.c_str());
    host.setParameters("name.bin", 1, free + 1);
    EXPECT_FALSE(ReassembleFile(host));
    char size[SEPARATED_NUMBER_SIZE];
    FormatWithSeparators(free + 1, size);
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x40, std::string("There is not enough free disk space on drive "
                                                "Z:.\n") + size +
                                        " bytes of disk space are required.")});
    EXPECT_FALSE(FileExists(host.fileToCreate));
}

TEST_F(SmallDisk, FailedWriteToTheOutputIsNotASuccess)
{
    // The disk fills up after the checks, while the first piece is copied.
    const int64_t size = 600000;
    std::string bytes((size_t)size, '\0');
    for (int64_t i = 0; i < size; ++i) bytes[(size_t)i] = (char)PatternByte(i, 1);
    WriteTextFile(pieces + "name.bin.1", bytes);
    host.setParameters("name.bin", 1, size);
    host.onProgress = [&](int percent) {
        if (percent == 0) WriteTextFile(disk + "filler", std::string(600000, 'f'));
    };
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x30, "An error occurred while attempting to write to the output "
                                    "file.")});
    EXPECT_EQ(host.buffersHeld, 0);
}
