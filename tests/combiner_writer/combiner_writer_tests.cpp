// The writer's side: the slots of the templates of both word sizes, patching them, writing the
// program beside the pieces. Written programs are checked by a plain byte search, not the writer.
#include <windows.h>

#include "combiner_parameters.h"
#include "combiner_writer.h"
#include "message_box.h"
#include "scripted_split_host.h"
#include "template_slots.h"
#include "test_files.h"

namespace {

// The built combiner, or the one of the other word size (PE32 beside PE32+).
std::string TemplatePath(bool otherWordSize = false)
{
    return WindowsPathOf(otherWordSize ? OTHER_COMBINER_PROGRAM_UNIX_PATH
                                       : COMBINER_PROGRAM_UNIX_PATH);
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

// Entries 103 to 106 of a written program, after checking that it is its template elsewhere.
std::vector<std::wstring> WrittenSlots(std::string written)
{
    std::string original = ReadTextFile(TemplatePath());
    std::vector<size_t> at = PlaceholderOffsets(original);
    std::vector<std::wstring> slots(4);
    for (size_t i = 0; i < 4 && written.size() == original.size(); ++i) {
        slots[i].resize(Placeholders()[i].size());
        memcpy(&slots[i][0], &written[at[i]], 2 * slots[i].size());
        written.replace(at[i], 2 * slots[i].size(), original, at[i], 2 * slots[i].size());
    }
    EXPECT_TRUE(written == original) << "the program differs from its template outside the slots";
    return slots;
}

}  // namespace

TEST(Patching, FillsEachSlotToItsLastUnitAndRefusesAValueWithNoRoomForItsTerminator)
{
    for (bool other : {false, true}) {
        std::string image = ReadTextFile(TemplatePath(other));
        // The writer's slot finder finds the placeholders in the template of either word size.
        CombinerSlots found;
        ASSERT_TRUE(FindCombinerSlots((const unsigned char*)image.data(), image.size(), found));
        EXPECT_EQ(PlaceholderOffsets(image), (std::vector<size_t>{found.fileName, found.pieceCount,
                                                                  found.fileSize, found.checksum}));
    }
    std::string original = ReadTextFile(TemplatePath());
    std::vector<unsigned char> image(original.begin(), original.end());
    std::vector<size_t> at = PlaceholderOffsets(original);
    const CombinerSlots slots = {at[0], at[1], at[2], at[3]};
    ASSERT_TRUE(PatchCombinerParameters(
        image, slots, {std::string(511, 'n'), 999999999, INT64_MAX, 0x0A1B2C3Du}));
    const std::vector<unsigned char> before = image;
    EXPECT_FALSE(PatchCombinerParameters(image, slots, {"a", 1000000000, 1, {}}));
    EXPECT_FALSE(PatchCombinerParameters(image, slots, {std::string(512, 'n'), 1, 1, 1u}));
    EXPECT_TRUE(image == before);
    EXPECT_EQ(WrittenSlots(std::string(image.begin(), image.end())),
              (std::vector<std::wstring>{std::wstring(511, L'n') + L"*", L"999999999*",
                                         L"9223372036854775807*", L"0A1B2C3D*"}));
}

namespace {

const CombinerWriteResult WRITTEN = CombinerWriteResult::Written,
                          STOPPED = CombinerWriteResult::JobStopped;
const std::string DISK_4 = BoxEntry(box::DISK_REQUEST, "Please insert disk 4 in drive A:"),
                  ROOM = BoxEntry(box::ROOM_REQUEST,
                                  "Please insert a disk with at least 40,960 bytes "
                                  "of free space in drive A:");

class CombinerWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTestFolder();
        host.templatePath = TemplatePath();
    }
    void TearDown() override
    {
        if (inserted) InsertDiskInDriveA(std::string(getenv("BRINDLE_DRIVES")) + "/empty");
        RemoveTestFolder(folder);
    }
    // Drive A: is an emulated floppy drive whose disks are Linux folders (scripts/wine-env.sh).
    bool Insert(const SmallDisk& disk)
    {
        inserted = getenv("BRINDLE_DRIVES") && GetDriveTypeA("A:\\") == DRIVE_REMOVABLE;
        return inserted && InsertDiskInDriveA(disk.mountPoint());
    }
    // A small disk with exactly `free` bytes left, or null when none can be mounted.
    SmallDisk* Disk(int64_t free)
    {
        disks.emplace_back();
        if (!disks.back().mount(1048576)) return nullptr;
        disks.back().leaveFree(free);
        return &disks.back();
    }

    std::string folder;
    ScriptedSplitHost host;
    std::deque<SmallDisk> disks;
    bool inserted = false;
};

}  // namespace

