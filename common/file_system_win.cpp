#include "file_system.h"

#include <string.h>
#include <windows.h>

#include "path_text.h"

bool isFolder(const char* path)
{
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

static HANDLE openForSharedReading(const char* path)
{
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
}

bool canOpenForReading(const char* path)
{
    HANDLE file = openForSharedReading(path);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

static int64_t sizeOfHandle(HANDLE file)
{
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return -1;
    return (int64_t)(((uint64_t)high << 32) | low);
}

int64_t getFileSize(const char* path)
{
    HANDLE file = openForSharedReading(path);
    if (file == INVALID_HANDLE_VALUE) return -1;
    int64_t size = sizeOfHandle(file);
    CloseHandle(file);
    return size;
}

int64_t getFreeSpace(const char* folder)
{
    typedef BOOL(WINAPI * FreeSpaceEx)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FreeSpaceEx freeSpaceEx =
        kernel ? (FreeSpaceEx)(void*)GetProcAddress(kernel, "GetDiskFreeSpaceExA") : NULL;
    if (freeSpaceEx) {
        ULARGE_INTEGER available, total, totalFree;
        if (!freeSpaceEx(folder, &available, &total, &totalFree)) return -1;
        return (int64_t)available.QuadPart;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
    if (!GetDiskFreeSpaceA(folder, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                           &totalClusters))
        return -1;
    return (int64_t)(DWORD)(sectorsPerCluster * bytesPerSector * freeClusters);
}

bool isRemovableDrive(const char* root)
{
    return GetDriveTypeA(root) == DRIVE_REMOVABLE;
}

bool CreateFolderPath(const char* path)
{
    char level[MAX_TEXT];
    size_t n = strlen(path);
    if (n >= sizeof level) return false;
    for (size_t i = RootOfPathLength(path); i < n; ++i) {
        if (path[i] != '\\' && i != n - 1) continue;
        CopyText(level, sizeof level, path, i + 1);
        if (!isFolder(level) && !CreateDirectoryA(level, NULL)) return false;
    }
    return true;
}

bool GetCurrentFolder(char* out, size_t size)
{
    DWORD length = GetCurrentDirectoryA((DWORD)size, out);
    return length > 0 && length < size;
}

bool GetProgramPath(char* out, size_t size)
{
    // Looked up, as the combiner imports no more calls than it always did.
    typedef DWORD(WINAPI * ModuleFileName)(HMODULE, LPSTR, DWORD);
    ModuleFileName moduleFileName = (ModuleFileName)(void*)GetProcAddress(
        GetModuleHandleA("kernel32.dll"), "GetModuleFileNameA");
    DWORD length = moduleFileName ? moduleFileName(NULL, out, (DWORD)size) : 0;
    return length > 0 && length < size;
}

RawFile::RawFile() : handle_(INVALID_HANDLE_VALUE)
{
    path_[0] = '\0';
}

RawFile::~RawFile()
{
    close();
    path_[0] = '\0';
}

bool RawFile::open(const char* path, Mode mode)
{
    static const DWORD CREATION[] = {OPEN_EXISTING, CREATE_ALWAYS, CREATE_NEW};
    handle_ = CreateFileA(path, mode == ForReading ? GENERIC_READ : GENERIC_WRITE, FILE_SHARE_READ,
                          NULL, CREATION[mode], 0, NULL);
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    CopyText(path_, sizeof path_, path, strlen(path));
    return true;
}

bool RawFile::readExact(void* buffer, size_t count)
{
    DWORD done = 0;
    return ReadFile(handle_, buffer, (DWORD)count, &done, NULL) && done == count;
}

bool RawFile::readExactAt(int64_t offset, void* buffer, size_t count)
{
    // A synchronous handle reads at the offset an OVERLAPPED structure gives.
    OVERLAPPED at = {};
    at.Offset = (DWORD)offset;
    at.OffsetHigh = (DWORD)(offset >> 32);
    DWORD done = 0;
    return ReadFile(handle_, buffer, (DWORD)count, &done, &at) && done == count;
}

bool RawFile::writeExact(const void* buffer, size_t count)
{
    DWORD done = 0;
    return WriteFile(handle_, buffer, (DWORD)count, &done, NULL) && done == count;
}

int64_t RawFile::size() const
{
    return handle_ == INVALID_HANDLE_VALUE ? -1 : sizeOfHandle(handle_);
}

void RawFile::close()
{
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

bool RawFile::isOpen() const
{
    return handle_ != INVALID_HANDLE_VALUE;
}

// The code page of every ...A call, file names included.
bool AnsiCodePageIsUtf8()
{
    return GetACP() == CP_UTF8;
}
