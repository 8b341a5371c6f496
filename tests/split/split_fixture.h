// A split job on real files in a fresh folder, with a scripted dialog.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_combiner_writer.h"
#include "message_box.h"
#include "scripted_split_host.h"

class SplitRun : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A source file of `size` pattern bytes in the test folder; its path.
    std::string MakeSource(const std::string& name, int64_t size);
    // Runs a job with the given fields and piece size.
    void Split(const std::string& file, const std::string& folder, int64_t pieceSize);
    // The job ended through endSplitJob with (or without) the success report.
    void ExpectEndedWithoutReport();
    void ExpectEndedWithReport(const std::string& report);
    // Every box shown, in order, as "0x40: text".
    std::vector<std::string> Boxes() const { return host.boxes; }

    std::string folder;
    ScriptedSplitHost host;
};

std::string Info(const std::string& text);
std::string Question(const std::string& text);
