// Times Brindle's split run on a real file: the engine with a host that
// answers nothing and only counts its progress calls. With "no-checksum" the
// engine takes no CRC-32 of the file, to measure what the checksum costs;
// with "recovery" it adds the recovery piece, and the bytes counted are all
// it writes (the pieces and the recovery piece).
//
//   bench_split SOURCE FOLDER PIECE_SIZE [no-checksum | recovery]
//
// Prints one line: "split <bytes> <seconds> <MB/s> peak_working_set=<bytes> progress_calls=<n>".
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench_clock.h"
#include "file_system.h"
#include "job_flags.h"
#include "message_box.h"
#include "path_text.h"
#include "split_job.h"

namespace {

class CountingHost : public SplitHost {
public:
    CountingHost(std::string file, std::string folder, int64_t size)
        : file_(std::move(file)), folder_(std::move(folder)), size_(size)
    {
    }
    int progressCalls = 0;
    int boxes = 0;

    std::string fileFieldText() override { return file_; }
    std::string folderFieldText() override { return folder_; }
    int64_t pieceSize() override { return size_; }
    bool addRecoveryPiece() override { return recoveryPiece; }
    bool recoveryPiece = false;
    int messageBox(const std::string& text, unsigned) override
    {
        ++boxes;
        fprintf(stderr, "message: %s\n", text.c_str());
        return box::ANSWER_YES;
    }
    int confirmOverwrite(const std::string&) override { return box::ANSWER_YES; }
    void setSplitControls(bool) override {}
    void setProgress(int) override { ++progressCalls; }
    void setStatusText(const std::string&) override {}
    void pumpMessages() override {}
    void setArrowCursor() override {}
    void rememberRecent() override {}
    bool loadCombinerTemplate(std::vector<unsigned char>&) override { return false; }

private:
    std::string file_, folder_;
    int64_t size_;
};

}  // namespace

int main(int argc, char** argv)
{
    const char* option = argc == 5 ? argv[4] : "";
    bool takeChecksum = strcmp(option, "no-checksum") != 0;
    if (argc < 4 || argc > 5 || (argc == 5 && takeChecksum && strcmp(option, "recovery") != 0)) {
        fprintf(stderr, "usage: bench_split SOURCE FOLDER PIECE_SIZE [no-checksum | recovery]\n");
        return 2;
    }
    CountingHost host(argv[1], argv[2], _atoi64(argv[3]));
    host.recoveryPiece = strcmp(option, "recovery") == 0;
    BenchClock clock;
    runSplitJob(host, takeChecksum);
    double seconds = clock.seconds();
    if (host.boxes > 0) return 1;
    std::string recovery = std::string(argv[2]) + "\\" + FileNamePart(argv[1]) + ".recovery";
    int64_t bytes = getFileSize(argv[1]) + (host.recoveryPiece ? getFileSize(recovery.c_str()) : 0);
    printf("split %lld %.3f %.1f peak_working_set=%llu progress_calls=%d\n", (long long)bytes,
           seconds, bytes / seconds / 1e6, (unsigned long long)PeakWorkingSet(),
           host.progressCalls);
    return 0;
}
