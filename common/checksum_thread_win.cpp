#include "checksum_thread.h"

#include <windows.h>

#include <new>

#include "crc32.h"
#include "file_system.h"

// A slim lock and two condition variables hand a chunk over and back. They
// wait inside the process: a chunk costs the copying thread one wake-up call,
// where an event would cost it two round trips to the system per chunk.
// They came with Windows Vista and the combiner runs on older systems too, so
// the calls are looked up, and without them the chunks are taken in line.
struct ThreadCalls {
    decltype(&CreateThread) createThread;
    decltype(&WaitForSingleObject) waitForThread;
    decltype(&AcquireSRWLockExclusive) lock;
    decltype(&ReleaseSRWLockExclusive) unlock;
    decltype(&SleepConditionVariableSRW) sleep;
    decltype(&WakeConditionVariable) wake;
};

struct ChecksumThread::State {
    ThreadCalls calls;
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
        State& state = *static_cast<State*>(parameter);
        const ThreadCalls& call = state.calls;
        call.lock(&state.lock);
        for (;;) {
            while (!state.chunkWaiting && !state.stopping)
                call.sleep(&state.chunkStarted, &state.lock, INFINITE, 0);
            if (!state.chunkWaiting) break;
            const void* data = state.data;
            size_t size = state.size;
            uint32_t crc = state.crc;
            call.unlock(&state.lock);
            crc = Crc32Update(crc, data, size);
            call.lock(&state.lock);
            state.crc = crc;
            state.chunkWaiting = false;
            call.wake(&state.chunkTaken);
        }
        call.unlock(&state.lock);
        return 0;
    }
};

namespace {

template <typename Call>
bool LookUp(HMODULE kernel, const char* name, Call& call)
{
    call = (Call)(void*)GetProcAddress(kernel, name);
    return call != nullptr;
}

bool LookUpThreadCalls(ThreadCalls& calls)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel && LookUp(kernel, "CreateThread", calls.createThread) &&
           LookUp(kernel, "WaitForSingleObject", calls.waitForThread) &&
           LookUp(kernel, "AcquireSRWLockExclusive", calls.lock) &&
           LookUp(kernel, "ReleaseSRWLockExclusive", calls.unlock) &&
           LookUp(kernel, "SleepConditionVariableSRW", calls.sleep) &&
           LookUp(kernel, "WakeConditionVariable", calls.wake);
}

}  // namespace

ChecksumThread::State& ChecksumThread::state()
{
    return *reinterpret_cast<State*>(state_);
}

ChecksumThread::ChecksumThread()
{
    static_assert(sizeof(State) <= sizeof state_, "the state fits its room");
    State& s = *new (state_) State;
    if (LookUpThreadCalls(s.calls))
        s.thread = s.calls.createThread(nullptr, 0, State::TakeChunks, &s, 0, nullptr);
}

ChecksumThread::~ChecksumThread()
{
    State& s = state();
    if (s.thread) {
        s.calls.lock(&s.lock);
        s.stopping = true;  // a chunk still waiting is taken first
        s.calls.unlock(&s.lock);
        s.calls.wake(&s.chunkStarted);
        s.calls.waitForThread(s.thread, INFINITE);
        CloseHandle(s.thread);
    }
    s.~State();
}

void ChecksumThread::startChunk(const void* data, size_t size)
{
    State& s = state();
    if (!s.thread) {
        s.crc = Crc32Update(s.crc, data, size);
        return;
    }
    s.calls.lock(&s.lock);
    s.data = data;
    s.size = size;
    s.chunkWaiting = true;
    s.calls.unlock(&s.lock);
    s.calls.wake(&s.chunkStarted);
}

void ChecksumThread::finishChunk()
{
    State& s = state();
    if (!s.thread) return;
    s.calls.lock(&s.lock);
    while (s.chunkWaiting) s.calls.sleep(&s.chunkTaken, &s.lock, INFINITE, 0);
    s.calls.unlock(&s.lock);
}

uint32_t ChecksumThread::checksum()
{
    finishChunk();
    return state().crc;
}

bool WriteTakingChecksum(RawFile& file, const void* chunk, size_t size, ChecksumThread* checksum)
{
    if (checksum) checksum->startChunk(chunk, size);
    bool written = file.writeExact(chunk, size);
    if (checksum) checksum->finishChunk();
    return written;
}
