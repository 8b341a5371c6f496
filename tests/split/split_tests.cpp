// Split jobs on real files with a scripted dialog and a stand-in combiner writer.
#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "combiner_writer.h"
#include "file_system.h"
#include "job_flags.h"
#include "scripted_split_host.h"
#include "split_job.h"

typedef std::vector<std::string> Lines;
const int YES = box::ANSWER_YES, NO = box::ANSWER_NO, OK = box::ANSWER_OK;

// What the job handed to the writer beside what it shows: the pieces' CRCs, the last disk.
std::vector<unsigned char> writtenList;
int32_t writtenLastDisk = 0;

// Shown among the boxes as "writer: file folder count size crc".
CombinerWriteResult WriteCombinerProgram(CombinerWriterHost& host, const std::string& file,
                                         const std::string& folder, int32_t count, int64_t size,
                                         std::optional<uint32_t> crc,
                                         const std::vector<unsigned char>& pieceChecksums,
                                         int32_t lastDisk)
{
    writtenList = pieceChecksums;
    writtenLastDisk = lastDisk;
    char line[1200];
    snprintf(line, sizeof line, "writer: %s %s %d %lld %08x", file.c_str(), folder.c_str(), count,
             (long long)size, crc.value_or(0));
    static_cast<ScriptedSplitHost&>(host).record(line);
    static_cast<ScriptedSplitHost&>(host).boxes.push_back(line);
    return CombinerWriteResult::Written;
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
    static Lines Listing(const std::string& folder)  // "path size" of the files below, sorted
    {
        Lines files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path().string().substr(folder.size()) + " " +
                                std::to_string(entry.file_size()));
        std::sort(files.begin(), files.end());
        return files;
    }
    // A fresh job that must show `boxes` and end once; Cancel at the log line from `cancelAt`.
    void Run(const std::string& file, const std::string& pieces, int64_t size, const Lines& boxes,
             std::deque<int> answers = {}, std::deque<int> overwrites = {},
             const std::string& cancelAt = "", std::function<void(const std::string&)> act = {})
    {
        host = ScriptedSplitHost();
        host.fileField = file;
        host.folderField = pieces;
        host.pieceSizeValue = size;
        host.recoveryPiece = recovery;
        host.largestBuffer = largestBuffer;
        host.boxAnswers = answers;
        host.overwriteAnswers = overwrites;
        host.onEvent = [&](const std::string& line) {
            if (!cancelAt.empty() && line.rfind(cancelAt, 0) == 0) cancelRequested = true;
            if (act) act(line);
        };
        runSplitJob(host);
        EXPECT_EQ(host.boxes, boxes);
        EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "arrow"), 1);
        EXPECT_FALSE(splitInProgress || cancelRequested);
    }
    const std::string folder = MakeTestFolder();
    ScriptedSplitHost host;
    bool recovery = false;  // "Add a recovery piece"
    size_t largestBuffer = SIZE_MAX;
};

const std::string RECOVERY_NOTE =
    "\n\nThe recovery piece 'r.bin.recovery' can stand in for any one "
    "piece that is lost or damaged.";

TEST_F(Splitting, PiecesAreSlicesOfTheFileNumberedToTheWidthOfTheCount)
{
    // The writer gets the count, size and CRC-32 (from Python's zlib over the same pattern bytes).
    // clang-format off
    const struct { int64_t size, pieceSize; const char *writer, *name, *program; } cases[] = {
        {9000000, 5000000, "2 9000000 f6585657", "b.bin", "Create_b.exe"},  // beyond the buffer
        {0, 1000, "0 0 00000000", "e.bin", "Create_e.exe"},  // no piece, still the writer
        {10, 1, "10 10 1db9ed56", "t.bin", "Create_t.exe"},  // .01 to .10
        {1001, 1000, "2 1001 1a74be01", "a.tar.gz", "Create_a.tar.exe"},  // one byte over
    };
    // clang-format on
    for (const auto& c : cases) {
        std::string out = folder + std::to_string(&c - cases) + "\\", source = folder + c.name;
        WritePatternFile(source, c.size);
        CreateDirectoryA(out.c_str(), NULL);
        Run(source, out, c.pieceSize,
            {"writer: " + source + " " + out + " " + c.writer, Report(c.name, c.program)});
        std::string joined;  // in the order of their names
        for (const std::string& piece : Listing(out))
            joined += ReadTextFile(out + piece.substr(0, piece.find(' ')));
        EXPECT_TRUE(joined == ReadTextFile(source)) << c.name;
    }
    EXPECT_EQ(host.log, (Lines{"controls: splitting", "status:   0%", "progress: 99",
                               "status:   99%", "progress: 100", "status:   100%",
                               "writer: " + folder + "a.tar.gz " + folder + "3\\ 2 1001 1a74be01",
                               "arrow", "remember", "box " + Report("a.tar.gz", "Create_a.tar.exe"),
                               "controls: idle", "progress: 0", "status: "}));
}

