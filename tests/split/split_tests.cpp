// Split jobs on real files with a scripted dialog; a stand-in writer logs "writer: file folder
// count size crc".
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "combiner_writer.h"
#include "file_system.h"
#include "job_flags.h"
#include "scripted_split_host.h"
#include "small_disk.h"
#include "split_job.h"

typedef std::vector<std::string> Lines;
const int YES = box::ANSWER_YES, NO = box::ANSWER_NO, OK = box::ANSWER_OK;
CombinerWriteResult writerResult;

CombinerWriteResult WriteCombinerProgram(SplitHost& host, const std::string& file,
                                         const std::string& folder, int32_t count, int64_t size,
                                         std::optional<uint32_t> crc)
{
    char numbers[64];
    snprintf(numbers, sizeof numbers, " %d %lld %08x", count, (long long)size, crc.value_or(0));
    static_cast<ScriptedSplitHost&>(host).record("writer: " + file + " " + folder + numbers);
    if (writerResult == CombinerWriteResult::JobStopped) endSplitJob(host, false, "");
    return writerResult;
}

class Splitting : public ::testing::Test {
protected:
    ~Splitting() override { RemoveTestFolder(folder); }
    static std::string Info(const std::string& text) { return BoxEntry(box::INFORMATION, text); }
    static std::string Report(const std::string& file, const std::string& program)
    {
        return Info("'" + file + "' was split successfully.\n\nBrindle has produced a program " +
                    "named '" + program + "' that will recreate the file.");
    }
    static Lines Listing(const std::string& folder)  // "name size", sorted; a folder has size 0
    {
        Lines files;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            files.push_back(entry.path().filename().string() + " " +
                            std::to_string(entry.is_directory() ? 0 : entry.file_size()));
        std::sort(files.begin(), files.end());
        return files;
    }
    std::string Source(const std::string& name, int64_t size)
    {
        WritePatternFile(folder + name, size);
        return folder + name;
    }
    // A fresh job that must show `boxes`, take every scripted answer and end once. Cancel is
    // pressed at the first line of the log that begins with `cancelAt`; `act` runs after each line.
    void Run(const std::string& file, const std::string& pieces, int64_t size, const Lines& boxes,
             std::deque<int> answers = {}, std::deque<int> overwrites = {},
             const std::string& cancelAt = "", std::function<void(const std::string&)> act = {})
    {
        host = ScriptedSplitHost();
        host.fileField = file;
        host.folderField = pieces;
        host.pieceSizeValue = size;
        host.boxAnswers = answers;
        host.overwriteAnswers = overwrites;
        host.onEvent = [&](const std::string& line) {
            if (!cancelAt.empty() && line.rfind(cancelAt, 0) == 0) cancelRequested = true;
            if (act) act(line);
        };
        runSplitJob(host);
        EXPECT_EQ(host.boxes, boxes);
        EXPECT_TRUE(host.boxAnswers.empty() && host.overwriteAnswers.empty())
            << "a question was not asked";
        EXPECT_EQ(Count("arrow"), 1u);
        EXPECT_FALSE(splitInProgress || cancelRequested);
    }
    size_t Count(const std::string& start) const
    {
        return std::count_if(host.log.begin(), host.log.end(),
                             [&](const std::string& line) { return line.rfind(start, 0) == 0; });
    }
    const std::string folder = MakeTestFolder();
    ScriptedSplitHost host;
};