TEST_F(CombinerWriter, WritesTheTemplateWithItsSlotsFilledBesideThePiecesOverAnOlderOneAfterYes)
{
    // A name in the ANSI code page: 0xE9 is e acute, 0x80 the euro sign.
    const std::string program = folder + "Create_caf\xe9\x80.final.exe";
    WriteTextFile(program, "older program");
    host.overwriteAnswers = {box::ANSWER_NO, box::ANSWER_YES};
    // Three pieces' CRCs, then their count, their own CRC (Python: zlib.crc32) and the tag.
    const std::string list("\x67\x45\x23\x01\xEF\xCD\xAB\x89\x98\xBA\xDC\xFE", 12);
    auto write = [&] {
        return WriteCombinerProgram(host, "C:\\data\\caf\xe9\x80.final.doc", folder, 3, 4000000,
                                    0x89ABCDEFu, {list.begin(), list.end()});
    };
    EXPECT_EQ(write(), STOPPED);
    EXPECT_TRUE(ReadTextFile(program) == "older program");  // kept after No
    host.log.clear();
    EXPECT_EQ(write(), WRITTEN);
    EXPECT_EQ(host.log, std::vector<std::string>{"overwrite: " + program});
    // Each slot holds the value and its '*', then the rest of what was there.
    std::wstring name = L"caf\u00e9\u20ac.final.doc*" + Placeholders()[0].substr(16);
    std::string written = ReadTextFile(program), image = ReadTextFile(TemplatePath());
    EXPECT_TRUE(written.substr(image.size()) ==
                list + std::string("\3\0\0\0\x18\x47\xB3\xCC" "BRNDSUMS", 16));
    EXPECT_EQ(
        WrittenSlots(written.substr(0, image.size())),
        (std::vector<std::wstring>{name, L"3*47483647", L"4000000*901234567890", L"89ABCDEF*"}));
    EXPECT_TRUE(DeleteFileA(program.c_str())) << "the program is left open";
}

TEST_F(CombinerWriter, EndsAsTheTemplateAndTheRoomOnTheDestinationDecide)
{
    std::string broken = ReadTextFile(TemplatePath());
    broken[PlaceholderOffsets(broken)[1]] = '9';
    WriteTextFile(folder + "broken.exe", broken);
    // A program larger than 40,960 bytes needs room for its own size.
    WriteTextFile(folder + "large.exe", ReadTextFile(TemplatePath()) + std::string(262144, '\0'));
    // clang-format off
    const struct {
        std::string templateFile;  // in the test folder; empty: the built combiner
        int64_t free;              // left on a small disk for the pieces; -1: the test folder
        CombinerWriteResult result;
        std::string shown;         // the one box, if any
        std::wstring program;      // afterwards: the checksum slot of a written program, or (none)
    } cases[] = {
        {"broken.exe", -1, CombinerWriteResult::TemplateUnavailable, "", L"(none)"},  // silent
        {"large.exe", 65536, STOPPED, "There is not enough free space on drive Z: to complete "
         "the operation.", L"(none)"},
        // A fixed drive needs 40,960 bytes free.
        {"", 36864, STOPPED, "There is not enough free space on drive Z: to complete the "
         "operation.", L"(none)"},
        {"", 40960, WRITTEN, "", L"XXXXXXXXX"},  // written without a checksum
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ScriptedSplitHost run;
        run.templatePath = c.templateFile.empty() ? TemplatePath() : folder + c.templateFile;
        SmallDisk* disk = c.free < 0 ? nullptr : Disk(c.free);
        REQUIRE_PREREQUISITE(c.free < 0 || disk, "a small tmpfs disk (needs root)");
        std::string piecesFolder = disk ? disk->folder() : folder;
        std::string program = piecesFolder + "Create_a.exe";
        EXPECT_EQ(WriteCombinerProgram(run, "C:\\x\\a.txt", piecesFolder, 3, 1500), c.result);
        std::string shown = BoxEntry(box::INFORMATION, c.shown);
        EXPECT_EQ(run.boxes, std::vector<std::string>(!c.shown.empty(), shown));
        EXPECT_EQ(FileExists(program) ? WrittenSlots(ReadTextFile(program))[3] : L"(none)",
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
        if (line == "box " + DISK_4) Insert(*next);
        if (line == "box " + ROOM && ++rooms == 2) Insert(*roomy);
    };
    host.boxAnswers = {box::ANSWER_OK, box::ANSWER_OK, box::ANSWER_OK};
    EXPECT_EQ(WriteCombinerProgram(host, "C:\\x\\a.txt", "a:\\", 3, 1500), WRITTEN);  // a: names A:
    EXPECT_EQ(host.boxes, (std::vector<std::string>{DISK_4, ROOM, ROOM}));
    EXPECT_TRUE(FileExists(roomy->folder() + "Create_a.exe"));
    EXPECT_FALSE(FileExists(last->folder() + "Create_a.exe") ||
                 FileExists(next->folder() + "Create_a.exe"));
}
