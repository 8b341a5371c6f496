#include "parameter_text.h"

#include <string.h>

#include "crc32.h"
#include "path_text.h"
#include "resource.h"
#include "shared_constants.h"

void CutAtTerminator(char* text)
{
    char* terminator = strchr(text, '*');
    if (terminator) *terminator = '\0';
}

static uint64_t ParseMagnitude(const char* text, bool* negative)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r')) ++text;
    *negative = *text == '-';
    if (*text == '+' || *text == '-') ++text;
    uint64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) value = value * 10 + (uint64_t)(*text - '0');
    return value;
}

int64_t ParseDecimal64(const char* text)
{
    bool negative;
    uint64_t magnitude = ParseMagnitude(text, &negative);
    return (int64_t)(negative ? 0 - magnitude : magnitude);
}

int32_t ParseDecimal32(const char* text)
{
    return (int32_t)(uint32_t)ParseDecimal64(text);
}

void LoadParameterText(ReassemblyHost& host, int id, char* out, int capacity)
{
    out[0] = '\0';
    host.loadString(id, out, capacity);
    CutAtTerminator(out);
}

void LoadFileName(ReassemblyHost& host, char* out)
{
    LoadParameterText(host, IDS_FILE_NAME, out, FILE_NAME_CAPACITY);
}

int32_t LoadPieceCount(ReassemblyHost& host)
{
    char text[PIECE_COUNT_CAPACITY];
    LoadParameterText(host, IDS_PIECE_COUNT, text, sizeof text);
    return ParseDecimal32(text);
}

int64_t LoadFileSize(ReassemblyHost& host)
{
    char text[FILE_SIZE_CAPACITY];
    LoadParameterText(host, IDS_FILE_SIZE, text, sizeof text);
    return ParseDecimal64(text);
}

bool LoadChecksum(ReassemblyHost& host, uint32_t& checksum)
{
    char text[CHECKSUM_CAPACITY];
    LoadParameterText(host, IDS_CHECKSUM, text, sizeof text);
    return ParseChecksum(text, checksum);
}

void FitNameAfterFolder(char* name, size_t folderLength)
{
    size_t nameLength = strlen(name);
    if (nameLength + folderLength + 1 <= MAX_TEXT) return;
    size_t room = folderLength < MAX_TEXT - 1 ? MAX_TEXT - 1 - folderLength : 0;
    name[CutLength(name, nameLength, room, AnsiCodePageIsUtf8())] = '\0';
}