TEST_F(Splitting, PiecesAreSlicesOfTheFileNumberedToTheWidthOfTheCount)
{
    // The CRC-32 from Python's zlib over the same pattern bytes; the last piece: name and size.
    // clang-format off
    const struct { int64_t size, pieceSize; const char *crc, *name, *program, *last; size_t count; }
    cases[] = {
        {1000, 1000, "a1000c4a", "r.doc", "Create_r.exe", "r.doc.1 1000", 1},  // exactly one piece
        // pieces larger than the copy buffer
        {9000000, 5000000, "f6585657", "b.bin", "Create_b.exe", "b.bin.2 4000000", 2},
        {0, 1000, "00000000", "e.bin", "Create_e.exe", "", 0},  // no piece, still the writer
        {10, 1, "1db9ed56", "t.bin", "Create_t.exe", "t.bin.10 1", 10},  // .01 to .10
        {1001, 1000, "1a74be01", "a.tar.gz", "Create_a.tar.exe", "a.tar.gz.2 1", 2},  // one over
    };
    // clang-format on
    for (const auto& c : cases) {
        std::string out = folder + std::to_string(&c - cases) + "\\";
        std::string source = Source(c.name, c.size);
        CreateDirectoryA(out.c_str(), NULL);
        Run(source, out, c.pieceSize, {Report(c.name, c.program)});
        Lines pieces = Listing(out);
        std::vector<unsigned char> joined;  // in the order of their names
        for (const std::string& piece : pieces) {
            std::vector<unsigned char> bytes =
                ReadWholeFile(out + piece.substr(0, piece.find(' ')));
            joined.insert(joined.end(), bytes.begin(), bytes.end());
        }
        EXPECT_TRUE(joined == ReadWholeFile(source)) << c.name;
        EXPECT_EQ(pieces.size(), c.count);
        EXPECT_EQ(pieces.empty() ? "" : pieces.back(), c.last);
        EXPECT_EQ(Count("writer: " + source + " " + out + " " + std::to_string(c.count) + " " +
                        std::to_string(c.size) + " " + c.crc),
                  1u);
    }
    // The last job's whole log: the percentage after each chunk, the report after the writer.
    EXPECT_EQ(host.log, (Lines{"controls: splitting", "status:   0%", "progress: 99",
                               "status:   99%", "progress: 100", "status:   100%",
                               "writer: " + folder + "a.tar.gz " + folder + "4\\ 2 1001 1a74be01",
                               "arrow", "remember", "box " + Report("a.tar.gz", "Create_a.tar.exe"),
                               "controls: idle", "progress: 0", "status: "}));
}

TEST_F(Splitting, RequestIsRefusedOrItsFolderPreparedBeforeAnyPiece)
{
    std::string a = Source("a.bin", 10), missing = folder + "missing.bin";
    MakeSparseFile(folder + "huge", 1000000000);
    MakeSparseFile(folder + "largest", 999999999);
    WritePatternFile(folder + "blocker", 1);  // a file where a folder level should go
    std::string root = std::filesystem::current_path().string().substr(0, 3);
    std::string cut = "C:\\" + std::string(508, 'x') + "\\";  // 511 characters and "\"
    auto ask = [](const std::string& f) {
        return BoxEntry(box::QUESTION, "The folder \"" + f + "\" does not exist.\n" +
                                           "Do you want the folder to be created?");
    };
    auto unable = [&](const std::string& f) {
        return Info("Unable to create the folder\n\"" + f + "\"");
    };
    // A job that passes is cancelled before its first piece.
    // clang-format off
    const struct { std::string file, pieces; int64_t pieceSize; std::deque<int> answers;
                   Lines boxes; } cases[] = {
        {"", "", 1000, {}, {Info("You must specify a file to split.")}},
        {missing, folder, 1000, {}, {Info("Unable to open the file \"" + missing +
                                          "\".\nThe file is in use or it does not exist.")}},
        {a, "", 1000, {}, {Info("You must specify a folder for the pieces.")}},
        {a, folder, 0, {}, {Info("The size of the pieces must be greater than 0.")}},
        {folder + "huge", folder, 1, {},
         {Info("Brindle will only create a maximum of 999,999,999 pieces.\nPlease increase the "
               "size of the pieces to reduce the total number of pieces.")}},
        {folder + "largest", folder, 1, {}, {}},  // the largest count passes
        {a, folder + "new", 5, {YES}, {ask(folder + "new\\")}},
        {a, folder + "blocker\\sub", 5, {YES},
         {ask(folder + "blocker\\sub\\"), unable(folder + "blocker\\sub\\")}},
        // trimmed, under the root of the current folder
        {a, " \t brindle_relative_test \r\n", 5, {NO}, {ask(root + "brindle_relative_test\\")}},
        {a, cut.substr(0, 511) + "more", 5, {YES}, {ask(cut), unable(cut)}},
    };
    // clang-format on
    for (const auto& c : cases)
        Run(c.file, c.pieces, c.pieceSize, c.boxes, c.answers, {}, "status:   0%");
    EXPECT_EQ(Listing(folder),
              (Lines{"a.bin 10", "blocker 1", "huge 1000000000", "largest 999999999", "new 0"}));
    ScriptedSplitHost noBuffer;  // without a copy buffer the job ends before it reads the request
    noBuffer.bufferAvailable = false;
    runSplitJob(noBuffer);
    EXPECT_EQ(noBuffer.boxes, Lines{Info("There is not enough memory to split the file.")});
}

