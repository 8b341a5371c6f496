#include <windows.h>

#include <chrono>
#include <thread>

#include "file_system.h"
#include "job_flags.h"
#include "split_fixture.h"
#include "split_job.h"
#include "test_files.h"

class Cancel : public SplitRun {
protected:
    // Requests a cancel when the job logs `line`, as the Cancel question would.
    void CancelAt(const std::string& line)
    {
        host.onEvent = [line](const std::string& event) {
            if (event == line) cancelRequested = true;
        };
    }
    void ExpectCancelled()
    {
        EXPECT_TRUE(Boxes().empty());
        EXPECT_TRUE(fakeCombinerWriter.calls.empty());
        ExpectEndedWithoutReport();
    }
};

TEST_F(Cancel, BeforeTheFirstPieceWritesNothing)
{
    CancelAt("status:   0%");
    Split(MakeSource("c.bin", 3000), folder, 1000);
    EXPECT_FALSE(FileExists(folder + "c.bin.1"));
    ExpectCancelled();
}

TEST_F(Cancel, AfterAPieceIsCreatedLeavesItEmpty)
{
    // The overwrite question comes right before the piece is created.
    std::string source = MakeSource("c.bin", 3000);
    WritePatternFile(folder + "c.bin.1", 77, 9);
    host.overwriteAnswers = {box::ANSWER_YES};
    CancelAt("overwrite: " + folder + "c.bin.1");
    Split(source, folder, 1000);
    EXPECT_EQ(getFileSize((folder + "c.bin.1").c_str()), 0);
    EXPECT_FALSE(FileExists(folder + "c.bin.2"));
    ExpectCancelled();
}

TEST_F(Cancel, AfterAChunkKeepsThePartlyWrittenPiece)
{
    // One piece of 9,000,000 bytes: the cancel after its first chunk.
    CancelAt("progress: 46");
    Split(MakeSource("c.bin", 9000000), folder, 9000000);
    EXPECT_TRUE(HoldsPattern(folder + "c.bin.1", 0, 4194304));
    ExpectCancelled();
}

TEST_F(Cancel, AfterAPieceKeepsTheWholePieces)
{
    CancelAt("progress: 66");
    Split(MakeSource("c.bin", 3000), folder, 1000);
    EXPECT_TRUE(HoldsPattern(folder + "c.bin.1", 0, 1000));
    EXPECT_TRUE(HoldsPattern(folder + "c.bin.2", 1000, 1000));
    EXPECT_FALSE(FileExists(folder + "c.bin.3"));
    ExpectCancelled();
}

TEST_F(Cancel, AfterTheLastPieceWritesNoCombiner)
{
    CancelAt("progress: 100");
    Split(MakeSource("c.bin", 3000), folder, 1000);
    EXPECT_TRUE(HoldsPattern(folder + "c.bin.3", 2000, 1000));
    ExpectCancelled();
}

TEST_F(Cancel, WhileTheCombinerIsWrittenEndsWithoutReport)
{
    fakeCombinerWriter.whileWriting = [] { cancelRequested = true; };
    Split(MakeSource("c.bin", 3000), folder, 1000);
    EXPECT_EQ(fakeCombinerWriter.calls.size(), 1u);
    EXPECT_TRUE(Boxes().empty());
    ExpectEndedWithoutReport();
}

TEST_F(Cancel, PauseHoldsTheProgressUntilLifted)
{
    // The Cancel question sets the pause; the job must not show progress
    // until it is lifted, and goes on normally when the answer is No.
    std::vector<std::string> seenWhilePaused;
    host.onEvent = [&](const std::string& line) {
        if (pauseRequested) seenWhilePaused.push_back(line);
        if (line == "progress: 33") {
            pauseRequested = true;
            std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                pauseRequested = false;
            }).detach();
        }
    };
    Split(MakeSource("c.bin", 3000), folder, 1000);
    EXPECT_EQ(seenWhilePaused, std::vector<std::string>{"status:   33%"});
    EXPECT_TRUE(HoldsPattern(folder + "c.bin.3", 2000, 1000));
    EXPECT_EQ(fakeCombinerWriter.calls.size(), 1u);
}

class Overwrite : public SplitRun {
protected:
    void SetUp() override
    {
        SplitRun::SetUp();
        source = MakeSource("o.bin", 5000);
        for (int n = 1; n <= 5; ++n) WritePatternFile(folder + "o.bin." + std::to_string(n), 3, 7);
    }
    std::vector<std::string> OverwriteQuestions() const
    {
        std::vector<std::string> asked;
        for (const std::string& line : host.log)
            if (line.rfind("overwrite: ", 0) == 0) asked.push_back(line.substr(11));
        return asked;
    }
    std::string source;
};

TEST_F(Overwrite, NoEndsTheJobAndKeepsTheFile)
{
    host.overwriteAnswers = {box::ANSWER_NO};
    Split(source, folder, 1000);
    EXPECT_EQ(OverwriteQuestions(), std::vector<std::string>{folder + "o.bin.1"});
    EXPECT_TRUE(HoldsPattern(folder + "o.bin.1", 0, 3, 7));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(fakeCombinerWriter.calls.empty());
    ExpectEndedWithoutReport();
}

TEST_F(Overwrite, YesReplacesOnePieceAndAsksAgainForTheNext)
{
    host.overwriteAnswers = {box::ANSWER_YES, box::ANSWER_NO};
    Split(source, folder, 1000);
    EXPECT_EQ(OverwriteQuestions(),
              (std::vector<std::string>{folder + "o.bin.1", folder + "o.bin.2"}));
    EXPECT_TRUE(HoldsPattern(folder + "o.bin.1", 0, 1000));
    EXPECT_TRUE(HoldsPattern(folder + "o.bin.2", 0, 3, 7));
    EXPECT_FALSE(overwriteAll);
}

TEST_F(Overwrite, YesToAllOnPieceTwoCoversTheRestOfTheJobOnly)
{
    host.overwriteAnswers = {box::ANSWER_YES, IDYESTOALL};
    Split(source, folder, 1000);
    EXPECT_EQ(OverwriteQuestions(),
              (std::vector<std::string>{folder + "o.bin.1", folder + "o.bin.2"}));
    for (int n = 1; n <= 5; ++n)
        EXPECT_TRUE(HoldsPattern(folder + "o.bin." + std::to_string(n), (n - 1) * 1000, 1000));
    EXPECT_TRUE(overwriteAll);  // still set for the combiner of this job
    ASSERT_EQ(fakeCombinerWriter.calls.size(), 1u);

    // The next job asks again.
    host.log.clear();
    host.overwriteAnswers = {box::ANSWER_NO};
    Split(source, folder, 1000);
    EXPECT_EQ(OverwriteQuestions(), std::vector<std::string>{folder + "o.bin.1"});
}

TEST_F(Overwrite, LockedPieceIsNotOfferedAndCannotBeCreated)
{
    std::string locked = folder + "o.bin.1";
    HANDLE writer = CreateFileA(locked.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    Split(source, folder, 1000);
    CloseHandle(writer);
    EXPECT_TRUE(OverwriteQuestions().empty());
    EXPECT_EQ(Boxes(), std::vector<std::string>{Info("Unable to create the file \"" + locked + "\"")});
    ExpectEndedWithoutReport();
}
