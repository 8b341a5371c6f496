// The CRC-32 of every piece, as the split hands it to the combiner in two
// places; all numbers are little-endian.
//
// The list after a written program's image (Windows' loader reads nothing
// past the last section), read by the program from its own file:
//   the CRC-32 of each piece from piece 1, 4 bytes each
//   the number of entries, 4 bytes
//   the CRC-32 of the entries, 4 bytes
//   the tag "BRNDSUMS", 8 bytes
//
// The record at the start of a recovery piece, <file name>.recovery:
//   offset 0   the tag "BRNDRCVR", 8 bytes
//          8   the format's version, 1, 4 bytes
//         12   the piece count n, 4 bytes
//         16   the file size, 8 bytes
//         24   the piece size, 8 bytes
//         32   the CRC-32 of the file, 4 bytes
//         36   the CRC-32 of the XOR data, 4 bytes
//         40   the CRC-32 of each piece, 4 n bytes
//     40 + 4n  the length L of the file name in bytes, 4 bytes
//     44 + 4n  the file name, L bytes (at most 511), no terminator
//  44 + 4n + L the CRC-32 of every byte of the record before it, 4 bytes
// and after the record the XOR data: piece size bytes, the byte-wise XOR of
// all pieces, the shorter last piece taken as padded with zeros.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The most pieces a list or a recovery piece is made for.
const int32_t MAX_LISTED_PIECES = 65535;
// The largest piece a recovery piece is made for: its XOR data is held in memory.
const int64_t MAX_RECOVERY_PIECE_SIZE = 268435456;
const size_t PIECE_LIST_TRAILER_SIZE = 16;
const size_t MAX_RECOVERY_NAME = 511;

uint32_t GetLittleEndian32(const unsigned char* at);
void PutLittleEndian32(unsigned char* at, uint32_t value);
// The entry of piece `number` (from 1) of a list of entries.
uint32_t ListedChecksum(const unsigned char* entries, int32_t number);

// Bytes of a list of `count` entries with its trailer.
size_t PieceListSize(int32_t count);
// Writes the entries (4 bytes each, as ListedChecksum reads them) and the
// trailer into out, which holds PieceListSize(count) bytes.
void WritePieceList(unsigned char* out, const unsigned char* entries, int32_t count);
// The number of entries a trailer (the last 16 bytes of a program) announces;
// 0 when the bytes are no trailer.
int32_t PieceListCount(const unsigned char* trailer);
// Whether the entries are the ones whose CRC the trailer holds.
bool PieceListIntact(const unsigned char* entries, int32_t count, const unsigned char* trailer);

struct RecoveryRecord {
    int32_t pieceCount;
    int64_t fileSize;
    int64_t pieceSize;
    uint32_t fileChecksum;
    uint32_t dataChecksum;
    const unsigned char* pieceChecksums;  // 4 bytes per piece, as ListedChecksum reads them
    const char* name;
    size_t nameLength;
};

size_t RecoveryRecordSize(int32_t pieceCount, size_t nameLength);
const size_t MAX_RECOVERY_RECORD_SIZE = 48 + 4 * (size_t)MAX_LISTED_PIECES + MAX_RECOVERY_NAME;
// Writes the record into out, which holds RecoveryRecordSize(...) bytes.
void WriteRecoveryRecord(const RecoveryRecord& record, unsigned char* out);
// True when the first `size` bytes of a recovery piece begin with an intact
// record of this version: tag, lengths and its CRC-32 agree. Its pointers
// then point into `data`. A damaged or foreign file gives false.
bool ReadRecoveryRecord(const unsigned char* data, size_t size, RecoveryRecord& record);
