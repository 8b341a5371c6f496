// The free-space check and a full disk, on a small tmpfs of the test's own.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_system.h"
#include "path_text.h"
#include "reassembly.h"
#include "scripted_reassembly_host.h"
#include "small_disk.h"
#include "test_files.h"

namespace {

class OutputDisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!disk.mount(1048576)) GTEST_SKIP() << "cannot mount a small tmpfs (not root?)";
        pieces = MakeTestFolder();
        host.piecesFolder = pieces;
        host.fileToCreate = disk.folder() + "name.bin";
    }
    void TearDown() override
    {
        if (!pieces.empty()) RemoveTestFolder(pieces);
    }

    SmallDisk disk;
    std::string pieces;
    ScriptedReassemblyHost host;
};

const std::string MISSING_FIRST =
    BoxText(0x40, "The file 'name.bin.1' could not be found.  This file is required to create "
                  "'name.bin'.");

}  // namespace

TEST_F(OutputDisk, FreeSpaceExactlyEqualToTheFileSizeIsEnough)
{
    int64_t free = getFreeSpace(disk.folder().c_str());
    host.setParameters("name.bin", 1, free);
    EXPECT_FALSE(ReassembleFile(host));
    // The check passed: the run went on to look for the pieces.
    EXPECT_EQ(host.boxes, std::vector<std::string>{MISSING_FIRST});
}

TEST_F(OutputDisk, OneByteShortNamesTheDriveAndTheSizeWithSeparators)
{
    int64_t free = getFreeSpace(disk.folder().c_str());
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

TEST_F(OutputDisk, FailedWriteToTheOutputIsNotASuccess)
{
    // The disk fills up after the checks, while the first piece is copied.
    const int64_t size = 600000;
    std::string bytes((size_t)size, '\0');
    for (int64_t i = 0; i < size; ++i) bytes[(size_t)i] = (char)PatternByte(i, 1);
    WriteTextFile(pieces + "name.bin.1", bytes);
    host.setParameters("name.bin", 1, size);
    host.onProgress = [&](int percent) {
        if (percent == 0) disk.leaveFree(400000);
    };
    EXPECT_FALSE(ReassembleFile(host));
    EXPECT_EQ(host.boxes, std::vector<std::string>{BoxText(
                              0x30, "An error occurred while attempting to write to the output "
                                    "file.")});
    EXPECT_EQ(host.buffersHeld, 0);
}
