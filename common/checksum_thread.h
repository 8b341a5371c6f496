// The CRC-32 of a file being copied and of the piece being copied, taken on
// a thread of its own while the chunk just read is being written: the copy
// then runs as fast with them as without. The same thread can fold each chunk
// into a recovery buffer. Used by the split and by the combiner; no
// heap, no std::string.
#pragma once

#include <stddef.h>
#include <stdint.h>

class ChecksumThread {
public:
    // Where no thread can be started, each chunk is taken in line instead.
    ChecksumThread();
    ~ChecksumThread();
    ChecksumThread(const ChecksumThread&) = delete;
    ChecksumThread& operator=(const ChecksumThread&) = delete;

    // How a chunk goes into a recovery buffer: XORed into what is there, or
    // copied over it (the first piece's, so that the buffer need not be
    // zeroed first: a pass over fresh memory the copy makes anyway).
    enum Fold { XOR_INTO, COPY_INTO };
    // Continues both CRCs over the chunk, and folds it into `foldInto` (size
    // bytes) unless that is null. The chunk may be read meanwhile, but not
    // changed or released until finishChunk has returned.
    void startChunk(const void* data, size_t size, unsigned char* foldInto = nullptr,
                    Fold fold = XOR_INTO);
    // Waits until the chunk started last has been taken.
    void finishChunk();
    // The CRC-32 of every chunk started so far.
    uint32_t checksum();
    // The CRC-32 of the chunks started since the last startPiece (or the start).
    uint32_t pieceChecksum();
    void startPiece();

private:
    struct State;
    // Room for the system side's state, which this header does not see.
    alignas(void*) unsigned char state_[20 * sizeof(void*)];
    State& state();
};

class RawFile;

// Writes the chunk to the file while the thread, where there is one, takes
// its CRC; returns when both are done, so the chunk's buffer may be reused.
// True when the write succeeded.
bool WriteTakingChecksum(RawFile& file, const void* chunk, size_t size, ChecksumThread* checksum,
                         unsigned char* foldInto = nullptr,
                         ChecksumThread::Fold fold = ChecksumThread::XOR_INTO);

// target[i] ^= data[i] for the first `size` bytes.
void XorInto(unsigned char* target, const unsigned char* data, size_t size);
