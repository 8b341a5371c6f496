/* The split's and the rebuild's copy loop built for Linux, without Wine or
 * Brindle's code: one buffer for the whole run, one read and one write per
 * chunk of at most CHUNK bytes. Run with 4 MiB chunks (Brindle's) and with
 * 128 KiB (coreutils'), it tells what the chunk size alone costs on the
 * machine, apart from Wine.
 *
 *   native_copy split SOURCE PREFIX PIECE_SIZE CHUNK    pieces PREFIX0001, ...
 *   native_copy rebuild PREFIX COUNT OUTPUT CHUNK        the reverse
 *   native_copy touch MIB     first and second write to fresh memory, per page
 *
 * Prints "<bytes> <seconds> <MB/s>", or for touch "<first> <second>" in
 * microseconds per 4 KiB page. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

static double Now(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

static int CopyBytes(int in, int out, char* buffer, size_t chunk, long long count)
{
    while (count > 0) {
        size_t part = count < (long long)chunk ? (size_t)count : chunk;
        if (read(in, buffer, part) != (ssize_t)part) return 0;
        if (write(out, buffer, part) != (ssize_t)part) return 0;
        count -= (long long)part;
    }
    return 1;
}

static void PieceName(char* name, size_t size, const char* prefix, int number)
{
    snprintf(name, size, "%s%04d", prefix, number);
}

static long long Split(const char* source, const char* prefix, long long pieceSize, char* buffer,
                       size_t chunk)
{
    int in = open(source, O_RDONLY);
    if (in < 0) return -1;
    long long size = lseek(in, 0, SEEK_END), left = size;
    lseek(in, 0, SEEK_SET);
    for (int number = 1; left > 0; ++number) {
        char name[4096];
        PieceName(name, sizeof name, prefix, number);
        int out = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        long long part = left < pieceSize ? left : pieceSize;
        if (out < 0 || !CopyBytes(in, out, buffer, chunk, part)) return -1;
        close(out);
        left -= part;
    }
    close(in);
    return size;
}

static long long Rebuild(const char* prefix, int count, const char* output, char* buffer,
                         size_t chunk)
{
    int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return -1;
    long long total = 0;
    for (int number = 1; number <= count; ++number) {
        char name[4096];
        PieceName(name, sizeof name, prefix, number);
        int in = open(name, O_RDONLY);
        if (in < 0) return -1;
        long long size = lseek(in, 0, SEEK_END);
        lseek(in, 0, SEEK_SET);
        if (!CopyBytes(in, out, buffer, chunk, size)) return -1;
        close(in);
        total += size;
    }
    close(out);
    return total;
}

/* Writing to memory the system has just handed out costs a page fault per
 * page; in a virtual machine that has given its free memory back to the
 * host, much more. */
static int Touch(size_t mib)
{
    size_t bytes = mib << 20, pages = bytes / 4096;
    char* memory = mmap(NULL, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return 1;
    double start = Now();
    for (size_t i = 0; i < bytes; i += 4096) memory[i] = 1;
    double first = Now();
    for (size_t i = 0; i < bytes; i += 4096) memory[i] = 2;
    double second = Now();
    printf("%.3f %.3f\n", (first - start) / pages * 1e6, (second - first) / pages * 1e6);
    munmap(memory, bytes);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "touch") == 0) return Touch((size_t)atol(argv[2]));
    if (argc != 6) {
        fprintf(stderr, "usage: native_copy split SOURCE PREFIX PIECE_SIZE CHUNK\n"
                        "       native_copy rebuild PREFIX COUNT OUTPUT CHUNK\n"
                        "       native_copy touch MIB\n");
        return 2;
    }
    size_t chunk = (size_t)atol(argv[5]);
    char* buffer = malloc(chunk);
    if (buffer == NULL) return 1;
    memset(buffer, 0, chunk);
    double start = Now();
    long long bytes = strcmp(argv[1], "split") == 0
                          ? Split(argv[2], argv[3], atoll(argv[4]), buffer, chunk)
                          : Rebuild(argv[2], atoi(argv[3]), argv[4], buffer, chunk);
    double seconds = Now() - start;
    if (bytes < 0) {
        perror("native_copy");
        return 1;
    }
    printf("%lld %.3f %.1f\n", bytes, seconds, bytes / seconds / 1e6);
    return 0;
}
