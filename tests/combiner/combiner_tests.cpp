// The combiner's side: its parameter texts and the reassembly run on real
// files through a scripted host.
#include <windows.h>

#include <deque>
#include <functional>
#include <map>

#include "parameter_text.h"
#include "reassembly.h"
#include "scripted_split_host.h"
#include "test_files.h"

namespace {

// A ReassemblyHost set up by the test, logging every box ("0x40: text") and progress step.
class ScriptedReassemblyHost : public ReassemblyHost {
public:
    std::string fileToCreate, piecesFolder;
    std::map<int, std::string> strings;  // the string table as the loader finds it
    std::deque<int> answers;             // to the questions, in order
    std::function<void()> onStep;        // before a box is answered and at each progress step
    bool bufferUnavailable = false;
    std::vector<std::string> boxes, progress;

    void readFileToCreate(char* out, size_t size) override { Put(fileToCreate, out, size); }
    void readPiecesFolder(char* out, size_t size) override { Put(piecesFolder, out, size); }
    // As LoadStringA: at most capacity - 1 characters and a zero.
    void loadString(int id, char* out, int capacity) override { Put(strings[id], out, capacity); }
    std::string program;  // a file whose end may hold the list of the pieces' checksums
    bool programPath(char* out, size_t size) override
    {
        return Put(program, out, size), !program.empty();
    }
    int messageBox(const char* text, unsigned style) override
    {
        boxes.push_back(BoxEntry(style, text));
        if (onStep) onStep();
        // IDOK, or for a question (MB_YESNO) the next answer, IDNO when none is left.
        return (style & 0xF) != 4 ? 1 : NextAnswer(answers, 7, text);
    }
    void showProgress(int percent, const char* text) override
    {
        progress.push_back(std::to_string(percent) + ":" + text);
        if (onStep) onStep();
    }
    void pumpMessages() override {}
    void* obtainBuffer(size_t size) override { return bufferUnavailable ? NULL : malloc(size); }
    void releaseBuffer(void* buffer) override { free(buffer); }
    static void Put(const std::string& t, char* out, size_t n) { snprintf(out, n, "%s", t.data()); }
};

}  // namespace

TEST(ParameterText, SlotsAreCutToTheirCapacityAndOnlyEightUpperCaseHexDigitsAreAChecksum)
{
    ScriptedReassemblyHost host;
    char name[FILE_NAME_CAPACITY];
    host.strings[103] = std::string(600, 'n');  // no '*' in it: cut to the buffer
    LoadFileName(host, name);
    EXPECT_EQ(std::string(name), std::string(511, 'n'));
    // The placeholder, a missing entry, anything but 8 upper-case hex digits and '*': no check.
    uint32_t checksum = 0;
    for (const char* text : {"XXXXXXXXX", "", "0a1b2c3d*", "0A1B 2C3*", "0A1B2C3D0"}) {
        host.strings[106] = text;
        EXPECT_FALSE(LoadChecksum(host, checksum)) << text;
    }
}

