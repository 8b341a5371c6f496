#include <windows.h>

#include "file_system.h"
#include "split_fixture.h"
#include "test_files.h"

namespace {

const int64_t GIB = 1073741824;
const int64_t MIB = 1048576;

void WritePatternAt(HANDLE file, int64_t offset, int64_t size)
{
    std::vector<unsigned char> bytes((size_t)size);
    for (int64_t i = 0; i < size; ++i) bytes[(size_t)i] = PatternByte(offset + i, 1);
    LARGE_INTEGER position;
    position.QuadPart = offset;
    SetFilePointerEx(file, position, NULL, FILE_BEGIN);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)size, &written, NULL);
}

bool RangeHoldsPattern(const std::string& path, int64_t offsetInFile, int64_t offsetInSource,
                       size_t size)
{
    std::vector<unsigned char> bytes = ReadRange(path, offsetInFile, size);
    if (bytes.size() != size) return false;
    for (size_t i = 0; i < size; ++i)
        if (bytes[i] != PatternByte(offsetInSource + (int64_t)i, 1)) return false;
    return true;
}

}  // namespace

TEST_F(SplitRun, FileAboveFourGibibytesIsMeasuredSplitAndChecksummedAcrossTheBoundary)
{
    // 4.5 GiB, sparse, with known bytes around the 4 GiB mark and at the end.
    const int64_t size = 4 * GIB + GIB / 2;
    std::string source = folder + "large.iso";
    HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WritePatternAt(file, 4 * GIB - MIB, 2 * MIB);
    WritePatternAt(file, size - MIB, MIB);
    CloseHandle(file);
    ASSERT_EQ(getFileSize(source.c_str()), size);

    Split(source, folder, 2 * GIB);
    ASSERT_EQ(fakeCombinerWriter.calls.size(), 1u);
    EXPECT_EQ(fakeCombinerWriter.calls[0].pieceCount, 3);
    EXPECT_EQ(fakeCombinerWriter.calls[0].fileSize, size);
    // Python: zlib.crc32 of the same bytes (zeros but for the two pattern runs).
    EXPECT_EQ(fakeCombinerWriter.calls[0].checksum, std::optional<uint32_t>(0xC3E743F9u));
    EXPECT_EQ(getFileSize((folder + "large.iso.1").c_str()), 2 * GIB);
    EXPECT_EQ(getFileSize((folder + "large.iso.2").c_str()), 2 * GIB);
    EXPECT_EQ(getFileSize((folder + "large.iso.3").c_str()), GIB / 2);
    // The last MiB before the mark ends piece 2; the first after it starts piece 3.
    EXPECT_TRUE(RangeHoldsPattern(folder + "large.iso.2", 2 * GIB - MIB, 4 * GIB - MIB, MIB));
    EXPECT_TRUE(RangeHoldsPattern(folder + "large.iso.3", 0, 4 * GIB, MIB));
    EXPECT_TRUE(RangeHoldsPattern(folder + "large.iso.3", GIB / 2 - MIB, size - MIB, MIB));
    std::vector<unsigned char> zeros = ReadRange(folder + "large.iso.1", GIB, 16);
    EXPECT_EQ(zeros, std::vector<unsigned char>(16, 0));
    // Percentages over the whole file, in order, ending at 100.
    ASSERT_GE(host.progress.size(), 2u);
    EXPECT_EQ(host.progress[host.progress.size() - 2], 100);
    EXPECT_TRUE(std::is_sorted(host.progress.begin(), host.progress.end() - 1));
}
