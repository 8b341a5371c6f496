// Drive A: is an emulated floppy drive (see scripts/wine-env.sh): its disks
// are folders on the Linux side, and inserting a disk re-points the drive.
#include <stdlib.h>
#include <windows.h>

#include "file_system.h"
#include "split_fixture.h"
#include "split_job.h"
#include "test_files.h"

class RemovableDrive : public SplitRun {
protected:
    void SetUp() override
    {
        SplitRun::SetUp();
        const char* drives = getenv("BRINDLE_DRIVES");
        if (!drives || GetDriveTypeA("A:\\") != DRIVE_REMOVABLE)
            GTEST_SKIP() << "no emulated floppy drive A:";
        drivesFolder = drives;
    }
    void TearDown() override
    {
        Insert("empty");
        for (const std::string& disk : made) RemoveTestFolder(WindowsPathOf(disk) + "\\");
        SplitRun::TearDown();
    }
    // A new, empty disk; its Linux path.
    std::string NewDisk(const std::string& name)
    {
        std::string disk = drivesFolder + "/" + name;
        RemoveTestFolder(WindowsPathOf(disk) + "\\");
        CreateDirectoryA(WindowsPathOf(disk).c_str(), NULL);
        made.push_back(disk);
        return disk;
    }
    void Insert(const std::string& name)
    {
        EXPECT_TRUE(InsertDiskInDriveA(drivesFolder + "/" + name))
            << "disk " << name << " did not appear in drive A:";
    }
    // Inserts the named disks, one per "Please insert disk" prompt, in order.
    void InsertOnDiskPrompts(std::vector<std::string> disks)
    {
        host.onEvent = [this, disks](const std::string& line) mutable {
            if (line.rfind("box 0x1: Please insert disk ", 0) == 0 && !disks.empty()) {
                Insert(disks.front());
                disks.erase(disks.begin());
            }
        };
    }
    std::string OnDisk(const std::string& disk, const std::string& name)
    {
        return WindowsPathOf(drivesFolder + "/" + disk + "/" + name);
    }
    std::string drivesFolder;
    std::vector<std::string> made;
};

TEST_F(RemovableDrive, OnlyTheRootFolderOneDiskPerPiece)
{
    NewDisk("disk1");
    NewDisk("disk2");
    NewDisk("disk3");
    std::string source = MakeSource("r.bin", 2500);
    host.boxAnswers = {box::ANSWER_YES, box::ANSWER_OK, box::ANSWER_OK, box::ANSWER_OK};
    InsertOnDiskPrompts({"disk1", "disk2", "disk3"});
    Split(source, "a:\\sub", 1000);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           Question("Brindle can split only to the root folder on removable "
                                    "drives.\nThe pieces will be created in a:\\.  OK to proceed?"),
                           BoxEntry(box::DISK_REQUEST, "Please insert disk 1 in drive A:"),
                           BoxEntry(box::DISK_REQUEST, "Please insert disk 2 in drive A:"),
                           BoxEntry(box::DISK_REQUEST, "Please insert disk 3 in drive A:"),
                           Info("'r.bin' was split successfully.\n\nBrindle has produced a "
                                "program named 'Create_r.exe' that will recreate the file."),
                       }));
    EXPECT_TRUE(HoldsPattern(OnDisk("disk1", "r.bin.1"), 0, 1000));
    EXPECT_TRUE(HoldsPattern(OnDisk("disk2", "r.bin.2"), 1000, 1000));
    EXPECT_TRUE(HoldsPattern(OnDisk("disk3", "r.bin.3"), 2000, 500));
    EXPECT_FALSE(FileExists(OnDisk("disk1", "r.bin.2")));
    EXPECT_FALSE(FileExists(OnDisk("disk1", "sub")));
    ASSERT_EQ(fakeCombinerWriter.calls.size(), 1u);
    EXPECT_EQ(fakeCombinerWriter.calls[0].piecesFolder, "a:\\");
}

TEST_F(RemovableDrive, NoToTheRootFolderQuestionEndsTheJob)
{
    host.boxAnswers = {box::ANSWER_NO};
    Split(MakeSource("r.bin", 10), "A:\\Disk1", 5);
    EXPECT_EQ(Boxes().size(), 1u);
    ExpectEndedWithoutReport();
}

TEST_F(RemovableDrive, CancelInTheDiskPromptKeepsThePiecesWritten)
{
    NewDisk("disk1");
    host.boxAnswers = {box::ANSWER_OK, box::ANSWER_CANCEL};
    InsertOnDiskPrompts({"disk1"});
    Split(MakeSource("r.bin", 2500), "A:\\", 1000);
    EXPECT_EQ(Boxes().back(), BoxEntry(box::DISK_REQUEST, "Please insert disk 2 in drive A:"));
    EXPECT_TRUE(HoldsPattern(OnDisk("disk1", "r.bin.1"), 0, 1000));
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    ExpectEndedWithoutReport();
}

