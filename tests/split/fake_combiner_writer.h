// Stands in for the combiner writer in the split tests: records the hand-over
// and answers as scripted.
#pragma once

#include <stdint.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "combiner_writer.h"

struct CombinerHandOver {
    std::string sourcePath;
    std::string piecesFolder;
    int32_t pieceCount;
    int64_t fileSize;
    std::optional<uint32_t> checksum;
};

struct FakeCombinerWriter {
    std::vector<CombinerHandOver> calls;
    CombinerWriteResult result = CombinerWriteResult::Written;
    // Runs inside the writer, e.g. to request a cancel while it works.
    std::function<void()> whileWriting;
};

extern FakeCombinerWriter fakeCombinerWriter;
