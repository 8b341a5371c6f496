// The combiner's side: its parameter texts and the reassembly run on real
// files through a scripted host.
#include <windows.h>

#include <deque>
#include <functional>
#include <map>

#include "parameter_text.h"
#include "reassembly.h"
#include "scripted_split_host.h"
#include "small_disk.h"
#include "test_files.h"

namespace {

// A ReassemblyHost whose fields, string table and answers the test sets; it
// logs every box ("0x40: text") and every progress step ("41:  41%").
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
    int messageBox(const char* text, unsigned style) override
    {
        boxes.push_back(BoxEntry(style, text));
        if (onStep) onStep();
        if ((style & 0xF) != 4) return 1;  // IDOK; a question takes the next answer
        int answer = answers.empty() ? 7 : answers.front();  // IDNO
        if (!answers.empty()) answers.pop_front();
        return answer;
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

TEST(ParameterText, SlotsEndAtTheirFirstAsteriskAndAChecksumIsEightUpperCaseHexDigits)
{
    ScriptedReassemblyHost host;
    char name[FILE_NAME_CAPACITY];
    host.strings[103] = std::string(600, 'n');  // no '*' in it
    LoadFileName(host, name);
    EXPECT_EQ(std::string(name), std::string(511, 'n'));
    // A slot never filled is read whole: its 20 digits wrap around.
    host.strings = {{104, "12*7483647"}, {105, "12345678901234567890"}};
    EXPECT_EQ(LoadPieceCount(host), 12);
    EXPECT_EQ(LoadFileSize(host), -6101065172474983726);
    // Anything else than eight digits and the '*', the placeholder and a
    // missing entry among it, makes no check.
    uint32_t checksum = 0;
    host.strings[106] = "0A1B2C3D*";
    EXPECT_TRUE(LoadChecksum(host, checksum) && checksum == 0x0A1B2C3Du);
    for (const char* text : {"XXXXXXXXX", "", "0a1b2c3d*", "0A1B 2C3*", "0A1B2C3D0"}) {
        host.strings[106] = text;
        EXPECT_FALSE(LoadChecksum(host, checksum)) << text;
    }
}

namespace {

const int YES = 6, NO = 7;

// Bytes [offset, offset + size) of the pattern file with seed 1.
std::string Pattern(int64_t offset, int64_t size)
{
    std::string bytes((size_t)size, '\0');
    for (int64_t i = 0; i < size; ++i) bytes[(size_t)i] = (char)PatternByte(offset + i, 1);
    return bytes;
}

// The boxes of a run; {F} stands for the test's folder.
const std::string DONE = BoxEntry(0x40, "The file was created successfully."),
                  EXISTS = BoxEntry(0x24,
                                    "The file '{F}out\\name.bin' already exists.  Do you "
                                    "want to overwrite it?"),
                  NO_MATCH = "The file '{F}out\\name.bin' does not match the file that was split: ";

class Reassembly : public ::testing::Test {
protected:
    static std::string Info(const std::string& text) { return BoxEntry(0x40, text); }
    static std::string Error(const std::string& text) { return BoxEntry(0x30, text); }
    void SetUp() override
    {
        folder = MakeTestFolder();
        CreateDirectoryA((folder + "out").c_str(), NULL);
    }
    void TearDown() override { RemoveTestFolder(folder); }
    // Slices of the pattern, in order, as pieces of name.bin numbered to the
    // width of their count.
    void WritePieces(const std::vector<int64_t>& sizes)
    {
        for (size_t i = 1, offset = 0; i <= sizes.size(); offset += (size_t)sizes[i - 1], ++i) {
            std::string number = std::to_string(i);
            number.insert(0, std::to_string(sizes.size()).size() - number.size(), '0');
            WriteTextFile(folder + "name.bin." + number, Pattern((int64_t)offset, sizes[i - 1]));
        }
    }
    // A run making out\name.bin, a file of `size` bytes in `count` pieces. Each
    // slot holds the value, '*', then the tail of an earlier value.
    ScriptedReassemblyHost Host(size_t count, int64_t size)
    {
        ScriptedReassemblyHost run;
        run.piecesFolder = folder;
        run.fileToCreate = folder + "out\\name.bin";
        run.strings = {{103, "name.bin*9*"},
                       {104, std::to_string(count) + "*9*"},
                       {105, std::to_string(size) + "*9*"},
                       {106, "XXXXXXXXX"}};
        return run;
    }
    // Checks the boxes, and that the run succeeds exactly when it shows the success box.
    void Run(ScriptedReassemblyHost& run, std::vector<std::string> boxes)
    {
        for (std::string& box : boxes)
            for (size_t at; (at = box.find("{F}")) != std::string::npos;)
                box.replace(at, 3, folder);
        EXPECT_EQ(ReassembleFile(run), !boxes.empty() && boxes.back() == DONE);
        EXPECT_EQ(run.boxes, boxes);
    }

    std::string folder;
};

}  // namespace

TEST_F(Reassembly, EachCaseShowsItsMessagesAndLeavesTheOutputItShould)
{
    auto folderQuestion = [](std::string folder) {
        return BoxEntry(0x24, "The folder \"{F}" + folder +
                                  "\" does not exist.\nDo you want the folder to be created?");
    };
    // The output elsewhere; a piece taken away.
    auto output = [&](std::string path, std::string piece = "") {
        return [=](ScriptedReassemblyHost& r) {
            r.fileToCreate = folder + path;
            if (!piece.empty()) DeleteFileA((folder + piece).c_str());
        };
    };
    // Piece 2 gone after the checks, at the overwrite question.
    auto gone = [&](ScriptedReassemblyHost& r) {
        r.onStep = [&] { DeleteFileA((folder + "name.bin.2").c_str()); };
    };
    // Piece 2 rewritten at each step from the overwrite question on (not while it is read), and
    // the checksum the program carries ("" for none).
    auto replaced = [&](std::string bytes, std::string checksum = "XXXXXXXXX") {
        return [=](ScriptedReassemblyHost& r) {
            r.onStep = [=] { WriteTextFile(folder + "name.bin.2", bytes); };
            r.strings[106] = checksum;
            if (checksum.empty()) r.strings.erase(106);
        };
    };
    // Python: zlib.crc32 of the 1,200 pattern bytes is A8E5D180; with byte 600 XOR 0xFF, F3B912ED.
    std::string damaged = Pattern(0, 1200);
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
        // Pieces 01 to 12 are looked for by their own name whatever the output is called; an
        // existing output is replaced only after Yes.
        {std::vector<int64_t>(12, 10), 120, {}, output("out\\other.bin"), {DONE}, Pattern(0, 120)},
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
        {THREE, 30, {YES}, output("file\\sub\\name.bin"),
         {folderQuestion("file\\sub\\"), Info("Unable to create the folder\n\"{F}file\\sub\\\"")},
         NONE},
        // The output cannot be created (a folder is in its place); the buffer cannot be had.
        {THREE, 30, {}, output("out"),
         {Error("An error occurred while attempting to create the output file.")}, ""},
        {THREE, 30, {YES}, [](ScriptedReassemblyHost& r) { r.bufferUnavailable = true; },
         {EXISTS, Error("There is not enough memory to create the output file.")}, KEPT},
        // A piece that cannot be read while copying: what was copied stays.
        {THREE, 30, {YES}, gone, {EXISTS,
         Error("An error occurred while attempting to read from the file '{F}name.bin.2'.")},
         Pattern(0, 10)},
        // A piece grown or shrunk after the check: nothing of it is copied.
        {SPLIT, 1200, {YES}, replaced(Pattern(500, 505)), {EXISTS, Error(NO_MATCH + CHANGED)},
         Pattern(0, 500)},
        {SPLIT, 1200, {YES}, replaced(Pattern(500, 499)), {EXISTS, Error(NO_MATCH + CHANGED)},
         Pattern(0, 500)},
        // One byte changed: the checksum fails and the output stays; the placeholder and a
        // program without the entry check nothing.
        {SPLIT, 1200, {YES}, replaced(DAMAGED_2, "A8E5D180*"), {EXISTS, Error(NO_MATCH + "the "
         "content differs.  Expected checksum A8E5D180, found F3B912ED.")}, damaged},
        {SPLIT, 1200, {YES}, replaced(DAMAGED_2), {EXISTS, DONE}, damaged},
        {SPLIT, 1200, {YES}, replaced(DAMAGED_2, ""), {EXISTS, DONE}, damaged},
        // An empty file, from no piece, replaces the whole output.
        {{}, 0, {YES}, {}, {EXISTS, DONE}, ""},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        WritePieces(c.pieces);
        WriteTextFile(folder + "out\\name.bin", KEPT);
        ScriptedReassemblyHost run = Host(c.pieces.size(), c.fileSize);
        run.answers = c.answers;
        if (c.arrange) c.arrange(run);
        Run(run, c.boxes);
        std::vector<unsigned char> content = ReadWholeFile(run.fileToCreate);
        EXPECT_EQ(FileExists(run.fileToCreate) ? std::string(content.begin(), content.end()) : NONE,
                  c.content);
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
    WritePieces({9000000, 1002432});
    ScriptedReassemblyHost run = Host(2, 10002433);
    run.fileToCreate = disk.folder() + "name.bin";
    Run(run, {Info("There is not enough free disk space on drive Z:.\n10,002,433 bytes of disk "
                   "space are required.")});
    run = Host(2, 10002432);
    run.fileToCreate = disk.folder() + "name.bin";
    run.piecesFolder.pop_back();  // named without its backslash
    Run(run, {DONE});
    EXPECT_EQ(run.progress, (std::vector<std::string>{"0:  0%", "41:  41%", "83:  83%", "89:  89%",
                                                      "100:  100%"}));
    EXPECT_TRUE(HoldsPattern(run.fileToCreate, 0, 10002432));
    DeleteFileA(run.fileToCreate.c_str());
    run = Host(2, 10002432);  // now the disk fills up while the first block is written
    run.fileToCreate = disk.folder() + "name.bin";
    run.onStep = [&] { disk.leaveFree(262144); };
    Run(run, {Error("An error occurred while attempting to write to the output file.")});
}
