#include "scripted_reassembly_host.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <gtest/gtest.h>

namespace {

std::string NamePlaceholder()
{
    std::string units;
    char hex[3];
    for (int i = 0; i < 256; ++i) {
        snprintf(hex, sizeof hex, "%02X", i);
        units += hex;
    }
    return units;
}

// The value, its terminator, then what is left of the placeholder.
std::string SlotText(const std::string& value, const std::string& placeholder)
{
    std::string text = value + "*";
    if (text.size() < placeholder.size()) text += placeholder.substr(text.size());
    return text;
}

void CopyOut(const std::string& text, char* out, size_t size)
{
    size_t count = text.size() < size ? text.size() : size - 1;
    memcpy(out, text.data(), count);
    out[count] = '\0';
}

}  // namespace

std::string BoxText(unsigned style, const std::string& text)
{
    char prefix[16];
    snprintf(prefix, sizeof prefix, "0x%x: ", style);
    return prefix + text;
}

void ScriptedReassemblyHost::setParameters(const std::string& name, int64_t pieceCount,
                                           int64_t fileSize, const std::string& checksum)
{
    strings[103] = SlotText(name, NamePlaceholder());
    strings[104] = SlotText(std::to_string(pieceCount), "2147483647");
    strings[105] = SlotText(std::to_string(fileSize), "12345678901234567890");
    strings[106] = checksum.empty() ? "XXXXXXXXX" : SlotText(checksum, "XXXXXXXXX");
}

void ScriptedReassemblyHost::readFileToCreate(char* out, size_t size)
{
    CopyOut(fileToCreate, out, size);
}

void ScriptedReassemblyHost::readPiecesFolder(char* out, size_t size)
{
    CopyOut(piecesFolder, out, size);
}

void ScriptedReassemblyHost::loadString(int id, char* out, int capacity)
{
    // As LoadStringA: at most capacity - 1 characters and a zero.
    CopyOut(strings[id], out, (size_t)capacity);
}

int ScriptedReassemblyHost::messageBox(const char* text, unsigned style)
{
    boxes.push_back(BoxText(style, text));
    if (onMessageBox) onMessageBox(text);
    if ((style & 0xF) != box::YES_NO) return 1;  // IDOK
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return 7;  // IDNO
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedReassemblyHost::showProgress(int percent, const char* text)
{
    percents.push_back(percent);
    progressTexts.push_back(text);
    if (onProgress) onProgress(percent);
}

void* ScriptedReassemblyHost::obtainBuffer(size_t size)
{
    if (bufferUnavailable) return nullptr;
    ++buffersHeld;
    return malloc(size);
}

void ScriptedReassemblyHost::releaseBuffer(void* buffer)
{
    --buffersHeld;
    free(buffer);
}
