#include "split_fixture.h"

#include <algorithm>

#include "job_flags.h"
#include "split_job.h"
#include "test_files.h"

void SplitRun::SetUp()
{
    folder = MakeTestFolder();
    fakeCombinerWriter = FakeCombinerWriter();
    cancelRequested = false;
    splitInProgress = false;
    overwriteAll = false;
    pauseRequested = false;
}

void SplitRun::TearDown()
{
    RemoveTestFolder(folder);
}

std::string SplitRun::MakeSource(const std::string& name, int64_t size)
{
    std::string path = folder + name;
    WritePatternFile(path, size);
    return path;
}

void SplitRun::Split(const std::string& file, const std::string& piecesFolder, int64_t pieceSize)
{
    host.fileField = file;
    host.folderField = piecesFolder;
    host.pieceSizeValue = pieceSize;
    runSplitJob(host);
}

void SplitRun::ExpectEndedWithoutReport()
{
    ASSERT_GE(host.log.size(), 4u);
    std::vector<std::string> tail(host.log.end() - 4, host.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"arrow", "controls: idle", "progress: 0", "status: "}));
    EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "remember"), 0);
    EXPECT_FALSE(splitInProgress);
    EXPECT_FALSE(cancelRequested);
}

void SplitRun::ExpectEndedWithReport(const std::string& report)
{
    ASSERT_GE(host.log.size(), 6u);
    std::vector<std::string> tail(host.log.end() - 6, host.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"arrow", "remember", "box " + Info(report),
                                              "controls: idle", "progress: 0", "status: "}));
    EXPECT_FALSE(splitInProgress);
    EXPECT_FALSE(cancelRequested);
}

std::string Info(const std::string& text)
{
    return BoxEntry(box::INFORMATION, text);
}

std::string Question(const std::string& text)
{
    return BoxEntry(box::QUESTION, text);
}
