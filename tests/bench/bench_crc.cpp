// Times the CRC-32 alone, in memory: over a buffer that stays in the cache,
// and over copy-buffer chunks just written by a copy from a larger block, as
// a read leaves them. Tells how much of a run's time the checksum can take.
//
//   bench_crc
//
// Prints one line: "crc32 hot <GB/s> just_copied <GB/s>".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "bench_clock.h"
#include "crc32.h"
#include "shared_constants.h"

namespace {

const size_t HOT_SIZE = 262144;
const int HOT_ROUNDS = 4096;
const size_t SOURCE_SIZE = 256u << 20;

double HotGigabytesPerSecond(const unsigned char* buffer)
{
    uint32_t crc = 0;
    BenchClock clock;
    for (int round = 0; round < HOT_ROUNDS; ++round) crc = Crc32Update(crc, buffer, HOT_SIZE);
    double seconds = clock.seconds();
    if (crc == 0) puts("");  // keeps the loop from being optimised away
    return (double)HOT_SIZE * HOT_ROUNDS / seconds / 1e9;
}

// Only the checksum is timed, each time right after its chunk was copied in.
double JustCopiedGigabytesPerSecond(const unsigned char* source, unsigned char* buffer)
{
    uint32_t crc = 0;
    double seconds = 0;
    for (size_t at = 0; at < SOURCE_SIZE; at += COPY_BUFFER_SIZE) {
        memcpy(buffer, source + at, COPY_BUFFER_SIZE);
        BenchClock clock;
        crc = Crc32Update(crc, buffer, COPY_BUFFER_SIZE);
        seconds += clock.seconds();
    }
    if (crc == 0) puts("");
    return (double)SOURCE_SIZE / seconds / 1e9;
}

}  // namespace

int main()
{
    std::vector<unsigned char> source(SOURCE_SIZE), buffer(COPY_BUFFER_SIZE);
    for (size_t i = 0; i < source.size(); ++i) source[i] = (unsigned char)(i * 2654435761u >> 13);
    // The best of three of each: other programs on the machine only ever slow it down.
    double hot = 0, copied = 0;
    for (int run = 0; run < 3; ++run) {
        hot = std::max(hot, HotGigabytesPerSecond(buffer.data()));
        copied = std::max(copied, JustCopiedGigabytesPerSecond(source.data(), buffer.data()));
    }
    printf("crc32 hot %.1f just_copied %.1f\n", hot, copied);
    return 0;
}
