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
    log.push_back("box " + BoxEntry(style, text));
    if (onMessageBox) onMessageBox(text, style);
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
    log.push_back("overwrite: " + path);
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
    log.push_back(enable ? "controls: idle" : "controls: splitting");
}

void ScriptedSplitHost::setProgress(int percent)
{
    progress.push_back(percent);
    log.push_back("progress: " + std::to_string(percent));
    if (onProgress) onProgress(percent);
}

void ScriptedSplitHost::setStatusText(const std::string& text)
{
    log.push_back("status: " + text);
}

bool ScriptedSplitHost::loadCombinerTemplate(std::vector<unsigned char>& image)
{
    if (templatePath.empty()) return false;
    image = ReadWholeFile(templatePath);
    return !image.empty();
}
