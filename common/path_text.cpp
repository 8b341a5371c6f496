#include "path_text.h"

#include <string.h>

size_t FolderPartLength(const char* path)
{
    const char* last = strrchr(path, '\\');
    return last ? (size_t)(last - path) + 1 : 0;
}

const char* FileNamePart(const char* path)
{
    return path + FolderPartLength(path);
}

size_t BaseNameLength(const char* fileName)
{
    const char* dot = strrchr(fileName, '.');
    return dot ? (size_t)(dot - fileName) : strlen(fileName);
}

size_t RootPrefixLength(const char* path, bool* needsBackslash)
{
    size_t n = strlen(path);
    size_t end = n;  // the whole path when no end is found
    if (path[0] == '\\' && path[1] == '\\') {
        // Network path: \\server\share\ is the root.
        const char* serverEnd = strchr(path + 2, '\\');
        if (serverEnd) {
            const char* shareEnd = strchr(serverEnd + 1, '\\');
            if (shareEnd) end = (size_t)(shareEnd - path) + 1;
        }
    } else {
        const char* first = strchr(path, '\\');
        if (first) end = (size_t)(first - path) + 1;
    }
    *needsBackslash = end == 0 || path[end - 1] != '\\';
    return end;
}

size_t RootOfPathLength(const char* path)
{
    bool needsBackslash;
    size_t prefix = RootPrefixLength(path, &needsBackslash);
    return prefix + (needsBackslash ? 1 : 0);
}

bool IsRootFolder(const char* path)
{
    bool needsBackslash;
    size_t prefix = RootPrefixLength(path, &needsBackslash);
    return !needsBackslash && path[prefix] == '\0';
}

void ToLowerInPlace(char* text)
{
    for (; *text; ++text) {
        if (*text >= 'A' && *text <= 'Z') *text = (char)(*text + ('a' - 'A'));
    }
}

void AddThousandsSeparators(const char* digits, char* out)
{
    size_t length = strlen(digits);
    // A comma goes before position p for p = length - 3, length - 6, ... while p > 0.
    size_t firstGroup = length % 3;
    if (firstGroup == 0) firstGroup = 3;
    for (size_t i = 0; i < length; ++i) {
        if (i >= firstGroup && (i - firstGroup) % 3 == 0) *out++ = ',';
        *out++ = digits[i];
    }
    *out = '\0';
}

size_t FormatDecimal(int64_t value, char out[DECIMAL_SIZE])
{
    char reversed[DECIMAL_SIZE];
    size_t count = 0;
    // Work on the negative side so that the lowest 64-bit value converts too.
    int64_t rest = value < 0 ? value : -value;
    do {
        reversed[count++] = (char)('0' - (int)(rest % 10));
        rest /= 10;
    } while (rest != 0);
    size_t length = 0;
    if (value < 0) out[length++] = '-';
    while (count > 0) out[length++] = reversed[--count];
    out[length] = '\0';
    return length;
}

void FormatWithSeparators(int64_t value, char out[SEPARATED_NUMBER_SIZE])
{
    char digits[DECIMAL_SIZE];
    FormatDecimal(value, digits);
    if (digits[0] == '-') {
        // "-1" stays as it is: the minus sign is not a digit group.
        out[0] = '-';
        AddThousandsSeparators(digits + 1, out + 1);
    } else {
        AddThousandsSeparators(digits, out);
    }
}

bool IsWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

void TrimLeading(char* text)
{
    size_t skip = 0;
    while (text[skip] != '\0' && IsWhiteSpace(text[skip])) ++skip;
    if (skip > 0) memmove(text, text + skip, strlen(text + skip) + 1);
}

void TrimTrailing(char* text)
{
    size_t length = strlen(text);
    while (length > 0 && IsWhiteSpace(text[length - 1])) --length;
    text[length] = '\0';
}

size_t CutLength(const char* text, size_t length, size_t limit, bool utf8)
{
    if (length <= limit) return length;
    size_t cut = limit;
    while (utf8 && cut > 0 && ((unsigned char)text[cut] & 0xC0) == 0x80) --cut;
    return cut;
}

bool CopyText(char* out, size_t size, const char* text, size_t length)
{
    if (size == 0) return false;
    bool fits = length < size;
    size_t count = fits ? length : size - 1;
    memcpy(out, text, count);
    out[count] = '\0';
    return fits;
}

bool AppendText(char* out, size_t size, const char* text)
{
    size_t used = strlen(out);
    if (used >= size) return false;
    return CopyText(out + used, size - used, text, strlen(text));
}
