// Writes Create_<base name>.exe beside the pieces: the combiner template with
// the file name, piece count and file size patched in.
#pragma once

#include <stdint.h>

#include <optional>
#include <string>
#include <vector>

#include "job_questions.h"

// What the writer needs of the job that calls it: the questions, and the
// template of the program.
class CombinerWriterHost : public QuestionHost {
public:
    // The combiner program's template (the finished combiner file);
    // false when it cannot be found or loaded.
    virtual bool loadCombinerTemplate(std::vector<unsigned char>& image) = 0;
};

enum class CombinerWriteResult {
    Written,              // the program is on disk
    TemplateUnavailable,  // the template cannot be found or loaded; nothing shown
    JobStopped,           // refused, cancelled, no room or not writable; its
                          // message shown, the job is to be ended
};

// CombinerReserve: the room the destination must have for the program, or
// the program's size where that is larger (a long list of piece checksums).
const int64_t COMBINER_RESERVE = 40960;

// Without a checksum the program keeps the template's placeholder and makes
// no content check; without piece checksums (4 little-endian bytes each) it
// carries no list of them. On a removable drive whose last disk is too full,
// the program goes onto the disk after lastDisk (0: the last piece's).
CombinerWriteResult WriteCombinerProgram(CombinerWriterHost& host, const std::string& sourcePath,
                                         const std::string& piecesFolder, int32_t pieceCount,
                                         int64_t fileSize,
                                         std::optional<uint32_t> checksum = std::nullopt,
                                         const std::vector<unsigned char>& pieceChecksums = {},
                                         int32_t lastDisk = 0);
