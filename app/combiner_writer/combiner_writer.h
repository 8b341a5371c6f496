// Writes Create_<base name>.exe beside the pieces: the combiner template with
// the file name, piece count and file size patched in.
#pragma once

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "split_host.h"

enum class CombinerWriteResult {
    Written,              // the program is on disk
    TemplateUnavailable,  // the template cannot be found or loaded; nothing shown
    JobStopped,           // refused, cancelled, no room or not writable: the job has
                          // already been ended through endSplitJob
};

// CombinerReserve: the room the destination must have for the program, or
// the program's size where that is larger (a long list of piece checksums).
const int64_t COMBINER_RESERVE = 40960;

// Without a checksum the program keeps the template's placeholder and makes
// no content check; without piece checksums (4 little-endian bytes each) it
// carries no list of them. On a removable drive whose last disk is too full,
// the program goes onto the disk after lastDisk (0: the last piece's).
CombinerWriteResult WriteCombinerProgram(SplitHost& host, const std::string& sourcePath,
                                         const std::string& piecesFolder, int32_t pieceCount,
                                         int64_t fileSize,
                                         std::optional<uint32_t> checksum = std::nullopt,
                                         const std::vector<unsigned char>& pieceChecksums = {},
                                         int32_t lastDisk = 0);
