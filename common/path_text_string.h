// Brindle's std::string forms of the path and text operations.
#pragma once

#include <stdint.h>

#include <string>

#include "path_text.h"

std::string FolderPart(const std::string& path);
std::string FileNamePart(const std::string& path);
// The file name without its extension: C:\dir\report.final.doc -> report.final.
std::string BaseName(const std::string& path);
// The root folder, always ending with a backslash: C:\dir\ -> C:\ ,
// \\server\share\dir\ -> \\server\share\ , C: -> C:\ .
std::string RootOfPath(const std::string& path);
// The drive for messages: up to and including the first colon, letters
// upper-cased (a:\x -> A:). A path without a colon (a network folder) is
// named by its root without the final backslash (\\server\share).
std::string DriveName(const std::string& path);
bool IsRootFolder(const std::string& path);
std::string ToLowerCopy(const std::string& text);
std::string AddThousandsSeparators(const std::string& digits);
std::string FormatWithSeparators(int64_t value);
std::string FormatDecimal(int64_t value);
// The text cut to a field's 511 bytes, never inside a UTF-8 character.
std::string CutToFieldLength(const std::string& text);