TEST_F(Splitting, PiecesAreKeptWhenTheJobEndsEarlyAndReplacedOnlyAfterYes)
{
    // Old pieces 2 and 3 of 7 bytes are there from the start. `at`: Cancel is pressed at the first
    // line of the log that begins so; or the writer fails; or the file, or old piece 2, is locked;
    // or the file is shortened to 1,500 bytes after it was measured.
    std::string source = folder + "c.bin", out = folder + "out\\", one = "c.bin.1 1000";
    std::string two = "c.bin.2 1000", three = "c.bin.3 1000", old2 = "c.bin.2 7";
    std::string old3 = "c.bin.3 7", empty2 = "c.bin.2 0";
    // clang-format off
    const struct { int64_t size, pieceSize; std::string at; std::deque<int> answers; bool wrote;
                   Lines files, boxes = {}; } cases[] = {
        {3000, 1000, "status:   0%", {}, false, {old2, old3}},  // before the first piece
        {3000, 1000, "overwrite: ", {YES}, false, {one, empty2, old3}},  // after a piece is created
        {9000000, 9000000, "progress: 46", {}, false, {"c.bin.1 4194304", old2, old3}},  // a chunk
        {3000, 1000, "progress: 66", {YES}, false, {one, two, old3}},  // after a piece
        {3000, 1000, "progress: 100", {YES, YES}, false, {one, two, three}},  // the last piece
        {3000, 1000, "writer: ", {YES, YES}, true, {one, two, three}},  // while the writer runs
        {3000, 1000, "template", {YES, YES}, true, {one, two, three}},  // the writer has none
        {3000, 1000, "stopped", {YES, YES}, true, {one, two, three}},  // the writer ends the job
        {3000, 1000, "locked", {}, false, {old2, old3},
         {Info("The file \"" + source + "\"\nis either in use or does not exist.")}},
        {3000, 1000, "shortened", {YES}, false, {one, empty2, old3},
         {Info("An error occurred while reading from the file\n\"" + source + "\"")}},
        {3000, 1000, "", {NO}, false, {one, old2, old3}},  // No ends the job, keeping the file
        {3000, 1000, "", {IDYESTOALL}, true, {one, two, three}, {Report("c.bin", "Create_c.exe")}},
        {3000, 1000, "", {NO}, false, {one, old2, old3}},  // the next job asks again
        {3000, 1000, "piece locked", {}, false, {one, old2, old3},
         {Info("Unable to create the file \"" + out + "c.bin.2\"")}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at + " " + std::to_string(&c - cases));
        RemoveTestFolder(out);
        CreateDirectoryA(out.c_str(), NULL);
        for (const char* n : {"2", "3"}) WritePatternFile(out + "c.bin." + n, 7, 9);
        Source("c.bin", c.size);
        // Open for writing, which the job's opening for reading does not share.
        FILE* lock = c.at == "piece locked" ? fopen((out + "c.bin.2").c_str(), "r+b") : nullptr;
        writerResult = c.at == "template"  ? CombinerWriteResult::TemplateUnavailable
                       : c.at == "stopped" ? CombinerWriteResult::JobStopped
                                           : CombinerWriteResult::Written;
        Run(source, out, c.pieceSize, c.boxes, {}, c.answers, c.at, [&](const std::string& line) {
            if (line == "controls: splitting" && c.at == "shortened")
                WritePatternFile(source, 1500);
            if (line == "controls: splitting" && c.at == "locked")
                lock = fopen(source.c_str(), "r+b");
        });
        if (lock) fclose(lock);
        EXPECT_EQ(Listing(out), c.files);
        EXPECT_EQ(Count("writer: "), c.wrote ? 1u : 0u);
        EXPECT_EQ(Count("overwrite: " + out + "c.bin.2"), c.answers.empty() ? 0u : 1u);
        // Yes to All is still set for the combiner program.
        EXPECT_EQ(overwriteAll, c.answers == std::deque<int>{IDYESTOALL});
    }
}

