#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "combiner_template_resource.h"
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

class CombinerWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTestFolder();
        host.templatePath = TemplatePath();
        overwriteAll = false;
        cancelRequested = false;
    }
    void TearDown() override { RemoveTestFolder(folder); }

    CombinerWriteResult Write(const std::string& source, int32_t count, int64_t size)
    {
        return WriteCombinerProgram(host, source, folder, count, size);
    }

    std::string folder;
    ScriptedSplitHost host;
};

}  // namespace

TEST_F(CombinerWriter, WritesThePatchedTemplateBesideThePieces)
{
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\data\\report.final.doc", folder, 3, 4000000,
                                   0x89ABCDEFu),
              CombinerWriteResult::Written);
    std::string program = folder + "Create_report.final.exe";
    EXPECT_EQ(ReadWholeFile(program),
              PatchedTemplateImage("report.final.doc", 3, 4000000, 0x89ABCDEFu));
    LoadedParameters loaded = LoadParametersOf(program);
    EXPECT_EQ(loaded.fileName, "report.final.doc");
    EXPECT_EQ(loaded.pieceCount, "3");
    EXPECT_EQ(loaded.fileSize, "4000000");
    EXPECT_EQ(loaded.checksum, "89ABCDEF");
    EXPECT_TRUE(host.log.empty());
}

TEST_F(CombinerWriter, NameWithOnlyALeadingDotGivesCreateDotExe)
{
    EXPECT_EQ(Write("C:\\home\\.profile", 1, 10), CombinerWriteResult::Written);
    EXPECT_EQ(LoadParametersOf(folder + "Create_.exe").fileName, ".profile");
}

TEST_F(CombinerWriter, TwoSplitsInOneRunCarryTheirOwnValues)
{
    ASSERT_EQ(Write("C:\\x\\first_long_name.bin", 120, 999999), CombinerWriteResult::Written);
    ASSERT_EQ(Write("C:\\x\\b.c", 2, 7), CombinerWriteResult::Written);
    LoadedParameters second = LoadParametersOf(folder + "Create_b.exe");
    EXPECT_EQ(second.fileName, "b.c");
    EXPECT_EQ(second.pieceCount, "2");
    EXPECT_EQ(second.fileSize, "7");
    EXPECT_EQ(ReadWholeFile(folder + "Create_b.exe"), PatchedTemplateImage("b.c", 2, 7));
}

TEST_F(CombinerWriter, MissingTemplateShowsNothing)
{
    host.templatePath.clear();
    EXPECT_EQ(Write("C:\\x\\a.txt", 2, 1500), CombinerWriteResult::TemplateUnavailable);
    EXPECT_TRUE(host.log.empty());
    EXPECT_FALSE(FileExists(folder + "Create_a.exe"));
}

TEST_F(CombinerWriter, TemplateWithoutItsPlaceholdersCountsAsUnavailable)
{
    std::vector<unsigned char> broken = TemplateImage();
    broken[SlotsOf(broken).pieceCount] = '9';
    std::string brokenPath = folder + "broken.exe";
    WriteTextFile(brokenPath, std::string(broken.begin(), broken.end()));
    host.templatePath = brokenPath;
    EXPECT_EQ(Write("C:\\x\\a.txt", 2, 1500), CombinerWriteResult::TemplateUnavailable);
    EXPECT_TRUE(host.log.empty());
    EXPECT_FALSE(FileExists(folder + "Create_a.exe"));
}

TEST_F(CombinerWriter, ExistingProgramAnsweredNoStopsTheJob)
{
    WriteTextFile(folder + "Create_a.exe", "older program");
    host.overwriteAnswers = {box::ANSWER_NO};
    EXPECT_EQ(Write("C:\\x\\a.txt", 2, 1500), CombinerWriteResult::JobStopped);
    std::vector<std::string> expected = {"overwrite: " + folder + "Create_a.exe"};
    expected.insert(expected.end(), NOT_COMPLETED_END.begin(), NOT_COMPLETED_END.end());
    EXPECT_EQ(host.log, expected);
    std::vector<unsigned char> kept = ReadWholeFile(folder + "Create_a.exe");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "older program");
}

