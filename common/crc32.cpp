#include "crc32.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define CRC32_CARRYLESS 1
#endif

namespace {

const uint32_t REFLECTED_POLYNOMIAL = 0xEDB88320u;

// Slicing by eight: slices[k][b] is the register after the byte b followed
// by k zero bytes, so eight bytes cost eight look-ups and no dependency
// between them. Filled at start-up, not stored: 8 KiB the combiner's file
// does not carry. The section is named because with -fdata-sections MinGW's
// compiler gives zero-initialised data a data section of its own in the file.
__attribute__((section(".bss"))) uint32_t slices[8][256];

// The fastest method this processor offers: one
// instruction of the 256-bit kind does two of the 128-bit kind, and on
// processors that have it each takes about as long.
Crc32Method fastest;

#ifdef CRC32_CARRYLESS
// Whether the system saves the 256-bit registers with a thread's state:
// without that, using them would corrupt other threads' values.
bool SystemKeeps256BitRegisters()
{
    unsigned low, high;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    const unsigned SSE_AND_AVX_STATE = 6;
    return (low & SSE_AND_AVX_STATE) == SSE_AND_AVX_STATE;
}
#endif

Crc32Method FastestOfThisProcessor()
{
#ifdef CRC32_CARRYLESS
    unsigned a, b, c, d;
    if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_PCLMUL) || !(d & bit_SSE2))
        return CRC32_TABLES;
    bool avx = (c & bit_OSXSAVE) && (c & bit_AVX) && SystemKeeps256BitRegisters();
    if (avx && __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_AVX2) && (c & bit_VPCLMULQDQ))
        return CRC32_CARRYLESS_256;
    return CRC32_CARRYLESS_128;
#else
    return CRC32_TABLES;
#endif
}

struct Crc32Setup {
    Crc32Setup()
    {
        for (uint32_t byte = 0; byte < 256; ++byte) {
            uint32_t reg = byte;
            for (int bit = 0; bit < 8; ++bit)
                reg = (reg >> 1) ^ (reg & 1 ? REFLECTED_POLYNOMIAL : 0);
            slices[0][byte] = reg;
        }
        for (int k = 1; k < 8; ++k) {
            for (int byte = 0; byte < 256; ++byte) {
                uint32_t before = slices[k - 1][byte];
                slices[k][byte] = (before >> 8) ^ slices[0][before & 0xFF];
            }
        }
        fastest = FastestOfThisProcessor();
    }
} setup;

uint32_t Load32(const unsigned char* p)
{
    return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

// The register (not inverted) carried over the bytes with the tables.
uint32_t SliceBy8(uint32_t reg, const unsigned char* p, size_t size)
{
    const uint32_t(*t)[256] = slices;
    for (; size >= 8; p += 8, size -= 8) {
        uint32_t low = Load32(p) ^ reg;
        uint32_t high = Load32(p + 4);
        reg = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
              t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
              t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; size > 0; ++p, --size) reg = (reg >> 8) ^ t[0][(reg ^ *p) & 0xFF];
    return reg;
}

#ifdef CRC32_CARRYLESS

// Folding: a 16-byte block A followed by D more bits of message counts, modulo
// the polynomial, the same as A times x^D, which two carry-less products give
// in 16 bytes again: the low half of A (its higher powers, the message being
// bit-reflected) times x^(D+64) mod P, the high half times x^D mod P. Each
// constant holds x^(D-1) mod P bit-reflected in 64 bits; the product of two
// reflected values comes out one bit short, which makes up the missing x^1.
const uint64_t FOLD_1024_LOW = 0x7D657A1000000000ull;   // x^1087 mod P
const uint64_t FOLD_1024_HIGH = 0x7406FA9500000000ull;  // x^1023 mod P
const uint64_t FOLD_512_LOW = 0x653D982200000000ull;    // x^575 mod P
const uint64_t FOLD_512_HIGH = 0xCAD38E8F00000000ull;   // x^511 mod P
const uint64_t FOLD_256_LOW = 0x9570D49500000000ull;    // x^319 mod P
const uint64_t FOLD_256_HIGH = 0x01B5FD1D00000000ull;   // x^255 mod P
const uint64_t FOLD_128_LOW = 0x65673B4600000000ull;    // x^191 mod P
const uint64_t FOLD_128_HIGH = 0x9BA54C6F00000000ull;   // x^127 mod P

__attribute__((target("sse2,pclmul"))) inline __m128i Fold(__m128i block, __m128i constants,
                                                          __m128i next)
{
    __m128i low = _mm_clmulepi64_si128(block, constants, 0x00);
    __m128i high = _mm_clmulepi64_si128(block, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("sse2,pclmul"))) inline __m128i Load128(const unsigned char* p)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// The register carried over the one block x and `blocks` more blocks at p:
// each folded in one by one, then the remainder taken with the tables.
__attribute__((target("sse2,pclmul"))) inline uint32_t FoldRest(__m128i x, const unsigned char* p,
                                                                size_t blocks)
{
    const __m128i by1 = _mm_set_epi64x((long long)FOLD_128_HIGH, (long long)FOLD_128_LOW);
    for (; blocks > 0; p += 16, --blocks) x = Fold(x, by1, Load128(p));
    unsigned char rest[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rest), x);
    return SliceBy8(0, rest, sizeof rest);
}

