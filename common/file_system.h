// File-system queries and a plain file handle, on the Win32 file calls.
//
// Failures are folded into the answers: false, or -1 for a size. Nothing here
// shows a message; the caller chooses it. No std::string, so that the
// combiner can use it and stay small.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "shared_constants.h"

bool isFolder(const char* path);
// Opens with read access and read sharing, then closes at once.
bool canOpenForReading(const char* path);
// Size in bytes (64-bit), -1 when the file cannot be opened.
int64_t getFileSize(const char* path);
// Bytes the calling user may still use on the folder's drive, -1 if unknown.
int64_t getFreeSpace(const char* folder);
// Whether the root folder (ending with a backslash) is on a removable drive.
bool isRemovableDrive(const char* root);
// Creates every missing level of the folder below its root, from the top
// down. False as soon as a level cannot be made (the levels made stay).
bool CreateFolderPath(const char* path);
// The process's current directory; false when it does not fit.
bool GetCurrentFolder(char* out, size_t size);
// The path of the running program's own file; false when it does not fit.
bool GetProgramPath(char* out, size_t size);

class RawFile {
public:
    enum Mode { ForReading = 0, ForWriting = 1, ForNewFile = 2 };

    RawFile();
    ~RawFile();
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    // ForReading: an existing file, others may read. ForWriting: created or
    // truncated, others may read. ForNewFile: as ForWriting, but fails when a
    // file of that name exists.
    bool open(const char* path, Mode mode);
    // True only when exactly `count` bytes were moved in one call.
    bool readExact(void* buffer, size_t count);
    // The same from the given offset; reading goes on from its end.
    bool readExactAt(int64_t offset, void* buffer, size_t count);
    bool writeExact(const void* buffer, size_t count);
    // Size of the open file, -1 when it cannot be told.
    int64_t size() const;
    void close();
    bool isOpen() const;
    const char* path() const { return path_; }

private:
    void* handle_;
    char path_[MAX_TEXT];
};
