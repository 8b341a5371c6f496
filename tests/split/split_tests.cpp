// Split jobs on real files with a scripted dialog; a stand-in writer logs "writer: file folder
// count size crc".
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "combiner_writer.h"
#include "file_system.h"
#include "job_flags.h"
#include "scripted_split_host.h"
#include "small_disk.h"
#include "split_job.h"

typedef std::vector<std::string> Lines;
const int YES = box::ANSWER_YES, NO = box::ANSWER_NO, OK = box::ANSWER_OK,
          CANCEL = box::ANSWER_CANCEL;
CombinerWriteResult writerResult;

std::string Info(const std::string& text)
{
    return BoxEntry(box::INFORMATION, text);
}
std::string Report(const std::string& file, const std::string& program)
{
    return Info("'" + file + "' was split successfully.\n\nBrindle has produced a program named '" +
                program + "' that will recreate the file.");
}
Lines Listing(const std::string& folder)  // "name size", sorted; a folder has size 0
{
    Lines files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().filename().string() + " " +
                        std::to_string(entry.is_directory() ? 0 : entry.file_size()));
    return std::sort(files.begin(), files.end()), files;
}

CombinerWriteResult WriteCombinerProgram(SplitHost& host, const std::string& file,
                                         const std::string& folder, int32_t count, int64_t size,
                                         std::optional<uint32_t> crc)
{
    char numbers[64];
    snprintf(numbers, sizeof numbers, " %d %lld %08x", count, (long long)size, crc.value_or(0));
    static_cast<ScriptedSplitHost&>(host).record("writer: " + file + " " + folder + numbers +
                                                 (crc ? "" : " none"));
    if (writerResult == CombinerWriteResult::JobStopped) endSplitJob(host, false, "");
    return writerResult;
}

