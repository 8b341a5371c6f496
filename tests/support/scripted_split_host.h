// A SplitHost for tests: answers from a script and a log of everything the
// job showed, in order.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "split_host.h"

class ScriptedSplitHost : public SplitHost {
public:
    std::string fileField;
    std::string folderField;
    int64_t pieceSizeValue = 0;

    // Answers to message boxes and overwrite questions, taken in order. A
    // question with no answer left fails the test and answers Cancel / No.
    std::deque<int> boxAnswers;
    std::deque<int> overwriteAnswers;
    // Called after every line of the log is written, before a question is
    // answered (e.g. to swap a disk, or to request a cancel at a given point).
    std::function<void(const std::string& line)> onEvent;

    // Everything shown, one line each: "box 0x40: text", "overwrite: path",
    // "controls: splitting", "controls: idle", "status: text", "progress: n",
    // "arrow", "remember".
    std::vector<std::string> log;
    // Only the message boxes: "0x40: text".
    std::vector<std::string> boxes;
    std::vector<int> progress;
    int pumps = 0;

    // Where the template comes from; empty means "cannot be loaded".
    std::string templatePath;

    std::string fileFieldText() override { return fileField; }
    std::string folderFieldText() override { return folderField; }
    int64_t pieceSize() override { return pieceSizeValue; }
    int messageBox(const std::string& text, unsigned style) override;
    int confirmOverwrite(const std::string& path) override;
    void setSplitControls(bool enable) override;
    void setProgress(int percent) override;
    void setStatusText(const std::string& text) override;
    void pumpMessages() override { ++pumps; }
    void setArrowCursor() override { record("arrow"); }
    void rememberRecent() override { record("remember"); }
    bool loadCombinerTemplate(std::vector<unsigned char>& image) override;

private:
    void record(const std::string& line);
};

// "0x40: text" as recorded in `boxes`.
std::string BoxEntry(unsigned style, const std::string& text);
