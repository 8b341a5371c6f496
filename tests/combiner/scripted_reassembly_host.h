// A ReassemblyHost for tests: field texts and parameter strings set by the
// test, answers from a script, and a log of every box and progress step.
#pragma once

#include <stdint.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "reassembly_host.h"

class ScriptedReassemblyHost : public ReassemblyHost {
public:
    std::string fileToCreate;
    std::string piecesFolder;
    // The raw texts of the string table, by id, as the loader would find them.
    std::map<int, std::string> strings;

    // Answers to questions, in order; a question with none left fails the test.
    std::deque<int> answers;
    // Called before a box is answered and on every progress step.
    std::function<void(const std::string& text)> onMessageBox;
    std::function<void(int percent)> onProgress;
    bool bufferUnavailable = false;

    // "0x40: text" for every box, in order.
    std::vector<std::string> boxes;
    std::vector<int> percents;
    std::vector<std::string> progressTexts;
    int pumps = 0;
    int buffersHeld = 0;

    // Sets the slots as Brindle writes them: value, '*', and the rest of the
    // placeholder. Without a checksum its slot keeps the placeholder.
    void setParameters(const std::string& name, int64_t pieceCount, int64_t fileSize,
                       const std::string& checksum = "");

    void readFileToCreate(char* out, size_t size) override;
    void readPiecesFolder(char* out, size_t size) override;
    void loadString(int id, char* out, int capacity) override;
    int messageBox(const char* text, unsigned style) override;
    void showProgress(int percent, const char* text) override;
    void pumpMessages() override { ++pumps; }
    void* obtainBuffer(size_t size) override;
    void releaseBuffer(void* buffer) override;
};

std::string BoxText(unsigned style, const std::string& text);
