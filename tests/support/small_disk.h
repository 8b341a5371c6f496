// A small tmpfs of a test's own, seen from Wine under Z:. Its free space
// changes only by what the test writes there. Mounting needs root.
#pragma once

#include <stdint.h>

#include <string>

class SmallDisk {
public:
    ~SmallDisk();
    // Mounts a disk of `bytes` and waits until it is there; false if it cannot be.
    bool mount(int64_t bytes);
    // Fills the disk until exactly `free` bytes are left (a multiple of 4,096).
    void leaveFree(int64_t free);
    // The disk's root folder, ending with a backslash.
    const std::string& folder() const { return folder_; }
    // Where it is mounted on the Linux side.
    const std::string& mountPoint() const { return mountPoint_; }

private:
    std::string mountPoint_;
    std::string folder_;
    bool mounted_ = false;
};
