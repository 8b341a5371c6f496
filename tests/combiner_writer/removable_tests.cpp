// The program on a removable drive: drive A: is an emulated floppy drive
// whose disks are Linux folders (see scripts/wine-env.sh); inserting a disk
// re-points the drive. Nearly full disks are small tmpfs mounts.
#include <stdlib.h>
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "combiner_writer.h"
#include "file_system.h"
#include "job_flags.h"
#include "message_box.h"
#include "scripted_split_host.h"
#include "small_disk.h"
#include "template_image.h"
#include "test_files.h"

namespace {

const std::vector<std::string> NOT_COMPLETED_END = {"arrow", "controls: idle", "progress: 0",
                                                    "status: "};
const std::string ROOM_QUESTION =
    "Please insert a disk with at least 40,960 bytes of free space in drive A:";

class RemovableDestination : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!getenv("BRINDLE_DRIVES") || GetDriveTypeA("A:\\") != DRIVE_REMOVABLE)
            GTEST_SKIP() << "no emulated floppy drive A:";
        roomy = "/tmp/brindle_roomy_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(WindowsPathOf(roomy).c_str(), NULL);
        host.templatePath = TemplatePath();
        overwriteAll = false;
        cancelRequested = false;
    }
    void TearDown() override
    {
        if (roomy.empty()) return;
        Insert(std::string(getenv("BRINDLE_DRIVES")) + "/empty");
        RemoveTestFolder(WindowsPathOf(roomy) + "\\");
    }

    // A disk with `free` bytes left (a multiple of 4,096); its Linux folder.
    std::string FullDisk(SmallDisk& disk, int64_t free)
    {
        if (!disk.mount(1048576)) return "";
        WriteTextFile(disk.folder() + "marker", "x");
        disk.leaveFree(free);
        return disk.mountPoint();
    }
    void Insert(const std::string& unixFolder)
    {
        EXPECT_TRUE(InsertDiskInDriveA(unixFolder)) << unixFolder << " did not appear in A:";
    }
    std::string roomy;
    ScriptedSplitHost host;
};

std::string Logged(unsigned style, const std::string& text)
{
    return "box " + BoxEntry(style, text);
}

}  // namespace

TEST_F(RemovableDestination, FullLastDiskAsksForTheNextDiskThenForRoom)
{
    SmallDisk last, next;
    std::string lastDisk = FullDisk(last, 28672);
    std::string nextDisk = FullDisk(next, 28672);
    if (lastDisk.empty() || nextDisk.empty()) GTEST_SKIP() << "cannot mount a small tmpfs";
    Insert(lastDisk);
    // OK on the first room question changes nothing; a roomy disk comes for the second.
    host.onEvent = [this, nextDisk, rooms = 0](const std::string& line) mutable {
        if (line == Logged(box::DISK_REQUEST, "Please insert disk 4 in drive A:")) Insert(nextDisk);
        if (line == Logged(box::ROOM_REQUEST, ROOM_QUESTION) && ++rooms == 2) Insert(roomy);
    };
    host.boxAnswers = {box::ANSWER_OK, box::ANSWER_OK, box::ANSWER_OK};
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\data\\r.bin", "A:\\", 3, 2500),
              CombinerWriteResult::Written);
    EXPECT_EQ(host.log, (std::vector<std::string>{
                            Logged(box::DISK_REQUEST, "Please insert disk 4 in drive A:"),
                            Logged(box::ROOM_REQUEST, ROOM_QUESTION),
                            Logged(box::ROOM_REQUEST, ROOM_QUESTION)}));
    EXPECT_TRUE(FileExists(WindowsPathOf(roomy) + "\\Create_r.exe"));
    EXPECT_FALSE(FileExists(last.folder() + "Create_r.exe"));
    EXPECT_FALSE(FileExists(next.folder() + "Create_r.exe"));
}

TEST_F(RemovableDestination, LastDiskWithRoomTakesTheProgramWithoutAQuestion)
{
    SmallDisk last;
    std::string lastDisk = FullDisk(last, 40960);
    if (lastDisk.empty()) GTEST_SKIP() << "cannot mount a small tmpfs";
    Insert(lastDisk);
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\data\\r.bin", "A:\\", 3, 2500),
              CombinerWriteResult::Written);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(LoadParametersOf(last.folder() + "Create_r.exe").pieceCount, "3");
}

TEST_F(RemovableDestination, CancelInTheDiskPromptStopsTheJob)
{
    SmallDisk last;
    std::string lastDisk = FullDisk(last, 28672);
    if (lastDisk.empty()) GTEST_SKIP() << "cannot mount a small tmpfs";
    Insert(lastDisk);
    host.boxAnswers = {box::ANSWER_CANCEL};
    // A lower-case drive letter is still named A:.
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\data\\r.bin", "a:\\", 3, 2500),
              CombinerWriteResult::JobStopped);
    std::vector<std::string> expected = {
        Logged(box::DISK_REQUEST, "Please insert disk 4 in drive A:")};
    expected.insert(expected.end(), NOT_COMPLETED_END.begin(), NOT_COMPLETED_END.end());
    EXPECT_EQ(host.log, expected);
    EXPECT_FALSE(FileExists(last.folder() + "Create_r.exe"));
}

TEST_F(RemovableDestination, CancelInTheRoomQuestionStopsTheJob)
{
    SmallDisk last;
    std::string lastDisk = FullDisk(last, 28672);
    if (lastDisk.empty()) GTEST_SKIP() << "cannot mount a small tmpfs";
    Insert(lastDisk);
    host.boxAnswers = {box::ANSWER_OK, box::ANSWER_CANCEL};
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\data\\r.bin", "A:\\", 3, 2500),
              CombinerWriteResult::JobStopped);
    std::vector<std::string> expected = {
        Logged(box::DISK_REQUEST, "Please insert disk 4 in drive A:"),
        Logged(box::ROOM_REQUEST, ROOM_QUESTION)};
    expected.insert(expected.end(), NOT_COMPLETED_END.begin(), NOT_COMPLETED_END.end());
    EXPECT_EQ(host.log, expected);
}

TEST_F(RemovableDestination, EmptyFileOnAFullDiskAsksForDiskOne)
{
    SmallDisk last;
    std::string lastDisk = FullDisk(last, 28672);
    if (lastDisk.empty()) GTEST_SKIP() << "cannot mount a small tmpfs";
    Insert(lastDisk);
    host.boxAnswers = {box::ANSWER_CANCEL};
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\data\\empty.txt", "A:\\", 0, 0),
              CombinerWriteResult::JobStopped);
    ASSERT_FALSE(host.log.empty());
    EXPECT_EQ(host.log[0], Logged(box::DISK_REQUEST, "Please insert disk 1 in drive A:"));
}
