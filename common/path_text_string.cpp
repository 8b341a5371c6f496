#include "path_text_string.h"

#include <string.h>

#include "shared_constants.h"

#include <vector>

std::string FolderPart(const std::string& path)
{
    return path.substr(0, FolderPartLength(path.c_str()));
}

std::string FileNamePart(const std::string& path)
{
    return FileNamePart(path.c_str());
}

std::string BaseName(const std::string& path)
{
    std::string name = FileNamePart(path);
    return name.substr(0, BaseNameLength(name.c_str()));
}

std::string RootOfPath(const std::string& path)
{
    bool needsBackslash;
    size_t prefix = RootPrefixLength(path.c_str(), &needsBackslash);
    std::string root = path.substr(0, prefix);
    if (needsBackslash) root += '\\';
    return root;
}

std::string DriveName(const std::string& path)
{
    size_t colon = path.find(':');
    if (colon == std::string::npos) {
        std::string root = RootOfPath(path);
        root.pop_back();
        return root;
    }
    std::string drive = path.substr(0, colon + 1);
    for (char& c : drive) {
        if (c >= 'a' && c <= 'z') c = (char)(c - 0x20);
    }
    return drive;
}

bool IsRootFolder(const std::string& path)
{
    return IsRootFolder(path.c_str());
}

std::string ToLowerCopy(const std::string& text)
{
    std::string copy = text;
    ToLowerInPlace(copy.data());
    return copy;
}

std::string AddThousandsSeparators(const std::string& digits)
{
    std::vector<char> out(digits.size() * 4 / 3 + 2);
    AddThousandsSeparators(digits.c_str(), out.data());
    return out.data();
}

std::string FormatWithSeparators(int64_t value)
{
    char out[SEPARATED_NUMBER_SIZE];
    FormatWithSeparators(value, out);
    return out;
}

std::string FormatDecimal(int64_t value)
{
    char out[DECIMAL_SIZE];
    FormatDecimal(value, out);
    return out;
}

std::string CutToFieldLength(const std::string& text)
{
    return text.substr(
        0, CutLength(text.c_str(), text.size(), MAX_TEXT - 1, AnsiCodePageIsUtf8()));
}
