#include <string.h>
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "file_system.h"
#include "test_files.h"

class FileSystem : public ::testing::Test {
protected:
    void SetUp() override { folder = MakeTestFolder(); }
    void TearDown() override { RemoveTestFolder(folder); }
    std::string folder;
};

TEST_F(FileSystem, FoldersAndFilesAreToldApart)
{
    std::string file = folder + "f.bin";
    WritePatternFile(file, 6);
    EXPECT_TRUE(isFolder(folder.c_str()));
    EXPECT_FALSE(isFolder(file.c_str()));
    EXPECT_FALSE(isFolder((folder + "missing").c_str()));
    EXPECT_TRUE(canOpenForReading(file.c_str()));
    EXPECT_FALSE(canOpenForReading(folder.c_str()));
    EXPECT_FALSE(canOpenForReading((folder + "missing").c_str()));
    EXPECT_EQ(getFileSize(folder.c_str()), -1);
    EXPECT_EQ(getFileSize((folder + "missing").c_str()), -1);
    EXPECT_EQ(getFileSize(file.c_str()), 6);
}

TEST_F(FileSystem, FileHeldOpenForWritingCannotBeOpenedForReading)
{
    std::string file = folder + "locked.bin";
    WritePatternFile(file, 10);
    HANDLE writer = CreateFileA(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(canOpenForReading(file.c_str()));
    EXPECT_EQ(getFileSize(file.c_str()), -1);
    CloseHandle(writer);
    EXPECT_TRUE(canOpenForReading(file.c_str()));
}

TEST_F(FileSystem, EmptyAndLargeSparseFileSizes)
{
    std::string empty = folder + "empty";
    WriteTextFile(empty, "");
    EXPECT_EQ(getFileSize(empty.c_str()), 0);

    std::string big = folder + "big";
    MakeSparseFile(big, 5000000000LL);
    EXPECT_EQ(getFileSize(big.c_str()), 5000000000LL);
}

TEST_F(FileSystem, RawFileMovesExactCounts)
{
    std::string path = folder + "raw.bin";
    RawFile out;
    ASSERT_TRUE(out.open(path.c_str(), RawFile::ForWriting));
    EXPECT_STREQ(out.path(), path.c_str());
    EXPECT_TRUE(out.writeExact("abcdef", 6));
    // A file open for writing here may be read only by those who let others write it.
    HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(canOpenForReading(path.c_str()));
    out.close();
    EXPECT_FALSE(out.isOpen());

    RawFile in;
    ASSERT_TRUE(in.open(path.c_str(), RawFile::ForReading));
    EXPECT_EQ(in.size(), 6);
    char buffer[10];
    EXPECT_FALSE(in.readExact(buffer, 10));  // only 6 bytes left
    in.close();
    ASSERT_TRUE(in.open(path.c_str(), RawFile::ForReading));
    EXPECT_TRUE(in.readExact(buffer, 6));
    EXPECT_EQ(memcmp(buffer, "abcdef", 6), 0);

    RawFile missing;
    EXPECT_FALSE(missing.open((folder + "nope").c_str(), RawFile::ForReading));
    EXPECT_STREQ(missing.path(), "");
}

TEST_F(FileSystem, OpenForWritingTruncates)
{
    std::string path = folder + "t.bin";
    WritePatternFile(path, 100);
    RawFile out;
    ASSERT_TRUE(out.open(path.c_str(), RawFile::ForWriting));
    out.close();
    EXPECT_EQ(getFileSize(path.c_str()), 0);
}

TEST_F(FileSystem, OpenForNewFileCreatesOnlyWhatIsMissing)
{
    std::string existing = folder + "taken.bin";
    WritePatternFile(existing, 100);
    RawFile out;
    EXPECT_FALSE(out.open(existing.c_str(), RawFile::ForNewFile));
    EXPECT_FALSE(out.isOpen());
    EXPECT_EQ(getFileSize(existing.c_str()), 100);  // not truncated
    EXPECT_TRUE(HoldsPattern(existing, 0, 100));

    std::string missing = folder + "new.bin";
    ASSERT_TRUE(out.open(missing.c_str(), RawFile::ForNewFile));
    EXPECT_TRUE(out.writeExact("abc", 3));
    out.close();
    EXPECT_EQ(getFileSize(missing.c_str()), 3);
}

TEST_F(FileSystem, CreateFolderPathMakesEveryLevel)
{
    std::string deep = folder + "a\\b\\c\\";
    EXPECT_TRUE(CreateFolderPath(deep.c_str()));
    EXPECT_TRUE(isFolder((folder + "a\\b\\").c_str()));
    EXPECT_TRUE(isFolder(deep.c_str()));
    EXPECT_TRUE(CreateFolderPath(deep.c_str()));  // existing levels are passed over

    std::string noFinalBackslash = folder + "x\\y";
    EXPECT_TRUE(CreateFolderPath(noFinalBackslash.c_str()));
    EXPECT_TRUE(isFolder(noFinalBackslash.c_str()));

    EXPECT_TRUE(CreateFolderPath("C:\\"));
}

TEST_F(FileSystem, CreateFolderPathStopsAtAFile)
{
    WritePatternFile(folder + "a", 1);
    EXPECT_FALSE(CreateFolderPath((folder + "a\\b\\").c_str()));
    EXPECT_FALSE(isFolder((folder + "a\\b\\").c_str()));
}

TEST_F(FileSystem, FreeSpaceOfMissingDriveIsUnknown)
{
    EXPECT_GT(getFreeSpace(folder.c_str()), 0);
    EXPECT_EQ(getFreeSpace("Q:\\"), -1);
    EXPECT_FALSE(isRemovableDrive("C:\\"));
}