namespace {

const int YES = 6, NO = 7;

const std::string DONE = BoxEntry(0x40, "The file was created successfully.");

class Reassembly : public ::testing::Test {
protected:
    static std::string Info(const std::string& text) { return BoxEntry(0x40, text); }
    static std::string Error(const std::string& text) { return BoxEntry(0x30, text); }
    void SetUp() override { CreateDirectoryA((folder + "out").c_str(), NULL); }
    void TearDown() override { RemoveTestFolder(folder); }
    // Pattern slices as pieces of name.bin (numbered to the width of their count), and a run
    // making out\name.bin of `size` bytes from them; each slot has an earlier value's tail.
    ScriptedReassemblyHost Host(const std::vector<int64_t>& pieces, int64_t size)
    {
        for (size_t i = 1, offset = 0; i <= pieces.size(); offset += (size_t)pieces[i - 1], ++i) {
            std::string number = std::to_string(i);
            number.insert(0, std::to_string(pieces.size()).size() - number.size(), '0');
            WriteTextFile(folder + "name.bin." + number,
                          PatternBytes((int64_t)offset, pieces[i - 1]));
        }
        ScriptedReassemblyHost run;
        run.piecesFolder = folder;
        run.fileToCreate = folder + "out\\name.bin";
        run.strings = {{103, "name.bin*9*"},
                       {104, std::to_string(pieces.size()) + "*9*"},
                       {105, std::to_string(size) + "*9*"},
                       {106, "XXXXXXXXX"}};
        return run;
    }
    // Checks the boxes, and that the run succeeds exactly when it shows the success box.
    void Run(ScriptedReassemblyHost& run, const std::vector<std::string>& boxes)
    {
        EXPECT_EQ(ReassembleFile(run), !boxes.empty() && boxes.back().rfind(DONE, 0) == 0);
        EXPECT_EQ(run.boxes, boxes);
    }

    const std::string folder = MakeTestFolder(), OUTPUT = "'" + folder + "out\\name.bin'",
                      EXISTS = BoxEntry(0x24, "The file " + OUTPUT +
                                                  " already exists.  Do you want to overwrite it?"),
                      NO_MATCH = "The file " + OUTPUT + " does not match the file that was split: ";
};

}  // namespace

