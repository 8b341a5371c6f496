#include "piece_checksums.h"

#include <string.h>

#include "crc32.h"

namespace {

const char LIST_TAG[] = "BRNDSUMS";
const char RECORD_TAG[] = "BRNDRCVR";
const uint32_t RECORD_VERSION = 1;
const size_t TAG_SIZE = 8;

uint64_t GetLittleEndian64(const unsigned char* at)
{
    return GetLittleEndian32(at) | (uint64_t)GetLittleEndian32(at + 4) << 32;
}

void PutLittleEndian64(unsigned char* at, uint64_t value)
{
    PutLittleEndian32(at, (uint32_t)value);
    PutLittleEndian32(at + 4, (uint32_t)(value >> 32));
}

}  // namespace

uint32_t GetLittleEndian32(const unsigned char* at)
{
    return at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

void PutLittleEndian32(unsigned char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = (unsigned char)(value >> (8 * i));
}

uint32_t ListedChecksum(const unsigned char* entries, int32_t number)
{
    return GetLittleEndian32(entries + 4 * (size_t)(number - 1));
}

size_t PieceListSize(int32_t count)
{
    return 4 * (size_t)count + PIECE_LIST_TRAILER_SIZE;
}

void WritePieceList(unsigned char* out, const unsigned char* entries, int32_t count)
{
    size_t size = 4 * (size_t)count;
    memmove(out, entries, size);
    PutLittleEndian32(out + size, (uint32_t)count);
    PutLittleEndian32(out + size + 4, Crc32Update(0, entries, size));
    memcpy(out + size + 8, LIST_TAG, TAG_SIZE);
}

int32_t PieceListCount(const unsigned char* trailer)
{
    uint32_t count = GetLittleEndian32(trailer);
    bool tagged = strncmp((const char*)trailer + 8, LIST_TAG, TAG_SIZE) == 0;
    return tagged && count >= 1 && count <= (uint32_t)MAX_LISTED_PIECES ? (int32_t)count : 0;
}

bool PieceListIntact(const unsigned char* entries, int32_t count, const unsigned char* trailer)
{
    return Crc32Update(0, entries, 4 * (size_t)count) == GetLittleEndian32(trailer + 4);
}

size_t RecoveryRecordSize(int32_t pieceCount, size_t nameLength)
{
    return 48 + 4 * (size_t)pieceCount + nameLength;
}

void WriteRecoveryRecord(const RecoveryRecord& record, unsigned char* out)
{
    memcpy(out, RECORD_TAG, TAG_SIZE);
    PutLittleEndian32(out + 8, RECORD_VERSION);
    PutLittleEndian32(out + 12, (uint32_t)record.pieceCount);
    PutLittleEndian64(out + 16, (uint64_t)record.fileSize);
    PutLittleEndian64(out + 24, (uint64_t)record.pieceSize);
    PutLittleEndian32(out + 32, record.fileChecksum);
    PutLittleEndian32(out + 36, record.dataChecksum);
    size_t at = 40 + 4 * (size_t)record.pieceCount;
    memmove(out + 40, record.pieceChecksums, at - 40);
    PutLittleEndian32(out + at, (uint32_t)record.nameLength);
    memmove(out + at + 4, record.name, record.nameLength);
    at += 4 + record.nameLength;
    PutLittleEndian32(out + at, Crc32Update(0, out, at));
}

bool ReadRecoveryRecord(const unsigned char* data, size_t size, RecoveryRecord& record)
{
    if (size < 48 || strncmp((const char*)data, RECORD_TAG, TAG_SIZE) != 0 ||
        GetLittleEndian32(data + 8) != RECORD_VERSION)
        return false;
    uint32_t count = GetLittleEndian32(data + 12);
    if (count < 1 || count > (uint32_t)MAX_LISTED_PIECES || size < RecoveryRecordSize(count, 0))
        return false;
    size_t at = 40 + 4 * (size_t)count;
    uint32_t nameLength = GetLittleEndian32(data + at);
    if (nameLength > MAX_RECOVERY_NAME || size < RecoveryRecordSize(count, nameLength))
        return false;
    size_t checked = at + 4 + nameLength;
    if (Crc32Update(0, data, checked) != GetLittleEndian32(data + checked)) return false;
    record.pieceCount = (int32_t)count;
    record.fileSize = (int64_t)GetLittleEndian64(data + 16);
    record.pieceSize = (int64_t)GetLittleEndian64(data + 24);
    record.fileChecksum = GetLittleEndian32(data + 32);
    record.dataChecksum = GetLittleEndian32(data + 36);
    record.pieceChecksums = data + 40;
    record.name = (const char*)data + at + 4;
    record.nameLength = nameLength;
    // Sizes that no split gives are no record of one.
    return record.pieceSize > 0 && record.pieceSize <= MAX_RECOVERY_PIECE_SIZE &&
           record.fileSize > (int64_t)(count - 1) * record.pieceSize &&
           record.fileSize <= (int64_t)count * record.pieceSize;
}