TEST_F(Splitting, RequestIsRefusedOrItsFolderPreparedBeforeAnyPiece)
{
    std::string a = folder + "a.bin", missing = folder + "missing.bin";
    WritePatternFile(a, 10);
    MakeSparseFile(folder + "huge", 1000000000);
    std::string cut = "C:\\" + std::string(508, 'x') + "\\";  // 511 characters and "\"
    auto ask = [](const std::string& f) {
        return BoxEntry(box::QUESTION, "The folder \"" + f + "\" does not exist.\n" +
                                           "Do you want the folder to be created?");
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
        {a, folder + "new", 5, {YES}, {ask(folder + "new\\")}},
        {a, " \t" + folder + "no \r\n", 5, {NO}, {ask(folder + "no\\")}},  // trimmed
        {a, cut.substr(0, 511) + "more", 5, {YES},
         {ask(cut), Info("Unable to create the folder\n\"" + cut + "\"")}},
    };
    // clang-format on
    for (const auto& c : cases)
        Run(c.file, c.pieces, c.pieceSize, c.boxes, c.answers, {}, "status:   0%");
    EXPECT_TRUE(isFolder((folder + "new").c_str()));
    ScriptedSplitHost noBuffer;  // without a copy buffer the job ends before it reads the request
    noBuffer.largestBuffer = 0;
    runSplitJob(noBuffer);
    EXPECT_EQ(noBuffer.boxes, Lines{Info("There is not enough memory to split the file.")});
}

TEST_F(Splitting, PiecesAreKeptWhenTheJobEndsEarlyAndReplacedOnlyAfterYes)
{
    // Old pieces 2 and 3 (7 bytes) are there first. `at`: Cancel at the first log line beginning
    // so; or the file, or old piece 2, is open for writing; or the file is cut to 1,500 bytes.
    std::string source = folder + "c.bin", out = folder + "out\\", one = "c.bin.1 1000";
    std::string two = "c.bin.2 1000", three = "c.bin.3 1000", old2 = "c.bin.2 7";
    std::string old3 = "c.bin.3 7", empty2 = "c.bin.2 0";
    std::string wrote = "writer: " + source + " " + out + " 3 3000 f0fbcfd9";
    // clang-format off
    const struct { int64_t size, pieceSize; std::string at; std::deque<int> answers; Lines files;
                   Lines boxes = {}; } cases[] = {
        {3000, 1000, "status:   0%", {}, {old2, old3}},  // before the first piece
        // after a piece is created, at the question for the old piece by its path
        {3000, 1000, "overwrite: " + out + "c.bin.2", {YES}, {one, empty2, old3}},
        {9000000, 9000000, "progress: 46", {}, {"c.bin.1 4194304", old2, old3}},  // after a chunk
        {3000, 1000, "progress: 66", {YES}, {one, two, old3}},  // after a piece
        {3000, 1000, "progress: 100", {YES, YES}, {one, two, three}},  // after the last piece
        {3000, 1000, "writer: ", {YES, YES}, {one, two, three}, {wrote}},  // while the writer runs
        {3000, 1000, "locked", {}, {old2, old3},
         {Info("The file \"" + source + "\"\nis either in use or does not exist.")}},
        {3000, 1000, "shortened", {YES}, {one, empty2, old3},
         {Info("An error occurred while reading from the file\n\"" + source + "\"")}},
        {3000, 1000, "", {NO}, {one, old2, old3}},  // No ends the job, keeping the file
        // Yes to All replaces the rest, and stays set for the combiner program
        {3000, 1000, "", {IDYESTOALL}, {one, two, three}, {wrote, Report("c.bin", "Create_c.exe")}},
        {3000, 1000, "", {NO}, {one, old2, old3}},  // the next job asks again
        {3000, 1000, "piece locked", {}, {one, old2, old3},
         {Info("Unable to create the file \"" + out + "c.bin.2\"")}},
    };
    // clang-format on
    for (const auto& c : cases) {
        RemoveTestFolder(out);
        CreateDirectoryA(out.c_str(), NULL);
        for (const char* n : {"2", "3"}) WritePatternFile(out + "c.bin." + n, 7, 9);
        WritePatternFile(source, c.size);
        FILE* lock = c.at == "piece locked" ? fopen((out + "c.bin.2").c_str(), "r+b") : nullptr;
        Run(source, out, c.pieceSize, c.boxes, {}, c.answers, c.at, [&](const std::string& line) {
            if (line != "controls: splitting") return;
            if (c.at == "shortened") WritePatternFile(source, 1500);
            if (c.at == "locked") lock = fopen(source.c_str(), "r+b");
        });
        if (lock) fclose(lock);
        EXPECT_EQ(Listing(out), c.files);
        EXPECT_EQ(overwriteAll, c.answers == std::deque<int>{IDYESTOALL});
    }
}

