// A split job: preparation of the request, the pieces, and its one end.
#pragma once

#include <stdint.h>

#include <string>

#include "split_host.h"

// 1.44 MB floppy: 1,457,664 bytes.
const int64_t FLOPPY_PIECE_SIZE = 1457664;
// The most pieces a split makes. The combiner's count slot holds nine digits
// and its terminator, so a count of 1,000,000,000 or more cannot be passed on.
const int64_t MAX_PIECE_COUNT = 999999999;

struct SplitJob {
    std::string filePath;      // the file field as typed
    std::string piecesFolder;  // trimmed, absolute, ending with a backslash
    bool onRemovableDrive = false;
    int64_t pieceSize = 0;
    int64_t fileSize = 0;
    int64_t pieceCount = 0;
    bool takeChecksum = true;
    bool addRecoveryPiece = false;
};

// The worker's whole job: prepare, write the pieces, write the combiner, and
// end in one place on every way out. The CRC-32 of the file is taken
// from the bytes read for the pieces and handed to the combiner writer;
// takeChecksum is false only where the copy is timed without it.
void runSplitJob(SplitHost& host, bool takeChecksum = true);

// "<file name>.recovery".
std::string RecoveryPieceName(const std::string& filePath);
