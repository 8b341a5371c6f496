// The writer's side: the slots of the combiner templates of both word sizes
// (other offsets behind other headers), patching them, and writing the
// program beside the pieces. Written programs are checked with none of the
// writer's code: the placeholders are found by a plain byte search, the
// slots are read back by Windows' resource loader.
#include <windows.h>

#include "combiner_parameters.h"
#include "combiner_writer.h"
#include "job_flags.h"
#include "message_box.h"
#include "scripted_split_host.h"
#include "shared_constants.h"
#include "small_disk.h"
#include "template_slots.h"
#include "test_files.h"

namespace {

// The built combiner, or the one of the other word size (PE32 beside PE32+).
std::string TemplatePath(bool otherWordSize = false)
{
    return WindowsPathOf(otherWordSize ? OTHER_COMBINER_PROGRAM_UNIX_PATH
                                       : COMBINER_PROGRAM_UNIX_PATH);
}

std::string Bytes(const std::string& path)
{
    std::vector<unsigned char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Entries 103 to 106 of the template: 000102...FDFEFF (the numbers 0 to 255 in
// upper-case hexadecimal), 2147483647, 12345678901234567890 and XXXXXXXXX.
std::vector<std::wstring> Placeholders()
{
    std::wstring name;
    for (int i = 0; i < 256; ++i)
        name += {L"0123456789ABCDEF"[i >> 4], L"0123456789ABCDEF"[i & 15]};
    return {name, L"2147483647", L"12345678901234567890", L"XXXXXXXXX"};
}

// Where each placeholder lies in the image: its one occurrence, in UTF-16LE.
std::vector<size_t> PlaceholderOffsets(const std::string& image)
{
    std::vector<size_t> offsets;
    for (const std::wstring& text : Placeholders()) {
        std::string units((const char*)text.data(), 2 * text.size());
        offsets.push_back(image.find(units));
        EXPECT_TRUE(offsets.back() != std::string::npos &&
                    image.find(units, offsets.back() + 1) == std::string::npos);
    }
    return offsets;
}

// Entries 103 to 106 of a written program, every unit (as many as their
// length words say) as the loader gives them, after checking that the
// program is its template everywhere outside the placeholders. Always four
// entries: "(unloadable)" when the loader cannot open the program.
std::vector<std::wstring> WrittenSlots(const std::string& program, bool otherWordSize = false)
{
    std::string original = Bytes(TemplatePath(otherWordSize)), written = Bytes(program);
    std::vector<size_t> at = PlaceholderOffsets(original);
    for (size_t i = 0; i < 4 && written.size() == original.size(); ++i)
        written.replace(at[i], 2 * Placeholders()[i].size(), original, at[i],
                        2 * Placeholders()[i].size());
    EXPECT_TRUE(written == original) << program << " differs from its template outside the slots";
    std::vector<std::wstring> slots(4, L"(unloadable)");
    HMODULE module = LoadLibraryExA(program.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    for (UINT id = 103; module && id <= 106; ++id) {
        const wchar_t* units = L"";
        int length = LoadStringW(module, id, (LPWSTR)&units, 0);  // 0: the resource itself
        slots[id - 103].assign(units, (size_t)length);
    }
    if (module) FreeLibrary(module);
    return slots;
}

// A slot holding the value and its '*', then the rest of what was there.
std::wstring Over(const std::wstring& before, const std::wstring& value)
{
    std::wstring text = value + L"*";
    return text.size() < before.size() ? text + before.substr(text.size()) : text;
}

}  // namespace

TEST(TemplateSlots, AreWhereThePlaceholdersLieInTheCombinersOfBothWordSizes)
{
    CombinerSlots slots;
    for (bool other : {false, true}) {
        std::string image = Bytes(TemplatePath(other));
        std::vector<size_t> at = PlaceholderOffsets(image);
        ASSERT_TRUE(FindCombinerSlots((const unsigned char*)image.data(), image.size(), slots));
        EXPECT_EQ(at, (std::vector<size_t>{slots.fileName, slots.pieceCount, slots.fileSize,
                                           slots.checksum}));
        // Refused: one byte changed (the "MZ", the length word of entry 104, a
        // unit of each placeholder), the file cut short.
        for (size_t offset : {(size_t)0, at[1] - 2, at[0] + 1022, at[1], at[2] + 38, at[3] + 16}) {
            std::string changed = image;
            changed[offset] ^= 1;
            EXPECT_FALSE(
                FindCombinerSlots((const unsigned char*)changed.data(), changed.size(), slots));
        }
        for (size_t size : {(size_t)0, (size_t)64, (size_t)1024, at[0], at[2] + 38})
            EXPECT_FALSE(FindCombinerSlots((const unsigned char*)image.data(), size, slots))
                << size;
    }
    EXPECT_FALSE(FindCombinerSlots(std::vector<unsigned char>(50000, 'A').data(), 50000, slots));
}

TEST(Patching, WritesEachValueAndItsTerminatorOverWhatWasThereAndNothingElse)
{
    // One image patched again and again: each slot holds the value, its '*'
    // and the rest of what was there (Python gave the numbers).
    const std::wstring P = Placeholders()[0], FULL = std::wstring(511, L'n') + L"*";
    // clang-format off
    const struct {
        CombinerParameters split;
        std::vector<std::wstring> slots;
    } splits[] = {
        // clang-format on
        // Without a checksum its slot keeps what it holds.
        {{"a.txt", 2, 1500, {}},
         {Over(P, L"a.txt"), L"2*47483647", L"1500*678901234567890", L"XXXXXXXXX"}},
        {{"longer_name.data", 123, 45678, 0x0A1B2C3Du},
         {Over(P, L"longer_name.data"), L"123*483647", L"45678*78901234567890", L"0A1B2C3D*"}},
        {{"b.c", 4, 5, {}},
         {Over(Over(P, L"longer_name.data"), L"b.c"), L"4*3*483647", L"5*678*78901234567890",
          L"0A1B2C3D*"}},
        // Every slot filled to its last unit; then an empty file.
        {{std::string(511, 'n'), 999999999, INT64_MAX, 0xFFFFFFFFu},
         {FULL, L"999999999*", L"9223372036854775807*", L"FFFFFFFF*"}},
        {{"e", 0, 0, {}}, {Over(FULL, L"e"), L"0*9999999*", L"0*23372036854775807*", L"FFFFFFFF*"}},
        // A name in the ANSI code page: 0xE9 is e acute, 0x80 the euro sign.
        {{"caf\xe9\x80.txt", 1, 1, {}},
         {Over(Over(FULL, L"e"), L"caf\u00e9\u20ac.txt"), L"1*9999999*", L"1*23372036854775807*",
          L"FFFFFFFF*"}},
    };
    std::string folder = MakeTestFolder();
    for (bool other : {false, true}) {
        std::vector<unsigned char> image = ReadWholeFile(TemplatePath(other));
        std::vector<size_t> at = PlaceholderOffsets(Bytes(TemplatePath(other)));
        const CombinerSlots slots = {at[0], at[1], at[2], at[3]};
        for (const auto& s : splits) {
            ASSERT_TRUE(PatchCombinerParameters(image, slots, s.split));
            WriteTextFile(folder + "patched.exe", std::string(image.begin(), image.end()));
            EXPECT_EQ(WrittenSlots(folder + "patched.exe", other), s.slots) << s.split.fileName;
        }
        // A value that would not fit its slot with its terminator: nothing is written.
        const std::vector<unsigned char> before = image;
        EXPECT_FALSE(PatchCombinerParameters(image, slots, {"a", 1000000000, 1, {}}));
        EXPECT_FALSE(PatchCombinerParameters(image, slots, {std::string(512, 'n'), 1, 1, 1u}));
        EXPECT_TRUE(image == before);
    }
    RemoveTestFolder(folder);
}

namespace {

const CombinerWriteResult WRITTEN = CombinerWriteResult::Written,
                          STOPPED = CombinerWriteResult::JobStopped;

std::string Logged(unsigned style, const std::string& text)
{
    return "box " + BoxEntry(style, text);
}
// What the job showed, then its end without the success report.
std::vector<std::string> Stopped(std::vector<std::string> shown)
{
    for (const char* line : {"arrow", "controls: idle", "progress: 0", "status: "})
        shown.push_back(line);
    return shown;
}
const std::string DISK_4 = Logged(box::DISK_REQUEST, "Please insert disk 4 in drive A:"),
                  ROOM = Logged(box::ROOM_REQUEST,
                                "Please insert a disk with at least 40,960 bytes "
                                "of free space in drive A:");

class CombinerWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTestFolder();
        overwriteAll = cancelRequested = false;
    }
    void TearDown() override
    {
        if (inserted) InsertDiskInDriveA(std::string(getenv("BRINDLE_DRIVES")) + "/empty");
        overwriteAll = false;  // left as the test found it
        RemoveTestFolder(folder);
    }
    // Drive A: is an emulated floppy drive whose disks are Linux folders (scripts/wine-env.sh).
    bool Insert(const SmallDisk& disk)
    {
        inserted = getenv("BRINDLE_DRIVES") && GetDriveTypeA("A:\\") == DRIVE_REMOVABLE;
        return inserted && InsertDiskInDriveA(disk.mountPoint());
    }
    // A small disk with `free` bytes left, or null when none can be mounted.
    SmallDisk* Disk(int64_t free)
    {
        disks.emplace_back();
        if (!disks.back().mount(1048576)) return nullptr;
        disks.back().leaveFree(free);
        ULARGE_INTEGER left;
        GetDiskFreeSpaceExA(disks.back().folder().c_str(), &left, NULL, NULL);
        EXPECT_EQ(left.QuadPart, (uint64_t)free);
        return &disks.back();
    }

    std::string folder;
    ScriptedSplitHost host;
    std::deque<SmallDisk> disks;
    bool inserted = false;
};

}  // namespace

TEST_F(CombinerWriter, WritesTheTemplateWithItsSlotsFilledBesideThePieces)
{
    host.templatePath = TemplatePath();
    EXPECT_EQ(
        WriteCombinerProgram(host, "C:\\data\\report.final.doc", folder, 3, 4000000, 0x89ABCDEFu),
        WRITTEN);
    EXPECT_EQ(WrittenSlots(folder + "Create_report.final.exe"),
              (std::vector<std::wstring>{Over(Placeholders()[0], L"report.final.doc"),
                                         L"3*47483647", L"4000000*901234567890", L"89ABCDEF*"}));
    // A name whose only dot is its first character.
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\home\\.profile", folder, 1, 10), WRITTEN);
    EXPECT_EQ(WrittenSlots(folder + "Create_.exe")[0], Over(Placeholders()[0], L".profile"));
    EXPECT_TRUE(host.log.empty());
}

TEST_F(CombinerWriter, ExistingProgramIsReplacedOnlyAfterYesOrYesToAll)
{
    const std::string question = "overwrite: " + folder + "Create_a.exe";
    const struct {
        int answer;  // 0: Yes to All was given earlier in the job
        std::vector<std::string> log;
    } cases[] = {{box::ANSWER_NO, Stopped({question})},
                 {box::ANSWER_YES, {question}},
                 {IDYESTOALL, {question}},
                 {0, {}}};
    for (const auto& c : cases) {
        WriteTextFile(folder + "Create_a.exe", "older program");
        ScriptedSplitHost run;
        run.templatePath = TemplatePath();
        if (c.answer) run.overwriteAnswers = {c.answer};
        overwriteAll = c.answer == 0;
        EXPECT_EQ(WriteCombinerProgram(run, "C:\\x\\a.txt", folder, 2, 1500),
                  c.answer == box::ANSWER_NO ? STOPPED : WRITTEN);
        EXPECT_EQ(run.log, c.log);
        EXPECT_EQ(overwriteAll, c.answer == IDYESTOALL || c.answer == 0);
        EXPECT_EQ(Bytes(folder + "Create_a.exe") == "older program", c.answer == box::ANSWER_NO);
    }
}

TEST_F(CombinerWriter, EndsAsTheTemplateAndTheRoomOnTheDestinationDecide)
{
    std::string broken = Bytes(TemplatePath());
    broken[PlaceholderOffsets(broken)[1]] = '9';
    WriteTextFile(folder + "broken.exe", broken);
    // Larger than the room that is checked for: the disk fills up while it is written.
    WriteTextFile(folder + "large.exe", Bytes(TemplatePath()) + std::string(262144, '\0'));
    auto fixed = [&](int64_t free) {
        SmallDisk* disk = Disk(free);
        return disk ? disk->folder() : "";
    };
    auto inA = [&](int64_t free, std::string drive) {
        SmallDisk* disk = Disk(free);
        return disk && Insert(*disk) ? drive : "";
    };
    const std::string UNABLE = "Unable to create the file \"{P}\"",
                      NO_ROOM =
                          "There is not enough free space on drive Z: to complete the operation.";
    const struct {
        std::function<std::string(ScriptedSplitHost&)>
            piecesFolder;  // made ready for the case; empty when it cannot be
        int32_t count;
        std::deque<int> answers;
        CombinerWriteResult result;
        // clang-format off
        std::vector<std::string> log;  // {P} stands for the program's path
        std::wstring program;          // afterwards: the count slot of a written program, (none) or (folder)
    } cases[] = {
        // clang-format on
        // A template missing or without its placeholders: nothing is shown.
        {[&](ScriptedSplitHost& run) {
             run.templatePath.clear();
             return folder;
         },
         3,
         {},
         CombinerWriteResult::TemplateUnavailable,
         {},
         L"(none)"},
        {[&](ScriptedSplitHost& run) {
             run.templatePath = folder + "broken.exe";
             return folder;
         },
         3,
         {},
         CombinerWriteResult::TemplateUnavailable,
         {},
         L"(none)"},
        // A program that cannot be created is no success; a folder in its way stays, a program cut
        // short goes.
        {[&](ScriptedSplitHost&) {
             CreateDirectoryA((folder + "Create_a.exe").c_str(), NULL);
             return folder;
         },
         3,
         {},
         STOPPED,
         Stopped({Logged(box::INFORMATION, UNABLE)}),
         L"(folder)"},
        {[&](ScriptedSplitHost& run) {
             run.templatePath = folder + "large.exe";
             return fixed(65536);
         },
         3,
         {},
         STOPPED,
         Stopped({Logged(box::INFORMATION, UNABLE)}),
         L"(none)"},
        // A fixed drive needs 40,960 bytes free.
        {[&](ScriptedSplitHost&) { return fixed(36864); },
         3,
         {},
         STOPPED,
         Stopped({Logged(box::INFORMATION, NO_ROOM)}),
         L"(none)"},
        {[&](ScriptedSplitHost&) { return fixed(40960); }, 3, {}, WRITTEN, {}, L"3*47483647"},
        // A removable one with too little asks for the next disk, then for room; a lower-case
        // letter still names A:.
        {[&](ScriptedSplitHost&) { return inA(40960, "A:\\"); }, 3, {}, WRITTEN, {}, L"3*47483647"},
        {[&](ScriptedSplitHost&) { return inA(28672, "a:\\"); },
         3,
         {box::ANSWER_CANCEL},
         STOPPED,
         Stopped({DISK_4}),
         L"(none)"},
        {[&](ScriptedSplitHost&) { return inA(28672, "A:\\"); },
         3,
         {box::ANSWER_OK, box::ANSWER_CANCEL},
         STOPPED,
         Stopped({DISK_4, ROOM}),
         L"(none)"},
        // An empty file wrote no piece: the program would go on disk 1.
        {[&](ScriptedSplitHost&) { return inA(28672, "A:\\"); },
         0,
         {box::ANSWER_CANCEL},
         STOPPED,
         Stopped({Logged(box::DISK_REQUEST, "Please insert disk 1 in drive A:")}),
         L"(none)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScriptedSplitHost run;
        run.templatePath = TemplatePath();
        run.boxAnswers = c.answers;
        std::string piecesFolder = c.piecesFolder(run), program = piecesFolder + "Create_a.exe";
        REQUIRE_PREREQUISITE(!piecesFolder.empty(), "a small tmpfs disk (needs root) and drive A:");
        EXPECT_EQ(WriteCombinerProgram(run, "C:\\x\\a.txt", piecesFolder, c.count, 1500), c.result);
        std::vector<std::string> log = c.log;
        for (std::string& line : log)
            if (line.find("{P}") != std::string::npos) line.replace(line.find("{P}"), 3, program);
        EXPECT_EQ(run.log, log);
        DWORD found = GetFileAttributesA(program.c_str());
        EXPECT_EQ(found == INVALID_FILE_ATTRIBUTES   ? L"(none)"
                  : found & FILE_ATTRIBUTE_DIRECTORY ? L"(folder)"
                                                     : WrittenSlots(program)[1],
                  c.program);
    }
}

TEST_F(CombinerWriter, FullLastDiskAsksForTheNextDiskThenForRoomUntilThereIsSome)
{
    SmallDisk *last = Disk(28672), *next = Disk(28672), *roomy = Disk(1048576);
    REQUIRE_PREREQUISITE(last && next && roomy && Insert(*last),
                         "small tmpfs disks (needs root) and drive A:");
    // OK on the first room question changes nothing; a roomy disk comes for the second.
    host.onEvent = [&, rooms = 0](const std::string& line) mutable {
        if (line == DISK_4) Insert(*next);
        if (line == ROOM && ++rooms == 2) Insert(*roomy);
    };
    host.templatePath = TemplatePath();
    host.boxAnswers = {box::ANSWER_OK, box::ANSWER_OK, box::ANSWER_OK};
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\x\\a.txt", "A:\\", 3, 1500), WRITTEN);
    EXPECT_EQ(host.log, (std::vector<std::string>{DISK_4, ROOM, ROOM}));
    EXPECT_TRUE(FileExists(roomy->folder() + "Create_a.exe"));
    EXPECT_FALSE(FileExists(last->folder() + "Create_a.exe") ||
                 FileExists(next->folder() + "Create_a.exe"));
}
