// The Win32 side of the combiner writer: the template resource and the
// conversion of names from the ANSI code page.
#include <windows.h>

#include "combiner_parameters.h"
#include "combiner_template_resource.h"

bool LoadCombinerTemplateResource(std::vector<unsigned char>& image)
{
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(138), "BLOB");
    if (!found) return false;
    HGLOBAL loaded = LoadResource(NULL, found);
    if (!loaded) return false;
    const unsigned char* data = static_cast<const unsigned char*>(LockResource(loaded));
    DWORD size = SizeofResource(NULL, found);
    if (!data || size == 0) return false;
    // A copy: the resource memory is mapped read-only.
    image.assign(data, data + size);
    return true;
}

std::u16string WidenAnsiText(const std::string& text)
{
    if (text.empty()) return std::u16string();
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), NULL, 0);
    if (length <= 0) {
        // Not convertible: one unit per byte keeps the name in its slot.
        std::u16string units;
        for (unsigned char byte : text) units += (char16_t)byte;
        return units;
    }
    std::u16string units((size_t)length, u'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), (int)text.size(), (wchar_t*)&units[0], length);
    return units;
}
