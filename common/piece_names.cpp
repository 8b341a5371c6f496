#include "piece_names.h"

#include <string.h>

#include "path_text.h"

int DecimalWidth(int64_t value)
{
    int width = 1;
    while (value >= 10) {
        value /= 10;
        ++width;
    }
    return width;
}

void PieceNumberText(int32_t number, int32_t count, char* out)
{
    char digits[DECIMAL_SIZE];
    size_t length = FormatDecimal(number, digits);
    size_t width = (size_t)DecimalWidth(count);
    size_t padding = width > length ? width - length : 0;
    memset(out, '0', padding);
    memcpy(out + padding, digits, length + 1);
}

bool PieceFileName(char* out, size_t size, const char* folder, const char* fileName,
                   int32_t number, int32_t count)
{
    char numberText[DECIMAL_SIZE];
    PieceNumberText(number, count, numberText);
    if (size == 0) return false;
    out[0] = '\0';
    return AppendText(out, size, folder) && AppendText(out, size, fileName) &&
           AppendText(out, size, ".") && AppendText(out, size, numberText);
}
