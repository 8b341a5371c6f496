// Path and number text operations shared by Brindle and the combiner.
//
// The core works on zero-terminated byte strings and reports lengths and
// positions, so the combiner can use it with plain buffers. The backslash is
// the only separator. Brindle's std::string forms are in path_text_string.h.
#pragma once

#include <stddef.h>
#include <stdint.h>

// Length of the folder part: up to and including the last backslash, 0 if none.
size_t FolderPartLength(const char* path);
// The file name: everything after the last backslash (the whole path if none).
const char* FileNamePart(const char* path);
// Length of a file name without its extension: the last dot and what follows
// it are dropped; a name without a dot is taken whole.
size_t BaseNameLength(const char* fileName);
// Length of the prefix of the path that forms its root folder. When
// *needsBackslash is set, the root is that prefix plus one backslash.
size_t RootPrefixLength(const char* path, bool* needsBackslash);
// Length of the root folder, including an appended backslash.
size_t RootOfPathLength(const char* path);
// Whether the path is exactly its own root folder (C:\ yes, C: and C:\x\ no).
bool IsRootFolder(const char* path);

// Letters A to Z to a to z, in place; other bytes unchanged.
void ToLowerInPlace(char* text);

// Writes the digits with a comma before every group of three counted from the
// right. `out` must hold strlen(digits) * 4 / 3 + 2 bytes.
void AddThousandsSeparators(const char* digits, char* out);
// Decimal text of the value with separators: 1457664 -> 1,457,664; -1 -> -1.
const size_t SEPARATED_NUMBER_SIZE = 32;
void FormatWithSeparators(int64_t value, char out[SEPARATED_NUMBER_SIZE]);
// Plain decimal text: no separators, no leading zeros. Returns the length.
const size_t DECIMAL_SIZE = 24;
size_t FormatDecimal(int64_t value, char out[DECIMAL_SIZE]);

// Tab, line feed, vertical tab, form feed, carriage return and space.
bool IsWhiteSpace(char c);
// Remove white space at the start / at the end of a zero-terminated buffer.
void TrimLeading(char* text);
void TrimTrailing(char* text);

// Whether the program runs with UTF-8 as its ANSI code page: its manifest
// asks for it, and Windows 10 version 1903 and later grant it.
bool AnsiCodePageIsUtf8();
// The length of a text of `length` bytes cut to at most `limit` bytes. In
// UTF-8 the cut never falls inside a character (bytes 0x80 to 0xBF continue
// one); in the older code pages every byte is a place to cut, as it always was.
size_t CutLength(const char* text, size_t length, size_t limit, bool utf8);

// Copies at most size - 1 bytes of the first `length` bytes of text and a
// terminating zero. Returns false when the text had to be cut.
bool CopyText(char* out, size_t size, const char* text, size_t length);
// Appends text to the zero-terminated buffer; false when it had to be cut.
bool AppendText(char* out, size_t size, const char* text);
