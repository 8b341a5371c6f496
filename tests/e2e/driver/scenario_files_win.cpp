#include "scenario_files.h"

#include <windows.h>

#include <algorithm>

namespace {

const size_t BLOCK_SIZE = 4 << 20;
const int64_t SPARSE_STEP = (int64_t)512 << 20;
const size_t SPARSE_BLOCK = 65536;

// xorshift64*: quick, and no two offsets of a file give the same bytes.
struct Noise {
    uint64_t state;
    explicit Noise(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    void Fill(unsigned char* out, size_t count)
    {
        for (size_t i = 0; i < count; i += 8) {
            state ^= state >> 12;
            state ^= state << 25;
            state ^= state >> 27;
            uint64_t value = state * 0x2545F4914F6CDD1Dull;
            for (size_t k = 0; k < 8 && i + k < count; ++k) out[i + k] = (unsigned char)(value >> (8 * k));
        }
    }
};

HANDLE OpenForReading(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                       OPEN_EXISTING, 0, NULL);
}

bool WriteAt(HANDLE file, int64_t offset, const unsigned char* data, size_t count)
{
    LARGE_INTEGER position;
    position.QuadPart = offset;
    DWORD written = 0;
    return SetFilePointerEx(file, position, NULL, FILE_BEGIN) &&
           WriteFile(file, data, (DWORD)count, &written, NULL) && written == count;
}

bool SetLength(HANDLE file, int64_t size)
{
    LARGE_INTEGER position;
    position.QuadPart = size;
    return SetFilePointerEx(file, position, NULL, FILE_BEGIN) && SetEndOfFile(file);
}

// Reads up to `count` bytes; the number read, 0 at the end.
DWORD ReadSome(HANDLE file, unsigned char* buffer, DWORD count)
{
    DWORD read = 0;
    if (!ReadFile(file, buffer, count, &read, NULL)) return 0;
    return read;
}

std::string Number(int64_t value)
{
    return std::to_string((long long)value);
}

}  // namespace

bool MakeNoiseFile(const std::string& path, int64_t size, unsigned seed)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::vector<unsigned char> block(BLOCK_SIZE);
    Noise noise(seed);
    bool ok = true;
    for (int64_t done = 0; ok && done < size;) {
        size_t count = (size_t)std::min<int64_t>(size - done, (int64_t)block.size());
        noise.Fill(block.data(), count);
        ok = WriteAt(file, done, block.data(), count);
        done += (int64_t)count;
    }
    return CloseHandle(file) && ok;
}

bool MakeSparseFile(const std::string& path, int64_t size, unsigned seed)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = SetLength(file, size);
    std::vector<unsigned char> block(SPARSE_BLOCK);
    Noise noise(seed);
    for (int64_t offset = 0; ok && offset < size; offset += SPARSE_STEP) {
        size_t count = (size_t)std::min<int64_t>(size - offset, (int64_t)block.size());
        noise.Fill(block.data(), count);
        ok = WriteAt(file, offset, block.data(), count);
    }
    if (ok && size > (int64_t)SPARSE_BLOCK) {
        noise.Fill(block.data(), block.size());
        ok = WriteAt(file, size - (int64_t)SPARSE_BLOCK, block.data(), block.size());
    }
    return CloseHandle(file) && ok;
}

std::string CompareFiles(const std::string& first, const std::string& second)
{
    int64_t firstSize = FileSizeOf(first), secondSize = FileSizeOf(second);
    if (firstSize < 0) return "no file " + first;
    if (secondSize < 0) return "no file " + second;
    if (firstSize != secondSize) return "sizes " + Number(firstSize) + " and " + Number(secondSize);
    HANDLE a = OpenForReading(first), b = OpenForReading(second);
    std::vector<unsigned char> blockA(BLOCK_SIZE), blockB(BLOCK_SIZE);
    std::string difference;
    for (int64_t done = 0; difference.empty() && done < firstSize;) {
        DWORD readA = ReadSome(a, blockA.data(), (DWORD)BLOCK_SIZE);
        DWORD readB = ReadSome(b, blockB.data(), (DWORD)BLOCK_SIZE);
        if (readA == 0 || readA != readB) {
            difference = "reading failed at byte " + Number(done);
            break;
        }
        auto mismatch = std::mismatch(blockA.begin(), blockA.begin() + readA, blockB.begin());
        if (mismatch.first != blockA.begin() + readA)
            difference = "first difference at byte " + Number(done + (mismatch.first - blockA.begin()));
        done += readA;
    }
    CloseHandle(a);
    CloseHandle(b);
    return difference;
}

int64_t FileSizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (int64_t)data.nFileSizeHigh << 32 | data.nFileSizeLow;
}

bool SetFileLength(const std::string& path, int64_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = SetLength(file, size);
    return CloseHandle(file) && ok;
}

bool RemovePath(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        return DeleteFileA(path.c_str()) != 0;
    }
    std::string folder = path.back() == '\\' ? path : path + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..") RemovePath(folder + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return RemoveDirectoryA(folder.c_str()) != 0;
}

bool MakeFolder(const std::string& path)
{
    // Every missing level, from the top down.
    for (size_t at = path.find('\\', 3); ; at = path.find('\\', at + 1)) {
        std::string level = at == std::string::npos ? path : path.substr(0, at);
        CreateDirectoryA(level.c_str(), NULL);
        if (at == std::string::npos) break;
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FolderFiles(const std::string& folder)
{
    std::vector<std::string> names;
    std::string prefix = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadTextFile(const std::string& path)
{
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) return "";
    std::string text;
    unsigned char block[4096];
    DWORD read;
    while ((read = ReadSome(file, block, sizeof block)) > 0) text.append((const char*)block, read);
    CloseHandle(file);
    return text;
}