TEST_F(Splitting, PiecePathLongerThanAPathBufferIsRefusedByItsFullName)
{
    // A folder of 259 characters and a file name of 252 in Z:\tmp\: the piece path has 513.
    std::string file = "Z:\\tmp\\brindle_" + std::to_string(GetCurrentProcessId()) + "_";
    file += std::string(259 - file.size(), 'n');
    std::string pieces = folder + std::string(258 - folder.size(), 'f') + "\\";
    CreateDirectoryA(pieces.c_str(), NULL);
    WritePatternFile(file, 10);
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
    // Room for the piece at its start; the disk fills after its first chunk.
    Run(Source("full.bin", 5000000), disk.folder(), 5000000,
        {Info("An error occurred while writing to the file\n\"" + disk.folder() + "full.bin.1\"")},
        {}, {}, "", [&](const std::string& line) {
            if (line == "progress: 83") disk.leaveFree(0);
        });
}

TEST_F(Splitting, RemovableDriveTakesOneDiskPerPieceInItsRootFolder)
{
    // Drive A: is a floppy drive whose disks are folders under BRINDLE_DRIVES; "small" is a 2 MiB
    // tmpfs. A disk goes in at each disk prompt or room question, in order ("": the disk stays).
    const char* drives = getenv("BRINDLE_DRIVES");
    REQUIRE_PREREQUISITE(drives && GetDriveTypeA("A:\\") == DRIVE_REMOVABLE, "floppy drive A:");
    auto disk = [&](const std::string& name) { return WindowsPathOf(drives) + "\\" + name + "\\"; };
    auto ask = [](char n) {
        return BoxEntry(box::DISK_REQUEST, std::string("Please insert disk ") + n + " in drive A:");
    };
    auto room = [](const std::string& bytes) {
        return BoxEntry(box::ROOM_REQUEST, "Please insert a disk with at least " + bytes +
                                               " bytes of free space in drive A:");
    };
    std::string root = BoxEntry(box::QUESTION,
                                "Brindle can split only to the root folder on removable drives.\n"
                                "The pieces will be created in A:\\.  OK to proceed?");
    std::string report = Report("r.bin", "Create_r.exe");
    // clang-format off
    const struct { std::string folder; int64_t size, pieceSize; std::deque<int> answers;
                   Lines inserted, boxes, files; } cases[] = {
        {"A:\\sub", 2500, 1000, {YES, OK, OK, OK}, {"d1", "d2", "d3"},
         {root, ask('1'), ask('2'), ask('3'), report},
         {"d1/r.bin.1 1000", "d2/r.bin.2 1000", "d3/r.bin.3 500"}},
        {"A:\\Disk1", 10, 5, {NO}, {}, {root}, {}},
        // Cancel keeps the piece written
        {"A:\\", 2500, 1000, {OK, box::ANSWER_CANCEL}, {"d1"}, {ask('1'), ask('2')},
         {"d1/r.bin.1 1000"}},
        // a full disk is asked about until one has room for the piece
        {"A:\\", 5000000, 3000000, {OK, OK, OK, OK}, {"small", "", "big", "small"},
         {ask('1'), room("3,000,000"), room("3,000,000"), ask('2'), report},
         {"big/r.bin.1 3000000", "small/r.bin.2 2000000"}},
        {"A:\\", 10, 10, {OK, OK, box::ANSWER_CANCEL}, {"none"}, {ask('1'), room("10"), room("10")},
         {}},  // no disk: no room
    };
    // clang-format on
    const Lines made = {"big", "d1", "d2", "d3", "small"};  // in the order Listing gives
    for (const auto& c : cases) {
        for (const std::string& name : made) {
            RemoveTestFolder(disk(name));
            CreateDirectoryA(disk(name).c_str(), NULL);
        }
        size_t next = 0;
        Run(Source("r.bin", c.size), c.folder, c.pieceSize, c.boxes, c.answers, {}, "",
            [&](const std::string& line) {
                bool prompt = line.find("Please insert") != std::string::npos;
                std::string name = prompt && next < c.inserted.size() ? c.inserted[next++] : "";
                if (!name.empty() && !InsertDiskInDriveA(drives + ("/" + name)))
                    ADD_FAILURE() << name << " did not go into drive A:";
            });
        Lines files;
        for (const std::string& name : made)
            for (const std::string& file : Listing(disk(name))) files.push_back(name + "/" + file);
        EXPECT_EQ(files, c.files);  // in the root folder, one disk per piece
        EXPECT_EQ(Count("writer: " + folder + "r.bin A:\\ "), c.boxes.back() == report ? 1u : 0u);
    }
    InsertDiskInDriveA(drives + std::string("/empty"));
    for (const std::string& name : made) RemoveTestFolder(disk(name));
}