TEST_F(Splitting, PieceTooLongToNameOrNotWrittenWholeEndsTheJob)
{
    // A folder of 259 characters and a file of 252 in Z:\tmp\: a piece path of 513, refused whole.
    std::string file = "Z:\\tmp\\brindle_" + std::to_string(GetCurrentProcessId()) + "_";
    file += std::string(259 - file.size(), 'n');
    std::string pieces = folder + std::string(258 - folder.size(), 'f') + "\\";
    CreateDirectoryA(pieces.c_str(), NULL);
    WritePatternFile(file, 10);
    Run(file, pieces, 10, {Info("Unable to create the file \"" + pieces + &file[7] + ".1\"")});
    DeleteFileA(file.c_str());
    SmallDisk disk;
    REQUIRE_PREREQUISITE(disk.mount(6 * 1048576), "a small tmpfs disk (mounted as root)");
    // Room for the piece at its start; the disk fills after its first chunk.
    WritePatternFile(folder + "full.bin", 5000000);
    Run(folder + "full.bin", disk.folder(), 5000000,
        {Info("An error occurred while writing to the file\n\"" + disk.folder() + "full.bin.1\"")},
        {}, {}, "", [&](const std::string& line) {
            if (line == "progress: 83") disk.leaveFree(0);
        });
}

// r.bin of 1,250 bytes in pieces of 500: r.bin.recovery holds its record (format tag and version,
// count, sizes, CRCs of the file, of the XOR data and of each piece, the name, the record's CRC,
// all from Python's zlib.crc32) and the XOR of the pieces, the last padded with zeros.
TEST_F(Splitting, RecoveryPieceFollowsThePiecesAndItsLimitsAreCheckedBeforeAnyPiece)
{
    recovery = true;
    WritePatternFile(folder + "r.bin", 1250);
    std::string pieces = folder + "pieces\\", bytes = PatternBytes(0, 1250), together(500, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) together[i % 500] ^= bytes[i];
    const std::string list =
        LittleEndian(0x8846B5BF, 4) + LittleEndian(0xF63BD7AC, 4) + LittleEndian(0x445DF236, 4);
    CreateDirectoryA(pieces.c_str(), NULL);
    Run(folder + "r.bin", pieces, 500,
        {"writer: " + folder + "r.bin " + pieces + " 3 1250 59892572",
         Report("r.bin", "Create_r.exe") + RECOVERY_NOTE});
    EXPECT_TRUE(ReadTextFile(pieces + "r.bin.recovery") ==
                "BRNDRCVR" + LittleEndian(1, 4) + LittleEndian(3, 4) + LittleEndian(1250, 8) +
                    LittleEndian(500, 8) + LittleEndian(0x59892572, 4) +
                    LittleEndian(0xA32CE667, 4) + list + LittleEndian(5, 4) + "r.bin" +
                    LittleEndian(0x30F94927, 4) + together);
    EXPECT_TRUE(std::string(writtenList.begin(), writtenList.end()) == list);
    RemoveTestFolder(pieces);
    // One piece shorter than the size chosen: its bytes, then zeros.
    CreateDirectoryA(pieces.c_str(), NULL);
    Run(folder + "r.bin", pieces, 2000,
        {"writer: " + folder + "r.bin " + pieces + " 1 1250 59892572",
         Report("r.bin", "Create_r.exe") + RECOVERY_NOTE});
    std::string single = ReadTextFile(pieces + "r.bin.recovery");
    EXPECT_TRUE(single.size() > 2000 &&
                single.substr(single.size() - 2000) == bytes + std::string(750, '\0'));
    RemoveTestFolder(pieces);
    // Cancelled after the last piece: nothing more is written.
    Run(folder + "r.bin", folder, 500, {}, {}, {}, "status:   100%");
    EXPECT_FALSE(FileExists(folder + "r.bin.recovery"));
    // clang-format off
    const struct { int64_t fileSize, pieceSize; std::string refusal; } limits[] = {
        {10, 268435457, "A recovery piece can be added only to pieces of at most 268,435,456 "
         "bytes.\nPlease choose smaller pieces or clear \"Add a recovery piece\"."},
        {65536, 1, "A recovery piece can be added only to splits of at most 65,535 pieces.\n"
         "Please choose larger pieces or clear \"Add a recovery piece\"."},
        {10000000, 5000000, "There is not enough memory to make the recovery piece."},
    };
    // clang-format on
    largestBuffer = COPY_BUFFER_SIZE;  // the copy buffer, not a piece of 5,000,000 bytes
    for (const auto& c : limits) {
        MakeSparseFile(folder + "big.bin", c.fileSize);
        Run(folder + "big.bin", folder, c.pieceSize, {Info(c.refusal)});
        EXPECT_FALSE(FileExists(folder + "big.bin.1")) << c.refusal;
    }
}

