#include "test_files.h"

#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <algorithm>

std::string MakeTestFolder()
{
    static unsigned counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    char folder[MAX_PATH + 64];
    snprintf(folder, sizeof folder, "%sbrindle_%lu_%u\\", temp, GetCurrentProcessId(), ++counter);
    RemoveTestFolder(folder);
    CreateDirectoryA(folder, NULL);
    return folder;
}

void RemoveTestFolder(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTestFolder(path + "\\");
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

unsigned char PatternByte(int64_t offset, unsigned seed)
{
    // Cheap, position-dependent bytes: a shifted or repeated slice never matches.
    uint64_t x = (uint64_t)offset * 2654435761u + seed * 40503u;
    x ^= x >> 13;
    return (unsigned char)(x ^ (x >> 7) ^ (offset >> 20));
}

static void FillPattern(unsigned char* out, int64_t offset, size_t count, unsigned seed)
{
    for (size_t i = 0; i < count; ++i) out[i] = PatternByte(offset + (int64_t)i, seed);
}

void WritePatternFile(const std::string& path, int64_t size, unsigned seed)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    std::vector<unsigned char> block(1 << 20);
    for (int64_t done = 0; done < size;) {
        size_t count = (size_t)std::min<int64_t>(size - done, (int64_t)block.size());
        FillPattern(block.data(), done, count, seed);
        DWORD written = 0;
        WriteFile(file, block.data(), (DWORD)count, &written, NULL);
        done += (int64_t)count;
    }
    CloseHandle(file);
}

void MakeSparseFile(const std::string& path, int64_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    LARGE_INTEGER end;
    end.QuadPart = size;
    SetFilePointerEx(file, end, NULL, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

void WriteTextFile(const std::string& path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

std::vector<unsigned char> ReadRange(const std::string& path, int64_t offset, size_t count)
{
    std::vector<unsigned char> bytes(count);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER position;
    position.QuadPart = offset;
    SetFilePointerEx(file, position, NULL, FILE_BEGIN);
    DWORD read = 0;
    if (count > 0) ReadFile(file, bytes.data(), (DWORD)count, &read, NULL);
    CloseHandle(file);
    bytes.resize(read);
    return bytes;
}

std::vector<unsigned char> ReadWholeFile(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return {};
    LARGE_INTEGER size;
    GetFileSizeEx(file, &size);
    CloseHandle(file);
    return ReadRange(path, 0, (size_t)size.QuadPart);
}

bool HoldsPattern(const std::string& path, int64_t offset, int64_t size, unsigned seed)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER actual;
    GetFileSizeEx(file, &actual);
    bool same = actual.QuadPart == size;
    std::vector<unsigned char> block(1 << 20), expected(1 << 20);
    for (int64_t done = 0; same && done < size;) {
        size_t count = (size_t)std::min<int64_t>(size - done, (int64_t)block.size());
        DWORD read = 0;
        ReadFile(file, block.data(), (DWORD)count, &read, NULL);
        FillPattern(expected.data(), offset + done, count, seed);
        same = read == count && std::equal(block.begin(), block.begin() + count, expected.begin());
        done += (int64_t)count;
    }
    CloseHandle(file);
    return same;
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string WindowsPathOf(const std::string& unixPath)
{
    std::string path = "Z:" + unixPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool RunUnixCommand(const std::string& command)
{
    // Wine starts a Linux program given by its Linux path. Its input and
    // output go to NUL, so it cannot take the caller's own output with it.
    // Its exit code does not come back reliably, so callers check what the
    // command did.
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE nothing =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_EXISTING, 0, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
    std::string line = "/bin/sh -c \"" + command + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    PROCESS_INFORMATION process;
    bool started = CreateProcessA(NULL, buffer.data(), NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                                  &process) != 0;
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    CloseHandle(nothing);
    return started;
}

bool InsertDiskInDriveA(const std::string& unixFolder)
{
    static unsigned insertions = 0;
    std::string disk = WindowsPathOf(unixFolder);
    bool exists = GetFileAttributesA(disk.c_str()) != INVALID_FILE_ATTRIBUTES;
    std::string marker =
        "inserted_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++insertions);
    if (exists) WriteTextFile(disk + "\\" + marker, "");
    std::string link = std::string(getenv("WINEPREFIX")) + "/dosdevices/a:";
    RunUnixCommand("ln -sfn '" + unixFolder + "' '" + link + "'");
    bool inserted = false;
    for (int tries = 0; tries < 1000 && !inserted; ++tries) {
        inserted = exists ? FileExists("A:\\" + marker)
                          : GetFileAttributesA("A:\\") == INVALID_FILE_ATTRIBUTES;
        if (!inserted) Sleep(10);
    }
    if (exists) DeleteFileA((disk + "\\" + marker).c_str());
    return inserted;
}

bool RunByTestCommand()
{
    const char* value = getenv("BRINDLE_TEST_COMMAND");
    return value != nullptr && value[0] != '\0';
}
