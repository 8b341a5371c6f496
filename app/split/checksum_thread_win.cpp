#include "checksum_thread.h"

#include <windows.h>

#include "crc32.h"

// A slim lock and two condition variables hand a chunk over and back. They
// wait inside the process: a chunk costs the job's thread one wake-up call,
// where an event would cost it two round trips to the system per chunk.
struct ChecksumThread::State {
    HANDLE thread = nullptr;
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE chunkStarted = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE chunkTaken = CONDITION_VARIABLE_INIT;
    // Under the lock.
    const void* data = nullptr;
    size_t size = 0;
    bool chunkWaiting = false;  // started and not yet taken
    bool stopping = false;
    uint32_t crc = 0;

    static DWORD WINAPI TakeChunks(void* parameter)
    {
        auto& state = *static_cast<State*>(parameter);
        AcquireSRWLockExclusive(&state.lock);
        for (;;) {
            while (!state.chunkWaiting && !state.stopping)
                SleepConditionVariableSRW(&state.chunkStarted, &state.lock, INFINITE, 0);
            if (!state.chunkWaiting) break;
            const void* data = state.data;
            size_t size = state.size;
            uint32_t crc = state.crc;
            ReleaseSRWLockExclusive(&state.lock);
            crc = Crc32Update(crc, data, size);
            AcquireSRWLockExclusive(&state.lock);
            state.crc = crc;
            state.chunkWaiting = false;
            WakeConditionVariable(&state.chunkTaken);
        }
        ReleaseSRWLockExclusive(&state.lock);
        return 0;
    }
};

ChecksumThread::ChecksumThread() : state_(new State)
{
    state_->thread = CreateThread(nullptr, 0, State::TakeChunks, state_.get(), 0, nullptr);
}

ChecksumThread::~ChecksumThread()
{
    if (!state_->thread) return;
    AcquireSRWLockExclusive(&state_->lock);
    state_->stopping = true;  // a chunk still waiting is taken first
    ReleaseSRWLockExclusive(&state_->lock);
    WakeConditionVariable(&state_->chunkStarted);
    WaitForSingleObject(state_->thread, INFINITE);
    CloseHandle(state_->thread);
}

void ChecksumThread::startChunk(const void* data, size_t size)
{
    if (!state_->thread) {
        state_->crc = Crc32Update(state_->crc, data, size);
        return;
    }
    AcquireSRWLockExclusive(&state_->lock);
    state_->data = data;
    state_->size = size;
    state_->chunkWaiting = true;
    ReleaseSRWLockExclusive(&state_->lock);
    WakeConditionVariable(&state_->chunkStarted);
}

void ChecksumThread::finishChunk()
{
    if (!state_->thread) return;
    AcquireSRWLockExclusive(&state_->lock);
    while (state_->chunkWaiting)
        SleepConditionVariableSRW(&state_->chunkTaken, &state_->lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&state_->lock);
}

uint32_t ChecksumThread::checksum() const
{
    AcquireSRWLockExclusive(&state_->lock);
    uint32_t crc = state_->crc;
    ReleaseSRWLockExclusive(&state_->lock);
    return crc;
}
