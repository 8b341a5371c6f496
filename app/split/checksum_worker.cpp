#include "checksum_worker.h"

#include "crc32.h"

#include <system_error>

ChecksumWorker::ChecksumWorker()
{
    try {
        thread_ = std::thread(&ChecksumWorker::run, this);
    } catch (const std::system_error&) {
        inline_ = true;
    }
}

ChecksumWorker::~ChecksumWorker()
{
    if (inline_) return;
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
        quitting_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ChecksumWorker::start(const void* chunk, size_t size)
{
    if (inline_) {
        crc_ = Crc32Update(crc_, chunk, size);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        chunk_ = chunk;
        size_ = size;
        busy_ = true;
    }
    changed_.notify_all();
}

uint32_t ChecksumWorker::wait()
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    return crc_;
}

void ChecksumWorker::run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || quitting_; });
        if (quitting_) return;
        // Only this thread touches crc_ while busy_ is set.
        lock.unlock();
        uint32_t crc = Crc32Update(crc_, chunk_, size_);
        lock.lock();
        crc_ = crc;
        busy_ = false;
        changed_.notify_all();
    }
}
