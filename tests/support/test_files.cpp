#include "test_files.h"

#include <stdlib.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "file_system.h"

std::string MakeTestFolder()
{
    static unsigned counter = 0;
    std::string name = "brindle_" + std::to_string(GetCurrentProcessId()) + "_";
    std::string folder =
        (std::filesystem::temp_directory_path() / (name + std::to_string(++counter))).string();
    RemoveTestFolder(folder + "\\");
    CreateDirectoryA(folder.c_str(), NULL);
    return folder + "\\";
}

void RemoveTestFolder(const std::string& folder)
{
    std::error_code ignored;  // what cannot go (a file held open) stays
    std::filesystem::remove_all(folder, ignored);
}

static unsigned char PatternByte(int64_t offset, unsigned seed)
{
    // Cheap, position-dependent bytes: a shifted or repeated slice never matches.
    uint64_t x = (uint64_t)offset * 2654435761u + seed * 40503u;
    x ^= x >> 13;
    return (unsigned char)(x ^ (x >> 7) ^ (offset >> 20));
}

std::string PatternBytes(int64_t offset, int64_t size, unsigned seed)
{
    std::string bytes((size_t)size, '\0');
    for (int64_t i = 0; i < size; ++i) bytes[(size_t)i] = (char)PatternByte(offset + i, seed);
    return bytes;
}

void WritePatternFile(const std::string& path, int64_t size, unsigned seed)
{
    WriteTextFile(path, PatternBytes(0, size, seed));
}

void MakeSparseFile(const std::string& path, int64_t size)
{
    std::ofstream file(path, std::ios::binary);  // Wine leaves the part skipped as a hole
    if (size > 0) file.seekp(size - 1).put('\0');
}

void WriteTextFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
}

std::string ReadTextFile(const std::string& path, int64_t offset, size_t count)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);  // at its end: tellg is the size
    int64_t size = file ? (int64_t)file.tellg() : 0;
    std::string bytes(offset < size ? (size_t)std::min<uint64_t>(count, size - offset) : 0, '\0');
    file.seekg(offset).read(&bytes[0], (std::streamsize)bytes.size());
    return bytes;
}

std::string LittleEndian(uint64_t value, int bytes)
{
    std::string text;
    for (int i = 0; i < bytes; ++i) text += (char)(value >> 8 * i);
    return text;
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
    // Wine starts a Linux program by its Linux path; on NUL it cannot hold the caller's output.
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, NULL, TRUE};
    HANDLE nothing =
        CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_EXISTING, 0, NULL);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
    std::string line = "/bin/sh -c \"" + command + "\"";
    PROCESS_INFORMATION process;
    bool started =
        CreateProcessA(NULL, &line[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &process) != 0;
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
    // A marker file of this insertion on the disk tells the new disk from the one before.
    static unsigned insertions = 0;
    std::string disk = WindowsPathOf(unixFolder) + "\\";
    std::string marker =
        "in_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++insertions);
    bool exists = FileExists(disk);
    if (exists) WriteTextFile(disk + marker, "");
    RunUnixCommand("ln -sfn '" + unixFolder + "' '" + getenv("WINEPREFIX") + "/dosdevices/a:'");
    bool inserted = false;
    for (int tries = 0; tries < 1000 && !inserted; ++tries) {
        inserted = exists ? FileExists("A:\\" + marker) : !FileExists("A:\\");
        if (!inserted) Sleep(10);
    }
    if (exists) DeleteFileA((disk + marker).c_str());
    return inserted;
}

SmallDisk::~SmallDisk()
{
    // Wine may still hold the folder open: detach it lazily.
    if (!mountPoint_.empty()) RunUnixCommand("umount -l " + mountPoint_ + "; rmdir " + mountPoint_);
}

bool SmallDisk::mount(int64_t bytes)
{
    static int counter = 0;
    // Wine's process ids repeat from run to run: the start time keeps the name new.
    mountPoint_ = "/tmp/brindle_space_" + std::to_string(GetTickCount64()) + "_" +
                  std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
    RunUnixCommand("mkdir -p " + mountPoint_ +
                   " && mount -t tmpfs -o size=" + std::to_string(bytes) + " tmpfs " + mountPoint_);
    folder_ = WindowsPathOf(mountPoint_) + "\\";
    // The command runs on its own: wait until the disk is there (or clearly is not).
    for (int attempt = 0; attempt < 200 && !mounted_; ++attempt) {
        int64_t free = getFreeSpace(folder_.c_str());
        mounted_ = free > 0 && free <= bytes;
        if (!mounted_) Sleep(50);
    }
    return mounted_;
}

void SmallDisk::leaveFree(int64_t free)
{
    int64_t now = getFreeSpace(folder_.c_str());
    if (now > free) WriteTextFile(folder_ + "filler", std::string((size_t)(now - free), 'f'));
}
