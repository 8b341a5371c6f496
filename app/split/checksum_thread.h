// The CRC-32 of the file, taken on a thread of its own while the chunk just
// read is being written: the split then runs as fast with it as without.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <memory>

class ChecksumThread {
public:
    // Where no thread can be started, each chunk is taken in line instead.
    ChecksumThread();
    ~ChecksumThread();
    ChecksumThread(const ChecksumThread&) = delete;
    ChecksumThread& operator=(const ChecksumThread&) = delete;

    // Continues the CRC over the chunk. The chunk may be read meanwhile, but
    // not changed or released until finishChunk has returned.
    void startChunk(const void* data, size_t size);
    // Waits until the chunk started last has been taken.
    void finishChunk();
    // The CRC-32 of every chunk finished so far.
    uint32_t checksum() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
