// Files split by the split run, with the real combiner writer, and rebuilt by
// the combiner's reassembly run with the parameters of the written program.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "file_system.h"
#include "job_flags.h"
#include "reassembly.h"
#include "scripted_reassembly_host.h"
#include "scripted_split_host.h"
#include "split_job.h"
#include "template_image.h"
#include "test_files.h"

namespace {

const int64_t MIB = 1048576;
const int64_t GIB = 1024 * MIB;

// The reassembly run reading the string table of a written program.
class WrittenProgramHost : public ScriptedReassemblyHost {
public:
    explicit WrittenProgramHost(const std::string& program)
        : module_(LoadLibraryExA(program.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE))
    {
    }
    ~WrittenProgramHost()
    {
        if (module_) FreeLibrary(module_);
    }
    bool loaded() const { return module_ != NULL; }
    void loadString(int id, char* out, int capacity) override
    {
        LoadStringA(module_, (UINT)id, out, capacity);
    }

private:
    HMODULE module_;
};

bool SameFiles(const std::string& a, const std::string& b)
{
    HANDLE first = CreateFileA(a.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    HANDLE second = CreateFileA(b.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    bool same = first != INVALID_HANDLE_VALUE && second != INVALID_HANDLE_VALUE &&
                getFileSize(a.c_str()) == getFileSize(b.c_str());
    std::vector<char> blockA(4 * MIB), blockB(4 * MIB);
    while (same) {
        DWORD readA = 0, readB = 0;
        same = ReadFile(first, blockA.data(), (DWORD)blockA.size(), &readA, NULL) &&
               ReadFile(second, blockB.data(), (DWORD)blockB.size(), &readB, NULL) &&
               readA == readB && std::equal(blockA.begin(), blockA.begin() + readA, blockB.begin());
        if (readA == 0) break;
    }
    CloseHandle(first);
    CloseHandle(second);
    return same;
}

class RoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = MakeTestFolder();
        CreateDirectoryA((folder + "pieces").c_str(), NULL);
        CreateDirectoryA((folder + "rebuilt").c_str(), NULL);
        overwriteAll = false;
        cancelRequested = false;
    }
    void TearDown() override { RemoveTestFolder(folder); }

    // Splits the file into pieces/ with the real writer; the program's path.
    std::string Split(const std::string& source, int64_t pieceSize)
    {
        ScriptedSplitHost splitHost;
        splitHost.fileField = source;
        splitHost.folderField = folder + "pieces\\";
        splitHost.pieceSizeValue = pieceSize;
        splitHost.templatePath = TemplatePath();
        runSplitJob(splitHost);
        std::string program = folder + "pieces\\" + CombinerProgramName(source);
        EXPECT_EQ(splitHost.boxes.back(),
                  BoxEntry(0x40, "'" + source.substr(source.rfind('\\') + 1) +
                                     "' was split successfully.\n\nBrindle has produced a "
                                     "program named '" +
                                     CombinerProgramName(source) +
                                     "' that will recreate the file."));
        return program;
    }

    // Runs the combiner's reassembly as the user would: defaults of its dialog.
    bool Rebuild(const std::string& program, const std::string& name)
    {
        WrittenProgramHost host(program);
        EXPECT_TRUE(host.loaded());
        host.piecesFolder = folder + "pieces\\";
        host.fileToCreate = folder + "rebuilt\\" + name;
        bool created = ReassembleFile(host);
        EXPECT_EQ(host.boxes.back(), BoxText(0x40, "The file was created successfully."));
        return created;
    }

    std::string folder;
};

}  // namespace

TEST_F(RoundTrip, FileOfSeveralPiecesIsRebuiltByteForByte)
{
    std::string source = folder + "data.bin";
    WritePatternFile(source, 10000001, 7);
    std::string program = Split(source, 1457664);
    EXPECT_TRUE(FileExists(folder + "pieces\\data.bin.7"));
    // Python: zlib.crc32(bytes(PatternByte(i, 7) for i in range(10000001)))
    EXPECT_EQ(LoadParametersOf(program).checksum, "3A60D8CE");
    ASSERT_TRUE(Rebuild(program, "data.bin"));
    EXPECT_TRUE(SameFiles(source, folder + "rebuilt\\data.bin"));
}

TEST_F(RoundTrip, EmptyFileIsRebuiltEmpty)
{
    std::string source = folder + "empty";
    WriteTextFile(source, "");
    std::string program = Split(source, 1457664);
    EXPECT_EQ(program, folder + "pieces\\Create_empty.exe");
    ASSERT_TRUE(Rebuild(program, "empty"));
    EXPECT_TRUE(FileExists(folder + "rebuilt\\empty"));
    EXPECT_EQ(getFileSize((folder + "rebuilt\\empty").c_str()), 0);
}

TEST_F(RoundTrip, NameWithCharactersAbove0x7FKeepsItsBytes)
{
    const std::string name = "caf\xe9 \xc0\xfc\x80.dat";
    std::string source = folder + name;
    WritePatternFile(source, 5000, 3);
    ASSERT_TRUE(FileExists(source));
    std::string program = Split(source, 1000);
    EXPECT_EQ(LoadParametersOf(program).fileName, name);
    EXPECT_TRUE(FileExists(folder + "pieces\\" + name + ".5"));
    ASSERT_TRUE(Rebuild(program, name));
    EXPECT_TRUE(SameFiles(source, folder + "rebuilt\\" + name));
}

TEST_F(RoundTrip, FileAboveFourGibibytesIsRebuiltByteForByte)
{
    // Sparse on the Linux side, with known bytes around the 4 GiB mark and at the end.
    const int64_t size = 4 * GIB + 5 * MIB + 7;
    std::string source = folder + "large.iso";
    MakeSparseFile(source, size);
    HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    std::vector<unsigned char> bytes(2 * MIB);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = PatternByte((int64_t)i, 5);
    for (int64_t offset : {4 * GIB - MIB, size - 2 * MIB}) {
        LARGE_INTEGER position;
        position.QuadPart = offset;
        SetFilePointerEx(file, position, NULL, FILE_BEGIN);
        DWORD written = 0;
        WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    }
    CloseHandle(file);
    ASSERT_EQ(getFileSize(source.c_str()), size);

    std::string program = Split(source, GIB);
    LoadedParameters loaded = LoadParametersOf(program);
    EXPECT_EQ(loaded.pieceCount, "5");
    EXPECT_EQ(loaded.fileSize, std::to_string(size));
    // The rebuild holds the file to the checksum the split took across the mark.
    EXPECT_EQ(loaded.checksum.size(), 8u);
    ASSERT_TRUE(Rebuild(program, "large.iso"));
    EXPECT_TRUE(SameFiles(source, folder + "rebuilt\\large.iso"));
}