TEST_F(CombinerWriter, ExistingProgramAnsweredYesIsReplaced)
{
    WriteTextFile(folder + "Create_a.exe", "older program");
    host.overwriteAnswers = {box::ANSWER_YES};
    EXPECT_EQ(Write("C:\\x\\a.txt", 2, 1500), CombinerWriteResult::Written);
    EXPECT_EQ(ReadWholeFile(folder + "Create_a.exe"), PatchedTemplateImage("a.txt", 2, 1500));
    EXPECT_FALSE(overwriteAll);
}

TEST_F(CombinerWriter, YesToAllEarlierInTheJobReplacesWithoutAQuestion)
{
    WriteTextFile(folder + "Create_a.exe", "older program");
    overwriteAll = true;
    EXPECT_EQ(Write("C:\\x\\a.txt", 2, 1500), CombinerWriteResult::Written);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(ReadWholeFile(folder + "Create_a.exe"), PatchedTemplateImage("a.txt", 2, 1500));
}

TEST_F(CombinerWriter, YesToAllIsRememberedForTheJob)
{
    WriteTextFile(folder + "Create_a.exe", "older program");
    host.overwriteAnswers = {IDYESTOALL};
    EXPECT_EQ(Write("C:\\x\\a.txt", 2, 1500), CombinerWriteResult::Written);
    EXPECT_TRUE(overwriteAll);
}

TEST_F(CombinerWriter, ProgramThatCannotBeCreatedIsNotASuccess)
{
    // A folder of the program's name: fopen cannot create the file.
    CreateDirectoryA((folder + "Create_a.exe").c_str(), NULL);
    EXPECT_EQ(Write("C:\\x\\a.txt", 2, 1500), CombinerWriteResult::JobStopped);
    std::vector<std::string> expected = {
        "box " + BoxEntry(box::INFORMATION,
                          "Unable to create the file \"" + folder + "Create_a.exe\"")};
    expected.insert(expected.end(), NOT_COMPLETED_END.begin(), NOT_COMPLETED_END.end());
    EXPECT_EQ(host.log, expected);
}

TEST(CombinerTemplateResource, IsTheBuiltCombiner)
{
    std::vector<unsigned char> embedded;
    ASSERT_TRUE(LoadCombinerTemplateResource(embedded));
    EXPECT_EQ(embedded, TemplateImage());
}

TEST_F(CombinerWriter, FixedDriveWithLessThan40960BytesFreeStopsTheJob)
{
    SmallDisk disk;
    if (!disk.mount(1048576)) GTEST_SKIP() << "cannot mount a small tmpfs (not root?)";
    disk.leaveFree(36864);
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\x\\a.txt", disk.folder(), 2, 1500),
              CombinerWriteResult::JobStopped);
    std::vector<std::string> expected = {
        "box " + BoxEntry(box::INFORMATION,
                          "There is not enough free space on drive Z: to complete the operation.")};
    expected.insert(expected.end(), NOT_COMPLETED_END.begin(), NOT_COMPLETED_END.end());
    EXPECT_EQ(host.log, expected);
    EXPECT_FALSE(FileExists(disk.folder() + "Create_a.exe"));
}

TEST_F(CombinerWriter, FixedDriveWithExactly40960BytesFreeTakesTheProgram)
{
    SmallDisk disk;
    if (!disk.mount(1048576)) GTEST_SKIP() << "cannot mount a small tmpfs (not root?)";
    disk.leaveFree(40960);
    ASSERT_EQ(getFreeSpace(disk.folder().c_str()), 40960);
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\x\\a.txt", disk.folder(), 2, 1500),
              CombinerWriteResult::Written);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(ReadWholeFile(disk.folder() + "Create_a.exe"), PatchedTemplateImage("a.txt", 2, 1500));
}
