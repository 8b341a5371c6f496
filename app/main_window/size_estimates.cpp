#include "size_estimates.h"

#include "path_text.h"
#include "path_text_string.h"
#include "split_job.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Exact powers of ten up to 10^22; beyond that pow's rounding is harmless,
// as such numbers are far outside any usable piece size.
double PowerOfTen(int exponent)
{
    double result = 1.0;
    for (int i = 0; i < exponent && i < 400; ++i) result *= 10.0;
    return result;
}

// The value with one digit after the point, halves rounded up: "1.3".
// Integer arithmetic, so that 1,280 / 1,024 = 1.25 shows as 1.3.
std::string OneDecimal(int64_t size, int64_t divisor)
{
    int64_t whole = size / divisor;
    int64_t tenths = ((size % divisor) * 10 + divisor / 2) / divisor;
    if (tenths == 10) {
        ++whole;
        tenths = 0;
    }
    return FormatDecimal(whole) + "." + std::to_string(tenths);
}

}  // namespace

double ReadDecimalNumber(const std::string& text)
{
    size_t at = 0;
    while (at < text.size() && IsWhiteSpace(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';

    // Up to 19 significant digits are kept in an integer; the rest only scale.
    uint64_t mantissa = 0;
    int significant = 0;
    int scale = 0;  // the value is mantissa * 10^scale
    bool anyDigit = false;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        anyDigit = true;
        if (significant < 19) {
            mantissa = mantissa * 10 + (uint64_t)(text[at] - '0');
            if (mantissa != 0) ++significant;
        } else {
            ++scale;
        }
    }
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && IsDigit(text[at]); ++at) {
            anyDigit = true;
            if (significant < 19) {
                mantissa = mantissa * 10 + (uint64_t)(text[at] - '0');
                if (mantissa != 0) ++significant;
                --scale;
            }
        }
    }
    if (!anyDigit) return 0.0;

    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        size_t exponentAt = at + 1;
        bool exponentNegative = false;
        if (exponentAt < text.size() && (text[exponentAt] == '+' || text[exponentAt] == '-'))
            exponentNegative = text[exponentAt++] == '-';
        if (exponentAt < text.size() && IsDigit(text[exponentAt])) {
            int exponent = 0;
            for (; exponentAt < text.size() && IsDigit(text[exponentAt]); ++exponentAt)
                if (exponent < 100000) exponent = exponent * 10 + (text[exponentAt] - '0');
            scale += exponentNegative ? -exponent : exponent;
        }
    }

    // One multiplication or division of two exact values rounds once, as a
    // correct conversion does.
    double value = (double)mantissa;
    if (mantissa != 0) value = scale >= 0 ? value * PowerOfTen(scale) : value / PowerOfTen(-scale);
    return negative ? -value : value;
}

int64_t CustomPieceSize(const std::string& numberText, int unitIndex)
{
    double bytes = ReadDecimalNumber(numberText);
    for (int step = 0; step < unitIndex; ++step) bytes *= 1024.0;
    // 2^63 is exactly representable; the range test also refuses a non-number.
    const double limit = 9223372036854775808.0;
    if (!(bytes > -limit && bytes < limit)) return INT64_MIN;
    return (int64_t)bytes;
}

int64_t PieceSizeFor(int sizeChoice, const std::string& numberText, int unitIndex)
{
    if (sizeChoice == 0) return FLOPPY_PIECE_SIZE;
    return CustomPieceSize(numberText, unitIndex);
}

std::string FormatFileSize(int64_t size)
{
    const int64_t KB = 1024, MB = 1048576, GB = 1073741824;
    std::string exact = FormatWithSeparators(size);
    if (size <= KB) return exact + " bytes";
    std::string scaled;
    if (size > GB)
        scaled = OneDecimal(size, GB) + " GB";
    else if (size > MB)
        scaled = OneDecimal(size, MB) + " MB";
    else
        scaled = OneDecimal(size, KB) + " KB";
    return scaled + " (" + exact + " bytes)";
}

std::string PieceCountText(int64_t fileSize, int64_t pieceSize)
{
    if (fileSize < 0 || pieceSize <= 0) return "";
    int64_t count = fileSize / pieceSize + (fileSize % pieceSize != 0 ? 1 : 0);
    if (count > MAX_PIECE_COUNT) return "";
    return FormatWithSeparators(count);
}