TEST_F(Reassembly, EachCaseShowsItsMessagesAndLeavesTheOutputItShould)
{
    auto folderQuestion = [&](std::string path) {
        return BoxEntry(0x24, "The folder \"" + folder + path +
                                  "\" does not exist.\nDo you want the folder to be created?");
    };
    // The output elsewhere; a piece taken away.
    auto output = [&](std::string path, std::string piece = "") {
        return [=](ScriptedReassemblyHost& r) {
            r.fileToCreate = folder + path;
            if (!piece.empty()) DeleteFileA((folder + piece).c_str());
        };
    };
    auto gone = [&](ScriptedReassemblyHost& r) {
        r.onStep = [&] { DeleteFileA((folder + "name.bin.2").c_str()); };
    };
    // Piece 2 rewritten from the overwrite question on, and the checksum.
    auto replaced = [&](std::string bytes, std::string checksum = "XXXXXXXXX") {
        return [=](ScriptedReassemblyHost& r) {
            r.onStep = [=] { WriteTextFile(folder + "name.bin.2", bytes); };
            r.strings[106] = checksum;
        };
    };
    // Python: zlib.crc32 of the 1,200 pattern bytes is A8E5D180; with byte 600 XOR 0xFF, F3B912ED.
    std::string damaged = PatternBytes(0, 1200);
    damaged[600] ^= 0xFF;
    const std::string DAMAGED_2 = damaged.substr(500, 500);
    WriteTextFile(folder + "file", "");  // where a folder cannot be made
    const std::vector<int64_t> THREE = {10, 10, 10}, SPLIT = {500, 500, 200};
    const std::string KEPT = "kept", NONE = "(none)",
                      CHANGED = "the piece 'name.bin.2' changed size while it was being read.";
    // clang-format off
    const struct {
        std::vector<int64_t> pieces;
        int64_t fileSize;
        std::deque<int> answers;
        std::function<void(ScriptedReassemblyHost&)> arrange;
        std::vector<std::string> boxes;
        std::string content;  // of the output afterwards; out\name.bin holds "kept" before
    } cases[] = {
        // Pieces found by their own name whatever the output is called; No keeps the output.
        {std::vector<int64_t>(12, 10), 120, {}, output("out\\other.bin"), {DONE},
         PatternBytes(0, 120)},
        {THREE, 30, {NO}, {}, {EXISTS}, KEPT},
        // Pieces not cut as a split cuts them are refused before the output is touched.
        {{90, 100, 100, 50}, 350, {}, {}, {Info("The pieces hold 340 bytes in all, but 350 bytes "
         "are required to create 'name.bin'.  The file 'name.bin.1' does not have the expected "
         "size.")}, KEPT},
        {{100, 100, 60}, 250, {}, {}, {Info("The pieces hold 260 bytes in all, but 250 bytes are "
         "required to create 'name.bin'.  The file 'name.bin.3' does not have the expected "
         "size.")}, KEPT},
        {{500, 499, 201}, 1200, {}, {}, {Info("The file 'name.bin.2' does not have the expected "
         "size.  This file is required to create 'name.bin'.")}, KEPT},
        // A missing output folder is made only after Yes, and stays when the last piece is missing.
        {THREE, 30, {NO}, output("new\\name.bin"), {folderQuestion("new\\")}, NONE},
        {THREE, 30, {YES}, output("new2\\deeper\\name.bin", "name.bin.3"),
         {folderQuestion("new2\\deeper\\"), Info("The file 'name.bin.3' could not be found.  This "
         "file is required to create 'name.bin'.")}, NONE},
        {THREE, 30, {YES}, output("file\\sub\\name.bin"), {folderQuestion("file\\sub\\"),
         Info("Unable to create the folder\n\"" + folder + "file\\sub\\\"")}, NONE},
        // The output cannot be created (a folder is in its place); the buffer cannot be had.
        {THREE, 30, {}, output("out"),
         {Error("An error occurred while attempting to create the output file.")}, ""},
        {THREE, 30, {YES}, [](ScriptedReassemblyHost& r) { r.bufferUnavailable = true; },
         {EXISTS, Error("There is not enough memory to create the output file.")}, KEPT},
        // A piece gone after the checks (at the question): what was copied before it stays.
        {THREE, 30, {YES}, gone, {EXISTS, Error("An error occurred while attempting to read from "
         "the file '" + folder + "name.bin.2'.")}, PatternBytes(0, 10)},
        // A piece grown or shrunk after the check: nothing of it is copied.
        {SPLIT, 1200, {YES}, replaced(PatternBytes(500, 505)), {EXISTS, Error(NO_MATCH + CHANGED)},
         PatternBytes(0, 500)},
        {SPLIT, 1200, {YES}, replaced(PatternBytes(500, 499)), {EXISTS, Error(NO_MATCH + CHANGED)},
         PatternBytes(0, 500)},
        // One byte changed: a checksum fails, the output stays; without one nothing is checked.
        {SPLIT, 1200, {YES}, replaced(DAMAGED_2, "A8E5D180*"), {EXISTS, Error(NO_MATCH + "the "
         "content differs.  Expected checksum A8E5D180, found F3B912ED.")}, damaged},
        {SPLIT, 1200, {YES}, replaced(DAMAGED_2), {EXISTS, DONE}, damaged},
        {{}, 0, {YES}, {}, {EXISTS, DONE}, ""},  // an empty file, from no piece, replaces it all
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        WriteTextFile(folder + "out\\name.bin", KEPT);
        ScriptedReassemblyHost run = Host(c.pieces, c.fileSize);
        run.answers = c.answers;
        if (c.arrange) c.arrange(run);
        Run(run, c.boxes);
        EXPECT_EQ(FileExists(run.fileToCreate) ? ReadTextFile(run.fileToCreate) : NONE, c.content);
    }
    EXPECT_FALSE(FileExists(folder + "new"));
    EXPECT_TRUE(FileExists(folder + "new2\\deeper\\"));
}

