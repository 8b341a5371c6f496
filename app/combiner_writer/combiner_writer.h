// Writes Create_<base name>.exe beside the pieces: the combiner template with
// the file name, piece count and file size patched in.
#pragma once

#include <stdint.h>

#include <optional>
#include <string>

#include "split_host.h"

enum class CombinerWriteResult {
    Written,              // the program is on disk
    TemplateUnavailable,  // the template cannot be found or loaded; nothing shown
    JobStopped,           // refused, cancelled, no room or not writable: the job has
                          // already been ended through endSplitJob
};

// CombinerReserve: the room the destination must have for the program.
const int64_t COMBINER_RESERVE = 40960;

// Without a checksum the program keeps the template's placeholder and makes
// no content check.
CombinerWriteResult WriteCombinerProgram(SplitHost& host, const std::string& sourcePath,
                                         const std::string& piecesFolder, int32_t pieceCount,
                                         int64_t fileSize,
                                         std::optional<uint32_t> checksum = std::nullopt);