class Splitting : public ::testing::Test {
protected:
    void SetUp() override { folder = MakeTestFolder(), Reset(); }
    void TearDown() override { Reset(), overwriteAll = false, RemoveTestFolder(folder); }
    void Reset()
    {
        host = ScriptedSplitHost(), writerResult = CombinerWriteResult::Written,
        cancelRequested = splitInProgress = pauseRequested = false;
    }
    std::string Source(const std::string& name, int64_t size)
    {
        return WritePatternFile(folder + name, size), folder + name;
    }
    // A job that must show `boxes`, answered as scripted, and end once; a success shows the report
    // last.
    void Run(const std::string& file, const std::string& pieces, int64_t size, const Lines& boxes)
    {
        host.fileField = file, host.folderField = pieces, host.pieceSizeValue = size;
        runSplitJob(host);
        EXPECT_EQ(host.boxes, boxes);
        EXPECT_TRUE(host.boxAnswers.empty() && host.overwriteAnswers.empty())
            << "a question was not asked";
        Lines tail = {"arrow", "controls: idle", "progress: 0", "status: "};
        if (!boxes.empty() && boxes.back().find("' was split successfully.") != std::string::npos)
            tail.insert(tail.begin() + 1, {"remember", "box " + boxes.back()});
        EXPECT_EQ(Lines(host.log.end() - std::min(host.log.size(), tail.size()), host.log.end()),
                  tail);
        EXPECT_EQ(Count("arrow"), 1u);
        EXPECT_FALSE(splitInProgress || cancelRequested);
    }
    size_t Count(const std::string& start) const
    {
        return std::count_if(host.log.begin(), host.log.end(),
                             [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    }
    std::string folder;
    ScriptedSplitHost host;
};

TEST_F(Splitting, PiecesAreSlicesOfTheFileNumberedToTheWidthOfTheCount)
{
    // The CRC-32 from Python's zlib over the same pattern bytes; the percentage after each chunk.
    struct Case {
        int64_t size, pieceSize;
        int count;
        const char *number, *crc, *name, *program;
        std::vector<int> progress;
    };
    // clang-format off
    const Case cases[] = {
        {1000, 1000, 1, ".%d", "a1000c4a", "report.doc", "Create_report.exe", {100}},  // exactly one piece
        {1001, 1000, 2, ".%d", "1a74be01", "archive.tar.gz", "Create_archive.tar.exe", {99, 100}},  // one byte over
        {3000, 1000, 3, ".%d", "f0fbcfd9", "data", "Create_data.exe", {33, 66, 100}},  // a multiple: all full
        {10, 3, 4, ".%d", "1db9ed56", "d.bin", "Create_d.exe", {30, 60, 90, 100}},  // the last holds the rest
        {9000000, 5000000, 2, ".%d", "f6585657", "d.bin", "Create_d.exe", {46, 55, 100}},  // pieces larger than the copy buffer
        {2915333, 1457664, 3, ".%d", "1295452b", "d.bin", "Create_d.exe", {49, 99, 100}},  // floppy
        {0, 1000, 0, ".%d", "00000000", "d.bin", "Create_d.exe", {}},  // no piece, still the writer
        {10, 1, 10, ".%02d", "1db9ed56", "d.bin", "Create_d.exe", {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string out = folder + std::to_string(&c - cases) + "\\",
                    source = Source(c.name, c.size);
        Reset(), CreateDirectoryA(out.c_str(), NULL);
        Run(source, out, c.pieceSize, {Report(c.name, c.program)});
        char number[16];
        for (int n = 1; n <= c.count && snprintf(number, sizeof number, c.number, n); ++n)
            EXPECT_TRUE(HoldsPattern(out + c.name + number, (n - 1) * c.pieceSize,
                                     std::min(c.pieceSize, c.size - (n - 1) * c.pieceSize)));
        EXPECT_EQ(Listing(out).size(), (size_t)c.count);
        EXPECT_EQ(std::count(host.log.begin(), host.log.end(),
                             "writer: " + source + " " + out + " " + std::to_string(c.count) + " " +
                                 std::to_string(c.size) + " " + c.crc),
                  1);
        Lines progress = {"status:   0%"}, shown;
        for (int p : c.progress)
            progress.insert(progress.end(), {"progress: " + std::to_string(p),
                                             "status:   " + std::to_string(p) + "%"});
        std::copy_if(host.log.begin(), host.log.end(), std::back_inserter(shown),
                     [](const std::string& l) {
                         return l.rfind("progress: ", 0) == 0 || l.rfind("status: ", 0) == 0;
                     });
        EXPECT_EQ(Lines(shown.begin(), shown.end() - std::min<size_t>(2, shown.size())),
                  progress);  // then the reset
    }
}

TEST_F(Splitting, RequestIsRefusedOrItsFolderPreparedBeforeAnyPiece)
{
    std::string a = Source("a.bin", 10), missing = folder + "missing.bin", huge = folder + "huge";
    MakeSparseFile(huge, 1000000000), MakeSparseFile(folder + "largest", 999999999);
    WritePatternFile(folder + "blocker", 1);  // a file where a folder level should go
    std::string root = std::filesystem::current_path().string().substr(0, 3),
                cut = "C:\\" + std::string(508, 'x') + "\\";  // 511 characters and "\"
    auto ask = [](const std::string& f) {
        return BoxEntry(
            box::QUESTION,
            "The folder \"" + f + "\" does not exist.\nDo you want the folder to be created?");
    };
    auto unable = [](const std::string& f) {
        return Info("Unable to create the folder\n\"" + f + "\"");
    };
    struct Case {
        std::string file, pieces;
        int64_t pieceSize;
        std::deque<int> answers;
        Lines boxes;
        bool buffer = true;
    };
    const Case cases[] = {
        // a job that passes is cancelled before its first piece
        {"", "", 1000, {}, {Info("You must specify a file to split.")}},
        {missing,
         folder,
         1000,
         {},
         {Info("Unable to open the file \"" + missing +
               "\".\nThe file is in use or it does not exist.")}},
        {a, "", 1000, {}, {Info("You must specify a folder for the pieces.")}},
        {a, folder, 0, {}, {Info("The size of the pieces must be greater than 0.")}},
        {a, folder, INT64_MIN, {}, {Info("The size of the pieces must be greater than 0.")}},
        {huge,
         folder,
         1,
         {},
         {Info(
             "Brindle will only create a maximum of 999,999,999 pieces.\nPlease increase the size of the pieces to reduce the total number of pieces.")}},
        {folder + "largest", folder, 1, {}, {}},  // the largest count passes
        {a, folder + "new", 5, {YES}, {ask(folder + "new\\")}},
        {a, folder + "no\\", 5, {NO}, {ask(folder + "no\\")}},
        {a,
         folder + "blocker\\sub",
         5,
         {YES},
         {ask(folder + "blocker\\sub\\"), unable(folder + "blocker\\sub\\")}},
        {a,
         " \t brindle_relative_test \r\n",
         5,
         {NO},
         {ask(root + "brindle_relative_test\\")}},  // trimmed, under the root
        {a, "Q:", 5, {NO}, {ask("Q:\\")}},
        {a, "   ", 5, {}, {}},  // the root folder of the current drive
        {a, cut.substr(0, 511) + "more", 5, {YES}, {ask(cut), unable(cut)}},
        {a,
         folder,
         5,
         {},
         {Info("There is not enough memory to split the file.")},
         false},  // no copy buffer: nothing written
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pieces);
        Reset();
        host.boxAnswers = c.answers, host.bufferAvailable = c.buffer;
        host.onEvent = [](const std::string& line) { cancelRequested = line == "status:   0%"; };
        Run(c.file, c.pieces, c.pieceSize, c.boxes);
    }
    EXPECT_EQ(Listing(folder),
              (Lines{"a.bin 10", "blocker 1", "huge 1000000000", "largest 999999999", "new 0"}));
}

TEST_F(Splitting, PiecesAreKeptWhenTheJobEndsEarlyAndReplacedOnlyAfterYes)
{
    // Old pieces 2 and 3 of 7 bytes are there from the start. `at`: cancelled at the first line of
    // the log that begins so; or the writer fails; or the file is locked, or shortened to 1,500
    // bytes, after it was measured; or old piece 2 is locked.
    std::string source = folder + "c.bin", out = folder + "out\\", one = "c.bin.1 1000",
                two = "c.bin.2 1000", three = "c.bin.3 1000", old2 = "c.bin.2 7",
                old3 = "c.bin.3 7";
    struct Case {
        int64_t size, pieceSize;
        std::string at;
        std::deque<int> answers;
        bool wrote;
        Lines files, boxes = {};
    };
    // clang-format off
    const Case cases[] = {
        {3000, 1000, "status:   0%", {}, false, {old2, old3}},                           // cancel before the first piece
        {3000, 1000, "overwrite: ", {YES}, false, {one, "c.bin.2 0", old3}},              // after a piece is created
        {9000000, 9000000, "progress: 46", {}, false, {"c.bin.1 4194304", old2, old3}},  // after a chunk
        {3000, 1000, "progress: 66", {YES}, false, {one, two, old3}},                     // after a piece
        {3000, 1000, "progress: 100", {YES, YES}, false, {one, two, three}},              // after the last piece
        {3000, 1000, "writer: ", {YES, YES}, true, {one, two, three}},                    // while the combiner is written
        {3000, 1000, "template", {YES, YES}, true, {one, two, three}},                    // the writer has no template
        {3000, 1000, "stopped", {YES, YES}, true, {one, two, three}},                     // the writer ends the job
        {3000, 1000, "locked", {}, false, {old2, old3}, {Info("The file \"" + source + "\"\nis either in use or does not exist.")}},
        {3000, 1000, "shortened", {YES}, false, {one, "c.bin.2 0", old3}, {Info("An error occurred while reading from the file\n\"" + source + "\"")}},
        {3000, 1000, "", {NO}, false, {one, old2, old3}},                                 // No ends the job, keeping the file
        {3000, 1000, "", {YES, NO}, false, {one, two, old3}},                             // Yes replaces one and asks again
        {3000, 1000, "", {IDYESTOALL}, true, {one, two, three}, {Report("c.bin", "Create_c.exe")}},  // Yes to All: the rest
        {3000, 1000, "", {NO}, false, {one, old2, old3}},                                 // the next job asks again
        {3000, 1000, "piece locked", {}, false, {one, old2, old3}, {Info("Unable to create the file \"" + out + "c.bin.2\"")}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at + " " + std::to_string(&c - cases));
        Reset(), RemoveTestFolder(out), CreateDirectoryA(out.c_str(), NULL);
        WritePatternFile(out + "c.bin.2", 7, 9), WritePatternFile(out + "c.bin.3", 7, 9),
            Source("c.bin", c.size);
        host.overwriteAnswers = c.answers;
        FILE* lock = c.at == "piece locked" ? fopen((out + "c.bin.2").c_str(), "r+b")
                                            : nullptr;  // open for writing
        host.onEvent = [&](const std::string& line) {
            if (!c.at.empty() && line.rfind(c.at, 0) == 0) cancelRequested = true;
            if (line == "controls: splitting" && c.at == "shortened")
                WritePatternFile(source, 1500);
            if (line == "controls: splitting" && c.at == "locked")
                lock = fopen(source.c_str(), "r+b");
        };
        writerResult = c.at == "template"  ? CombinerWriteResult::TemplateUnavailable
                       : c.at == "stopped" ? CombinerWriteResult::JobStopped
                                           : writerResult;
        Run(source, out, c.pieceSize, c.boxes);
        if (lock) fclose(lock);
        EXPECT_EQ(Listing(out), c.files);
        EXPECT_EQ(Count("writer: "), c.wrote ? 1u : 0u);
        EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "overwrite: " + out + "c.bin.2"),
                  c.answers.empty() ? 0 : 1);  // asked by its path
        EXPECT_EQ(overwriteAll,
                  c.answers == std::deque<int>{IDYESTOALL});  // and still set for the combiner
    }
}

TEST_F(Splitting, PauseHoldsTheProgressUntilItIsLifted)
{
    // The Cancel question pauses the job after its first chunk; the answer lifts the pause 300 ms
    // later, or as soon as a second line shows while paused. Only that chunk's status text may show
    // meanwhile.
    std::atomic<int> whilePaused(0);
    std::thread question;
    host.onEvent = [&](const std::string& line) {
        whilePaused += pauseRequested ? 1 : 0;
        if (line == "progress: 33")
            pauseRequested = true,
            question = std::thread([&] {
                for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
                     whilePaused < 2 && std::chrono::steady_clock::now() < end;)
                    std::this_thread::yield();
                pauseRequested = false;
            });
    };
    Run(Source("p.bin", 3000), folder, 1000, {Report("p.bin", "Create_p.exe")});
    if (question.joinable()) question.join();
    EXPECT_EQ(whilePaused, 1);
}