// The disk holds exactly the file (a multiple of the page size, as tmpfs counts): enough. Pieces
// are copied in blocks of 4,194,304 bytes, and each piece ends with its own remainder.
TEST_F(Reassembly, OnADiskWithExactlyTheRoomBlockByBlockAndAFullDiskIsNoSuccess)
{
    SmallDisk disk;
    REQUIRE_PREREQUISITE(disk.mount(10002432), "a small tmpfs disk (needs root)");
    ULARGE_INTEGER free;
    ASSERT_TRUE(GetDiskFreeSpaceExA(disk.folder().c_str(), &free, NULL, NULL) &&
                free.QuadPart == 10002432);
    const std::vector<int64_t> PIECES = {9000000, 1002432};
    ScriptedReassemblyHost run = Host(PIECES, 10002433);
    run.fileToCreate = disk.folder() + "name.bin";
    Run(run, {Info("There is not enough free disk space on drive Z:.\n10,002,433 bytes of disk "
                   "space are required.")});
    run = Host(PIECES, 10002432);
    run.fileToCreate = disk.folder() + "name.bin";
    run.piecesFolder.pop_back();  // named without its backslash
    Run(run, {DONE});
    EXPECT_EQ(run.progress, (std::vector<std::string>{"0:  0%", "41:  41%", "83:  83%", "89:  89%",
                                                      "100:  100%"}));
    EXPECT_TRUE(ReadTextFile(run.fileToCreate) == PatternBytes(0, 10002432));
    DeleteFileA(run.fileToCreate.c_str());
    run = Host(PIECES, 10002432);  // now the disk fills up while the first block is written
    run.fileToCreate = disk.folder() + "name.bin";
    run.onStep = [&] { disk.leaveFree(262144); };
    Run(run, {Error("An error occurred while attempting to write to the output file.")});
}

