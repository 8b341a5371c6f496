#include "checksum_thread.h"

#include <windows.h>

#include <string.h>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

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
    unsigned char* foldInto = nullptr;
    Fold fold = XOR_INTO;
    bool chunkWaiting = false;  // started and not yet taken
    bool stopping = false;
    uint32_t crc = 0;
    uint32_t pieceCrc = 0;

    // Outside the lock on the thread, or in line without one.
    void take(const void* chunk, size_t chunkSize, unsigned char* target, Fold how)
    {
        crc = Crc32Update(crc, chunk, chunkSize);
        pieceCrc = Crc32Update(pieceCrc, chunk, chunkSize);
        if (!target) return;
        if (how == COPY_INTO)
            memcpy(target, chunk, chunkSize);
        else
            XorInto(target, static_cast<const unsigned char*>(chunk), chunkSize);
    }

    static DWORD WINAPI TakeChunks(void* parameter)
    {
        State& state = *static_cast<State*>(parameter);
        const ThreadCalls& call = state.calls;
        call.lock(&state.lock);
        for (;;) {
            while (!state.chunkWaiting && !state.stopping)
                call.sleep(&state.chunkStarted, &state.lock, INFINITE, 0);
            if (!state.chunkWaiting) break;
            // While chunkWaiting is set, only this thread touches the CRCs.
            call.unlock(&state.lock);
            state.take(state.data, state.size, state.foldInto, state.fold);
            call.lock(&state.lock);
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

void ChecksumThread::startChunk(const void* data, size_t size, unsigned char* foldInto, Fold fold)
{
    State& s = state();
    if (!s.thread) {
        s.take(data, size, foldInto, fold);
        return;
    }
    s.calls.lock(&s.lock);
    s.data = data;
    s.size = size;
    s.foldInto = foldInto;
    s.fold = fold;
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

uint32_t ChecksumThread::pieceChecksum()
{
    finishChunk();
    return state().pieceCrc;
}

void ChecksumThread::startPiece()
{
    finishChunk();
    state().pieceCrc = 0;
}

bool WriteTakingChecksum(RawFile& file, const void* chunk, size_t size, ChecksumThread* checksum,
                         unsigned char* foldInto, ChecksumThread::Fold fold)
{
    if (checksum) checksum->startChunk(chunk, size, foldInto, fold);
    bool written = file.writeExact(chunk, size);
    if (checksum) checksum->finishChunk();
    return written;
}

void XorInto(unsigned char* target, const unsigned char* data, size_t size)
{
    size_t i = 0;
#ifdef __SSE2__
    // 64 bytes at a time where every processor of the word size has 128-bit registers.
    for (; i + 64 <= size; i += 64) {
        for (int k = 0; k < 64; k += 16) {
            __m128i a = _mm_loadu_si128((const __m128i*)(target + i + k));
            __m128i b = _mm_loadu_si128((const __m128i*)(data + i + k));
            _mm_storeu_si128((__m128i*)(target + i + k), _mm_xor_si128(a, b));
        }
    }
#endif
    // Eight bytes at a time; memcpy keeps unaligned buffers safe.
    for (; i + 8 <= size; i += 8) {
        uint64_t a, b;
        memcpy(&a, target + i, 8);
        memcpy(&b, data + i, 8);
        a ^= b;
        memcpy(target + i, &a, 8);
    }
    for (; i < size; ++i) target[i] ^= data[i];
}