TEST_F(Splitting, PiecePathLongerThanAPathBufferIsRefusedByItsFullName)
{
    // A folder of 259 characters and a file name of 252 in Z:\tmp\: the piece path has 513.
    std::string file = "Z:\\tmp\\brindle_" + std::to_string(GetCurrentProcessId()) + "_";
    file += std::string(259 - file.size(), 'n');
    std::string pieces = folder + std::string(258 - folder.size(), 'f') + "\\";
    CreateDirectoryA(pieces.c_str(), NULL), WritePatternFile(file, 10);
    Run(file, pieces, 10,
        {Info("Unable to create the file \"" + pieces + file.substr(7) + ".1\"")});
    DeleteFileA(file.c_str());
}

TEST_F(Splitting, FixedDriveWithoutRoomEndsTheJob)
{
    SmallDisk disk;
    REQUIRE_PREREQUISITE(disk.mount(6 * 1048576), "a small tmpfs disk (mounted as root)");
    // A piece of 4 GiB + 10 bytes from a sparse file: beyond 32 bits, and beyond the disk.
    MakeSparseFile(folder + "sparse.bin", 4294967306LL);
    Run(folder + "sparse.bin", disk.folder(), 4294967306LL,
        {Info("There is not enough free space on drive Z: to complete the operation.")});
    Reset();  // room for the piece at its start; the disk fills after its first chunk
    host.onEvent = [&](const std::string& line) {
        if (line == "progress: 83") disk.leaveFree(0);
    };
    Run(Source("full.bin", 5000000), disk.folder(), 5000000,
        {Info("An error occurred while writing to the file\n\"" + disk.folder() + "full.bin.1\"")});
}

