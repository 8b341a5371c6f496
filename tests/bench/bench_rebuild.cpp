// Times the combiner's reassembly run on real pieces: the run with a host
// that answers Yes, gives the parameters and only counts its progress calls.
// With CHECKSUM (eight hexadecimal digits, the file's CRC-32) the run checks
// the content; without it, as a program without a checksum, it does not.
// With PROGRAM (a written Create_<name>.exe) it checks each piece against the
// list at that program's end, as that program does.
//
//   bench_rebuild PIECES_FOLDER NAME PIECE_COUNT FILE_SIZE OUTPUT [CHECKSUM [PROGRAM]]
//
// Prints one line: "rebuild <bytes> <seconds> <MB/s> peak_working_set=<bytes> progress_calls=<n>".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench_clock.h"
#include "path_text.h"
#include "reassembly.h"

namespace {

class CountingHost : public ReassemblyHost {
public:
    const char* output;
    const char* folder;
    const char* parameters[4];  // entries 103 to 106
    const char* program = "";   // a file that ends with the list of the pieces' checksums
    int progressCalls = 0;
    int boxes = 0;

    void readFileToCreate(char* out, size_t size) override
    {
        CopyText(out, size, output, strlen(output));
    }
    void readPiecesFolder(char* out, size_t size) override
    {
        CopyText(out, size, folder, strlen(folder));
    }
    void loadString(int id, char* out, int capacity) override
    {
        const char* text = parameters[id - 103];
        CopyText(out, (size_t)capacity, text, strlen(text));
    }
    bool programPath(char* out, size_t size) override
    {
        return CopyText(out, size, program, strlen(program)) && *program;
    }
    int messageBox(const char* text, unsigned) override
    {
        if (strncmp(text, "The file was created successfully.", 34) != 0) {
            ++boxes;
            fprintf(stderr, "message: %s\n", text);
        }
        return box::ANSWER_YES;
    }
    void showProgress(int, const char*) override { ++progressCalls; }
    void pumpMessages() override {}
    void* obtainBuffer(size_t size) override { return malloc(size); }
    void releaseBuffer(void* buffer) override { free(buffer); }
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 6 || argc > 8) {
        fprintf(stderr,
                "usage: bench_rebuild PIECES_FOLDER NAME PIECE_COUNT FILE_SIZE OUTPUT "
                "[CHECKSUM [PROGRAM]]\n");
        return 2;
    }
    CountingHost host;
    host.folder = argv[1];
    host.parameters[0] = argv[2];
    host.parameters[1] = argv[3];
    host.parameters[2] = argv[4];
    host.parameters[3] = argc >= 7 ? argv[6] : "";
    if (argc == 8) host.program = argv[7];
    host.output = argv[5];
    BenchClock clock;
    bool created = ReassembleFile(host);
    double seconds = clock.seconds();
    if (!created || host.boxes > 0) return 1;
    long long bytes = _atoi64(argv[4]);
    printf("rebuild %lld %.3f %.1f peak_working_set=%llu progress_calls=%d\n", bytes, seconds,
           bytes / seconds / 1e6, (unsigned long long)PeakWorkingSet(), host.progressCalls);
    return 0;
}
