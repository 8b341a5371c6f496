// Files that scenarios make, compare and inspect.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

// `size` bytes of seeded noise, so that a piece put in the wrong place
// can never match.
bool MakeNoiseFile(const std::string& path, int64_t size, unsigned seed);
// A sparse file of `size` bytes: holes, with blocks of noise at its start,
// at every 512 MiB and at its end.
bool MakeSparseFile(const std::string& path, int64_t size, unsigned seed);
// Empty when the files are equal, else what differs.
std::string CompareFiles(const std::string& first, const std::string& second);
// -1 when there is no such file.
int64_t FileSizeOf(const std::string& path);
bool SetFileLength(const std::string& path, int64_t size);
// Removes a file, or a folder with everything in it; true when it is gone.
bool RemovePath(const std::string& path);
bool MakeFolder(const std::string& path);
// The names of the files (not folders) in the folder, sorted.
std::vector<std::string> FolderFiles(const std::string& folder);
std::string ReadTextFile(const std::string& path);