TEST_F(Splitting, RemovableDriveTakesOneDiskPerPieceInItsRootFolder)
{
    // Drive A: is a floppy drive whose disks are folders under BRINDLE_DRIVES; "small" is a 2 MiB
    // tmpfs. A disk goes in at each disk prompt or room question, in order ("": none); the small
    // disk fills up when the log shows `fillAt`.
    const char* drives = getenv("BRINDLE_DRIVES");
    auto disk = [&](const std::string& name) {
        return WindowsPathOf(drives + ("/" + name)) + "\\";
    };
    REQUIRE_PREREQUISITE(drives && GetDriveTypeA("A:\\") == DRIVE_REMOVABLE &&
                             getFreeSpace(disk("small").c_str()) > 0,
                         "floppy drive A: and its small disk");
    auto ask = [](char n) {
        return BoxEntry(box::DISK_REQUEST, std::string("Please insert disk ") + n + " in drive A:");
    };
    auto room = [](const std::string& bytes) {
        return BoxEntry(box::ROOM_REQUEST, "Please insert a disk with at least " + bytes +
                                               " bytes of free space in drive A:");
    };
    std::string root = BoxEntry(
        box::QUESTION,
        "Brindle can split only to the root folder on removable drives.\nThe pieces will be created in A:\\.  OK to proceed?");
    std::string report = Report("r.bin", "Create_r.exe");
    struct Case {
        std::string folder;
        int64_t size, pieceSize;
        std::deque<int> answers;
        Lines inserted;
        std::string fillAt;
        Lines boxes, files;
    };
    // clang-format off
    const Case cases[] = {
        {"A:\\sub", 2500, 1000, {YES, OK, OK, OK}, {"d1", "d2", "d3"}, "", {root, ask('1'), ask('2'), ask('3'), report}, {"d1/r.bin.1 1000", "d2/r.bin.2 1000", "d3/r.bin.3 500"}},
        {"A:\\Disk1", 10, 5, {NO}, {}, "", {root}, {}},
        {"A:\\", 2500, 1000, {OK, CANCEL}, {"d1"}, "", {ask('1'), ask('2')}, {"d1/r.bin.1 1000"}},  // Cancel keeps the piece written
        {"A:\\", 5000000, 3000000, {OK, OK, OK, OK}, {"small", "", "big", "small"}, "", {ask('1'), room("3,000,000"), room("3,000,000"), ask('2'), report},
         {"big/r.bin.1 3000000", "small/r.bin.2 2000000"}},  // a full disk is asked about until one has room for the piece
        {"A:\\", 10, 10, {OK, OK, CANCEL}, {"none"}, "", {ask('1'), room("10"), room("10")}, {}},  // no disk: no room
        {"A:\\", 1000000, 1000000, {OK}, {"small"}, "progress: 26",  // the disk fills after its first chunk, of 262,144 bytes
         {ask('1'), Info("An error occurred while writing to the file\n\"A:\\r.bin.1\"")}, {"small/r.bin.1 262144"}},
    };
    // clang-format on
    const Lines made = {"big", "d1", "d2", "d3", "small"};  // in the order Listing gives
    for (const Case& c : cases) {
        Reset();
        for (const std::string& name : made)
            RemoveTestFolder(disk(name)), CreateDirectoryA(disk(name).c_str(), NULL);
        std::string source = Source("r.bin", c.size);
        size_t next = 0;
        host.onEvent = [&](const std::string& line) {
            std::string name =
                line.find("Please insert") != std::string::npos && next < c.inserted.size()
                    ? c.inserted[next++]
                    : "";
            if (!name.empty() && !InsertDiskInDriveA(drives + ("/" + name)))
                ADD_FAILURE() << name << " did not go into drive A:";
            if (line == c.fillAt) WritePatternFile(disk("small") + "filler", 2097152);
        };
        host.boxAnswers = c.answers;
        Run(source, c.folder, c.pieceSize, c.boxes);
        DeleteFileA((disk("small") + "filler").c_str());
        Lines files;
        for (const std::string& name : made)
            for (const std::string& file : Listing(disk(name))) files.push_back(name + "/" + file);
        EXPECT_EQ(files, c.files);  // in the root folder, one disk per piece
        EXPECT_EQ(Count("writer: " + source + " A:\\ "), c.boxes.back() == report ? 1u : 0u);
    }
    InsertDiskInDriveA(drives + std::string("/empty"));
    for (const std::string& name : made) RemoveTestFolder(disk(name));
}