// The register carried over `blocks` (at least 4) blocks of 16 bytes: four
// blocks folded side by side, then into one.
// The stack is realigned: 32-bit Windows keeps it aligned to 4 bytes only.
__attribute__((target("sse2,pclmul"), force_align_arg_pointer)) uint32_t FoldBlocks(
    uint32_t reg, const unsigned char* p, size_t blocks)
{
    const __m128i by4 = _mm_set_epi64x((long long)FOLD_512_HIGH, (long long)FOLD_512_LOW);
    const __m128i by1 = _mm_set_epi64x((long long)FOLD_128_HIGH, (long long)FOLD_128_LOW);
    __m128i x0 = _mm_xor_si128(Load128(p), _mm_cvtsi32_si128((int)reg));
    __m128i x1 = Load128(p + 16);
    __m128i x2 = Load128(p + 32);
    __m128i x3 = Load128(p + 48);
    p += 64;
    blocks -= 4;
    for (; blocks >= 4; p += 64, blocks -= 4) {
        x0 = Fold(x0, by4, Load128(p));
        x1 = Fold(x1, by4, Load128(p + 16));
        x2 = Fold(x2, by4, Load128(p + 32));
        x3 = Fold(x3, by4, Load128(p + 48));
    }
    return FoldRest(Fold(Fold(Fold(x0, by1, x1), by1, x2), by1, x3), p, blocks);
}

// What the 256-bit fold uses, all checked by FastestOfThisProcessor.
#define CRC32_WIDE "avx2,pclmul,vpclmulqdq"

// Two blocks side by side, each folded over the same distance.
__attribute__((target(CRC32_WIDE))) inline __m256i FoldTwo(__m256i blocks, __m256i constants,
                                                           __m256i next)
{
    __m256i low = _mm256_clmulepi64_epi128(blocks, constants, 0x00);
    __m256i high = _mm256_clmulepi64_epi128(blocks, constants, 0x11);
    return _mm256_xor_si256(_mm256_xor_si256(low, high), next);
}

__attribute__((target(CRC32_WIDE))) inline __m256i Load256(const unsigned char* p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target(CRC32_WIDE))) inline __m256i TwoConstants(uint64_t high, uint64_t low)
{
    return _mm256_set_epi64x((long long)high, (long long)low, (long long)high, (long long)low);
}

// As FoldBlocks, for at least 8 blocks: eight side by side, two to each of
// four 256-bit registers, the earlier one in the lower half; twice the bytes
// for each multiplication instruction.
__attribute__((target(CRC32_WIDE), force_align_arg_pointer)) uint32_t FoldBlocksWide(
    uint32_t reg, const unsigned char* p, size_t blocks)
{
    const __m256i by8 = TwoConstants(FOLD_1024_HIGH, FOLD_1024_LOW);
    const __m256i by2 = TwoConstants(FOLD_256_HIGH, FOLD_256_LOW);
    const __m128i by1 = _mm_set_epi64x((long long)FOLD_128_HIGH, (long long)FOLD_128_LOW);
    __m256i x0 = _mm256_xor_si256(Load256(p), _mm256_zextsi128_si256(_mm_cvtsi32_si128((int)reg)));
    __m256i x1 = Load256(p + 32);
    __m256i x2 = Load256(p + 64);
    __m256i x3 = Load256(p + 96);
    p += 128;
    blocks -= 8;
    for (; blocks >= 8; p += 128, blocks -= 8) {
        x0 = FoldTwo(x0, by8, Load256(p));
        x1 = FoldTwo(x1, by8, Load256(p + 32));
        x2 = FoldTwo(x2, by8, Load256(p + 64));
        x3 = FoldTwo(x3, by8, Load256(p + 96));
    }
    __m256i x = FoldTwo(FoldTwo(FoldTwo(x0, by2, x1), by2, x2), by2, x3);
    __m128i last = Fold(_mm256_castsi256_si128(x), by1, _mm256_extracti128_si256(x, 1));
    // The compiler does not always clear the upper halves before code of the
    // 128-bit kind, which some processors run slowly while they hold values.
    _mm256_zeroupper();
    return FoldRest(last, p, blocks);
}

#endif

}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* data, size_t size)
{
    return Crc32UpdateBy(fastest, crc, data, size);
}

Crc32Method Crc32FastestMethod()
{
    return fastest;
}

uint32_t Crc32UpdateBy(Crc32Method method, uint32_t crc, const void* data, size_t size)
{
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint32_t reg = ~crc;
    if (method > fastest) method = fastest;
#ifdef CRC32_CARRYLESS
    if (method != CRC32_TABLES && size >= 64) {
        size_t blocks = size / 16;
        reg = method == CRC32_CARRYLESS_256 && blocks >= 8 ? FoldBlocksWide(reg, p, blocks)
                                                           : FoldBlocks(reg, p, blocks);
        p += 16 * blocks;
        size -= 16 * blocks;
    }
#endif
    return ~SliceBy8(reg, p, size);
}

void FormatChecksum(uint32_t checksum, char* out)
{
    const char* const digits = "0123456789ABCDEF";
    for (int i = 0; i < 8; ++i) out[i] = digits[(checksum >> (28 - 4 * i)) & 0xF];
    out[8] = '\0';
}

bool ParseChecksum(const char* text, uint32_t& checksum)
{
    uint32_t value = 0;
    for (int i = 0; i < 8; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9')
            value = value << 4 | (uint32_t)(c - '0');
        else if (c >= 'A' && c <= 'F')
            value = value << 4 | (uint32_t)(c - 'A' + 10);
        else
            return false;
    }
    if (text[8] != '\0') return false;
    checksum = value;
    return true;
}
