#include "small_disk.h"

#include <windows.h>

#include "file_system.h"
#include "test_files.h"

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
