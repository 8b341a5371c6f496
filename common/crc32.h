// CRC-32 as ZIP and PNG use it: reflected polynomial 0xEDB88320, initial
// value and final XOR 0xFFFFFFFF ("123456789" gives CBF43926). Shared by the
// split, which takes it of the file it cuts, and the combiner, which takes it
// of the file it writes.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The CRC of the bytes before (0 when there are none) continued over `size`
// bytes: chunks taken one after another give the CRC of the whole.
// Uses carry-less multiplication where the processor has it.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t size);

// The ways of computing it, slowest first, all giving the same value:
// tables alone, or carry-less multiplication of 128 or 256 bits.
enum Crc32Method { CRC32_TABLES, CRC32_CARRYLESS_128, CRC32_CARRYLESS_256 };
// The fastest this processor offers: the one Crc32Update takes.
Crc32Method Crc32FastestMethod();
// Crc32Update by the given method, or by the fastest if that is slower.
uint32_t Crc32UpdateBy(Crc32Method method, uint32_t crc, const void* data, size_t size);

// The text form the combiner carries and shows: eight upper-case hexadecimal
// digits, in CHECKSUM_TEXT_SIZE bytes with the terminating zero.
const size_t CHECKSUM_TEXT_SIZE = 9;
void FormatChecksum(uint32_t checksum, char* out);
// True only for exactly that form.
bool ParseChecksum(const char* text, uint32_t& checksum);