// name.bin of 1,200 bytes in pieces of 500, 500 and 200. From Python's zlib.crc32: the pieces'
// CRCs, that of their list, of the XOR data and of the recovery record; piece 2 damaged at its
// byte 100: 2885CD66.
TEST_F(Reassembly, EachPieceIsCheckedAndOneBadPieceIsRebuiltFromTheRecoveryPiece)
{
    const std::string list = LittleEndian(0x8846B5BF, 4) + LittleEndian(0xF63BD7AC, 4) +
                             LittleEndian(0x2F45A491, 4),
                      file = PatternBytes(0, 1200), program = folder + "Create_name.exe";
    WriteTextFile(program, "a program" + list + LittleEndian(3, 4) + LittleEndian(0xDA476F74, 4) +
                               "BRNDSUMS");
    std::string together(500, '\0');
    for (size_t i = 0; i < file.size(); ++i) together[i % 500] ^= file[i];
    const std::string record = "BRNDRCVR" + LittleEndian(1, 4) + LittleEndian(3, 4) +
                               LittleEndian(1200, 8) + LittleEndian(500, 8) +
                               LittleEndian(0xA8E5D180, 4) + LittleEndian(0x1B13DB1F, 4) + list +
                               LittleEndian(8, 4) + "name.bin" + LittleEndian(0x7E637F15, 4);
    std::string damagedFile = file, damagedRecord = record;
    damagedFile[600] ^= 0xFF;
    damagedRecord[44] ^= 0x01;  // piece 2's CRC, guarded by the record's own CRC alone
    auto piece = [&](int n) { return folder + "name.bin." + std::to_string(n); };
    auto damage = [&](int n) {  // byte 100 of the piece
        std::string bytes = file.substr(500 * (n - 1), 500);
        bytes[100] ^= 0xFF;
        WriteTextFile(piece(n), bytes);
    };
    auto without = [&](int n) {
        return [&, n](ScriptedReassemblyHost&) { DeleteFileA(piece(n).c_str()); };
    };
    auto bad = [](const std::string& names) {
        return "The files " + names +
               " are missing or damaged, and the recovery piece can rebuild only one of them.";
    };
    const std::string DAMAGED_2 =
                          "The file 'name.bin.2' is damaged: its checksum is 2885CD66, but "
                          "it was F63BD7AC when the file was split.  This file is "
                          "required to create 'name.bin'.",
                      MISSING_2 =
                          "The file 'name.bin.2' could not be found.  This file is "
                          "required to create 'name.bin'.",
                      UNUSABLE =
                          "  The recovery piece 'name.bin.recovery' cannot be used: it is "
                          "damaged or belongs to another split.",
                      REBUILT = DONE +
                                "\n\nThe file 'name.bin.2' was missing or damaged and has "
                                "been rebuilt from 'name.bin.recovery'.";
    HANDLE locked = INVALID_HANDLE_VALUE;
    // clang-format off
    const struct {
        std::string recovery;  // "": none
        std::function<void(ScriptedReassemblyHost&)> arrange;
        std::vector<std::string> boxes;
        std::string content;
    } cases[] = {
        // Without a recovery piece the damaged piece is named right after its copy.
        {"", [&](ScriptedReassemblyHost&) { damage(2); }, {EXISTS, Error(DAMAGED_2)}, damagedFile.substr(0, 1000)},
        // One bad piece, whatever is wrong with it, is rebuilt: missing, locked, cut, damaged.
        {record + together, without(2), {EXISTS, REBUILT}, file},
        {record + together, [&](ScriptedReassemblyHost&) { locked = CreateFileA(piece(2).c_str(), GENERIC_WRITE, 0, NULL,
         OPEN_EXISTING, 0, NULL); }, {EXISTS, REBUILT}, file},
        {record + together, [&](ScriptedReassemblyHost&) { WriteTextFile(piece(2), file.substr(500, 499)); }, {EXISTS, REBUILT},
         file},
        {record + together, [&](ScriptedReassemblyHost&) { damage(2); }, {EXISTS, REBUILT}, file},
        {record + together, without(3), {EXISTS, DONE + "\n\nThe file "
         "'name.bin.3' was missing or damaged and has been rebuilt from 'name.bin.recovery'."}, file},
        // Two bad, known before the output is touched, or found while piece 2 is rebuilt.
        {record + together, [&](ScriptedReassemblyHost&) { DeleteFileA(piece(1).c_str()); DeleteFileA(piece(3).c_str()); },
         {Info(bad("'name.bin.1' and 'name.bin.3'"))}, "kept"},
        {record + together, [&](ScriptedReassemblyHost&) { for (int n : {1, 2, 3}) DeleteFileA(piece(n).c_str()); },
         {Info(bad("'name.bin.1', 'name.bin.2' and 1 other"))}, "kept"},
        {record + together, [&](ScriptedReassemblyHost&) { DeleteFileA(piece(2).c_str()); damage(3); },
         {EXISTS, Error(bad("'name.bin.2' and 'name.bin.3'"))}, damagedFile.substr(0, 1000)},
        // A damaged record, damaged XOR data, or a record of another split is never used.
        {damagedRecord + together, without(2), {Info(MISSING_2 + UNUSABLE)}, "kept"},
        {record + "X" + together.substr(1), without(2), {Info(MISSING_2 + UNUSABLE)}, "kept"},
        {record + together, [&](ScriptedReassemblyHost& run) { run.strings[106] = "A8E5D181*";
         DeleteFileA(piece(2).c_str()); }, {Info(MISSING_2 + UNUSABLE)}, "kept"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        WriteTextFile(folder + "out\\name.bin", "kept");
        ScriptedReassemblyHost run = Host({500, 500, 200}, 1200);
        run.program = program;
        run.strings[106] = "A8E5D180*";
        run.answers = {YES};
        DeleteFileA((folder + "name.bin.recovery").c_str());
        if (!c.recovery.empty()) WriteTextFile(folder + "name.bin.recovery", c.recovery);
        c.arrange(run);
        Run(run, c.boxes);
        EXPECT_TRUE(ReadTextFile(run.fileToCreate) == c.content);
        if (locked != INVALID_HANDLE_VALUE) CloseHandle(locked);
        locked = INVALID_HANDLE_VALUE;
    }
}
