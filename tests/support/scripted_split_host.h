// A SplitHost for tests: answers from a script, and a log of everything the job showed, in order:
// "box 0x40: text", "overwrite: path", "controls: idle" or "controls: splitting", "status: text",
// "progress: n", "arrow", "remember".
#pragma once

#include <stdio.h>
#include <string.h>

#include <deque>
#include <functional>

#include <gtest/gtest.h>

#include "message_box.h"
#include "split_host.h"
#include "test_files.h"

inline std::string BoxEntry(unsigned style, const std::string& text)
{
    char prefix[16];
    snprintf(prefix, sizeof prefix, "0x%x: ", style);
    return prefix + text;
}

// The next scripted answer to a question; with none left the test fails and it gets `none`.
inline int NextAnswer(std::deque<int>& answers, int none, const std::string& question)
{
    EXPECT_FALSE(answers.empty()) << "unexpected question: " << question;
    if (answers.empty()) return none;
    int given = answers.front();
    answers.pop_front();
    return given;
}

class ScriptedSplitHost : public SplitHost {
public:
    std::string fileField, folderField, templatePath;  // no template path: no template
    int64_t pieceSizeValue = 0;
    bool recoveryPiece = false;
    size_t largestBuffer = SIZE_MAX;  // a larger buffer cannot be had
    std::deque<int> boxAnswers, overwriteAnswers;  // taken in order
    std::vector<std::string> log, boxes;           // the boxes alone, as BoxEntry gives them
    std::function<void(const std::string& line)> onEvent;  // after each line, before an answer

    std::string fileFieldText() override { return fileField; }
    std::string folderFieldText() override { return folderField; }
    int64_t pieceSize() override { return pieceSizeValue; }
    bool addRecoveryPiece() override { return recoveryPiece; }
    int messageBox(const std::string& text, unsigned style) override
    {
        boxes.push_back(BoxEntry(style, text));
        record("box " + boxes.back());
        // Cancel, when no answer is left, counts as No.
        return (style & 0xF) == box::OK ? box::ANSWER_OK
                                        : NextAnswer(boxAnswers, box::ANSWER_CANCEL, text);
    }
    int confirmOverwrite(const std::string& path) override
    {
        record("overwrite: " + path);
        return NextAnswer(overwriteAnswers, box::ANSWER_CANCEL, path);
    }
    void setSplitControls(bool on) override
    {
        record(on ? "controls: idle" : "controls: splitting");
    }
    void setProgress(int percent) override { record("progress: " + std::to_string(percent)); }
    void setStatusText(const std::string& text) override { record("status: " + text); }
    void pumpMessages() override {}
    void setArrowCursor() override { record("arrow"); }
    void rememberRecent() override { record("remember"); }
    bool loadCombinerTemplate(std::vector<unsigned char>& image) override
    {
        std::string bytes = templatePath.empty() ? "" : ReadTextFile(templatePath);
        image.assign(bytes.begin(), bytes.end());
        return !image.empty();
    }
    // Filled with a byte no test file holds there: nothing may rely on fresh memory being zero.
    std::unique_ptr<unsigned char[]> obtainCopyBuffer(size_t n) override
    {
        if (n > largestBuffer) return nullptr;
        auto buffer = SplitHost::obtainCopyBuffer(n);
        if (buffer) memset(buffer.get(), 0xA5, n);
        return buffer;
    }
    void record(const std::string& line)  // also for stand-ins of the job's other parts
    {
        log.push_back(line);
        if (onEvent) onEvent(line);
    }
};
