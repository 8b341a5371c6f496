#include "fake_combiner_writer.h"

#include "split_job.h"

FakeCombinerWriter fakeCombinerWriter;

CombinerWriteResult WriteCombinerProgram(SplitHost& host, const std::string& sourcePath,
                                         const std::string& piecesFolder, int32_t pieceCount,
                                         int64_t fileSize, std::optional<uint32_t> checksum)
{
    fakeCombinerWriter.calls.push_back({sourcePath, piecesFolder, pieceCount, fileSize, checksum});
    if (fakeCombinerWriter.whileWriting) fakeCombinerWriter.whileWriting();
    if (fakeCombinerWriter.result == CombinerWriteResult::JobStopped) endSplitJob(host, false, "");
    return fakeCombinerWriter.result;
}