TEST_F(Splitting, RemovableDriveTakesOneDiskPerPieceInItsRootFolder)
{
    // Drive A: is a floppy drive whose disks are Linux folders. At each disk prompt or room
    // question a disk goes in, in order ("": the same; "none": no disk, no room).
    const char* drives = getenv("BRINDLE_DRIVES");
    REQUIRE_PREREQUISITE(drives && GetDriveTypeA("A:\\") == DRIVE_REMOVABLE, "floppy drive A:");
    std::string disks = drives + ("/split_" + std::to_string(GetCurrentProcessId()) + "/");
    auto ask = [](char n) {
        return BoxEntry(box::DISK_REQUEST, std::string("Please insert disk ") + n + " in drive A:");
    };
    std::string room = BoxEntry(box::ROOM_REQUEST,
                                "Please insert a disk with at least 500 bytes "
                                "of free space in drive A:");
    std::string root = BoxEntry(box::QUESTION,
                                "Brindle can split only to the root folder on removable drives.\n"
                                "The pieces will be created in A:\\.  OK to proceed?");
    // clang-format off
    const struct { bool recovery; std::string folder; std::deque<int> answers; Lines inserted, boxes, files; }
    cases[] = {
        {false, "A:\\sub", {YES, OK, OK, OK}, {"d1", "d2", "d3"}, {root, ask('1'), ask('2'), ask('3'),
         "writer: " + folder + "r.bin A:\\ 3 1250 59892572", Report("r.bin", "Create_r.exe")},
         {"d1\\r.bin.1 500", "d2\\r.bin.2 500", "d3\\r.bin.3 250"}},
        {false, "A:\\", {OK, OK, box::ANSWER_CANCEL}, {"none", "", ""}, {ask('1'), room, room}, {}},
        {false, "A:\\", {OK, OK, OK, OK, box::ANSWER_CANCEL}, {"d1", "none", "", "d2", ""},
         {ask('1'), ask('2'), room, room, ask('3')}, {"d1\\r.bin.1 500", "d2\\r.bin.2 500"}},
        // The recovery piece on a disk of its own; the program follows it there.
        {true, "A:\\", {OK, OK, OK, OK}, {"d1", "d2", "d3", "d4"}, {ask('1'), ask('2'), ask('3'),
         ask('4'), "writer: " + folder + "r.bin A:\\ 3 1250 59892572",
         Report("r.bin", "Create_r.exe") + RECOVERY_NOTE}, {"d1\\r.bin.1 500", "d2\\r.bin.2 500",
         "d3\\r.bin.3 250", "d4\\r.bin.recovery 565"}},
    };
    // clang-format on
    WritePatternFile(folder + "r.bin", 1250);
    for (const auto& c : cases) {
        CreateDirectoryA(WindowsPathOf(disks).c_str(), NULL);
        size_t next = 0;
        recovery = c.recovery;
        Run(folder + "r.bin", c.folder, 500, c.boxes, c.answers, {}, "",
            [&](const std::string& line) {
                if (line.find("Please insert") == std::string::npos) return;
                std::string disk = c.inserted.at(next++);
                if (disk != "none") CreateDirectoryA(WindowsPathOf(disks + disk).c_str(), NULL);
                EXPECT_TRUE(disk.empty() || InsertDiskInDriveA(disks + disk)) << disk;
            });
        EXPECT_EQ(Listing(WindowsPathOf(disks)), c.files);  // in the root, one disk per piece
        if (c.recovery) {
            EXPECT_EQ(writtenLastDisk, 4);
        }
        RemoveTestFolder(WindowsPathOf(disks));
    }
    InsertDiskInDriveA(drives + std::string("/empty"));
}
