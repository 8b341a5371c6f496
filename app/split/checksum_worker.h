// The split's CRC-32 taken on a thread of its own: the CRC of a chunk is
// computed while the same chunk is written to its piece, so on a machine
// with a second core the checksum costs the split no time.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <condition_variable>
#include <mutex>
#include <thread>

class ChecksumWorker {
public:
    ChecksumWorker();
    // Waits for the chunk in hand, then ends the thread.
    ~ChecksumWorker();
    ChecksumWorker(const ChecksumWorker&) = delete;
    ChecksumWorker& operator=(const ChecksumWorker&) = delete;

    // Continues the CRC over the chunk. The chunk must stay unchanged until
    // wait() returns.
    void start(const void* chunk, size_t size);
    // Waits until the chunk in hand is taken; the CRC of every chunk so far.
    uint32_t wait();

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    const void* chunk_ = nullptr;
    size_t size_ = 0;
    bool busy_ = false;
    bool quitting_ = false;
    bool inline_ = false;  // no thread could be had: start() takes the CRC itself
    uint32_t crc_ = 0;
    std::thread thread_;
};
