#include "scripted_split_host.h"

#include <stdio.h>

#include <gtest/gtest.h>

#include "message_box.h"
#include "test_files.h"

std::string BoxEntry(unsigned style, const std::string& text)
{
    char prefix[16];
    snprintf(prefix, sizeof prefix, "0x%x: ", style);
    return prefix + text;
}

int ScriptedSplitHost::messageBox(const std::string& text, unsigned style)
{
    boxes.push_back(BoxEntry(style, text));
    record("box " + BoxEntry(style, text));
    if ((style & 0xF) == box::OK) return box::ANSWER_OK;
    if (boxAnswers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return (style & 0xF) == box::YES_NO ? box::ANSWER_NO : box::ANSWER_CANCEL;
    }
    int answer = boxAnswers.front();
    boxAnswers.pop_front();
    return answer;
}

int ScriptedSplitHost::confirmOverwrite(const std::string& path)
{
    record("overwrite: " + path);
    if (overwriteAnswers.empty()) {
        ADD_FAILURE() << "unexpected overwrite question: " << path;
        return box::ANSWER_NO;
    }
    int answer = overwriteAnswers.front();
    overwriteAnswers.pop_front();
    return answer;
}

void ScriptedSplitHost::setSplitControls(bool enable)
{
    record(enable ? "controls: idle" : "controls: splitting");
}

void ScriptedSplitHost::setProgress(int percent)
{
    progress.push_back(percent);
    record("progress: " + std::to_string(percent));
}

void ScriptedSplitHost::setStatusText(const std::string& text)
{
    record("status: " + text);
}

void ScriptedSplitHost::record(const std::string& line)
{
    log.push_back(line);
    if (onEvent) onEvent(line);
}

bool ScriptedSplitHost::loadCombinerTemplate(std::vector<unsigned char>& image)
{
    if (templatePath.empty()) return false;
    image = ReadWholeFile(templatePath);
    return !image.empty();
}