TEST_F(RemovableDrive, FullDiskIsAskedAboutUntilABiggerOneIsInserted)
{
    if (!isFolder(WindowsPathOf(drivesFolder + "/small").c_str()))
        GTEST_SKIP() << "no small tmpfs disk";
    NewDisk("big");
    NewDisk("disk2");
    // Leave about 0.5 MB free on the 2 MiB disk.
    std::string filler = WindowsPathOf(drivesFolder + "/small/filler");
    WritePatternFile(filler, 1600000);
    std::string room = "Please insert a disk with at least 1,457,664 bytes of free space in drive A:";
    int roomQuestions = 0;
    std::vector<std::string> disks = {"small", "disk2"};
    host.onEvent = [&](const std::string& line) {
        if (line.rfind("box 0x1: Please insert disk ", 0) == 0) {
            Insert(disks.front());
            disks.erase(disks.begin());
        }
        if (line == "box " + BoxEntry(box::ROOM_REQUEST, room) && ++roomQuestions == 2)
            Insert("big");  // OK on the first question changes nothing
    };
    host.boxAnswers = {box::ANSWER_OK, box::ANSWER_OK, box::ANSWER_OK, box::ANSWER_OK};
    Split(MakeSource("r.bin", 1500000), "A:\\", FLOPPY_PIECE_SIZE);
    DeleteFileA(filler.c_str());
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           BoxEntry(box::DISK_REQUEST, "Please insert disk 1 in drive A:"),
                           BoxEntry(box::ROOM_REQUEST, room),
                           BoxEntry(box::ROOM_REQUEST, room),
                           BoxEntry(box::DISK_REQUEST, "Please insert disk 2 in drive A:"),
                           Info("'r.bin' was split successfully.\n\nBrindle has produced a "
                                "program named 'Create_r.exe' that will recreate the file."),
                       }));
    EXPECT_TRUE(HoldsPattern(OnDisk("big", "r.bin.1"), 0, FLOPPY_PIECE_SIZE));
    EXPECT_TRUE(HoldsPattern(OnDisk("disk2", "r.bin.2"), FLOPPY_PIECE_SIZE,
                             1500000 - FLOPPY_PIECE_SIZE));
    EXPECT_FALSE(FileExists(OnDisk("small", "r.bin.1")));
    // Chunks of at most 262,144 bytes on a removable drive: 6 for the first
    // piece, 1 for the second, then the reset to 0.
    EXPECT_EQ(host.progress.size(), 8u);
}

TEST_F(RemovableDrive, NoDiskInTheDriveCountsAsNoRoom)
{
    std::string room = "Please insert a disk with at least 10 bytes of free space in drive A:";
    host.boxAnswers = {box::ANSWER_OK, box::ANSWER_OK, box::ANSWER_CANCEL};
    InsertOnDiskPrompts({"no_such_disk"});
    Split(MakeSource("r.bin", 10), "A:\\", 10);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{
                           BoxEntry(box::DISK_REQUEST, "Please insert disk 1 in drive A:"),
                           BoxEntry(box::ROOM_REQUEST, room),
                           BoxEntry(box::ROOM_REQUEST, room),
                       }));
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    ExpectEndedWithoutReport();
}

TEST_F(RemovableDrive, WriteThatFailsOnAFullDiskIsReported)
{
    std::string small = drivesFolder + "/small";
    if (!isFolder(WindowsPathOf(small).c_str())) GTEST_SKIP() << "no small tmpfs disk";
    Insert("small");
    WriteTextFile("A:\\r.bin.1", "old");
    // The disk fills up between the room check and the write.
    std::string filler = WindowsPathOf(small + "/filler");
    host.onEvent = [&](const std::string& line) {
        if (line == "overwrite: A:\\r.bin.1") WritePatternFile(filler, 1900000);
    };
    host.boxAnswers = {box::ANSWER_OK};
    host.overwriteAnswers = {box::ANSWER_YES};
    Split(MakeSource("r.bin", 1000000), "A:\\", 1000000);
    DeleteFileA(filler.c_str());
    DeleteFileA("A:\\r.bin.1");
    EXPECT_EQ(Boxes().back(),
              Info("An error occurred while writing to the file\n\"A:\\r.bin.1\""));
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    ExpectEndedWithoutReport();
}
