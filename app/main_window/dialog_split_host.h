// The split job's view of the main dialog: its fields, message boxes,
// overwrite dialog, status bar and progress bar, and its two states.
#pragma once

#include "split_host.h"

struct HWND__;

class DialogSplitHost : public SplitHost {
public:
    explicit DialogSplitHost(HWND__* dialog) : dialog_(dialog) {}

    std::string fileFieldText() override;
    std::string folderFieldText() override;
    int64_t pieceSize() override;
    bool addRecoveryPiece() override;
    int messageBox(const std::string& text, unsigned style) override;
    int confirmOverwrite(const std::string& path) override;
    void setSplitControls(bool enable) override;
    void setProgress(int percent) override;
    void setStatusText(const std::string& text) override;
    void pumpMessages() override;
    void setArrowCursor() override;
    void rememberRecent() override;
    bool loadCombinerTemplate(std::vector<unsigned char>& image) override;

private:
    HWND__* dialog_;
    // What this job last showed; the dialog starts a job with an empty bar
    // and an empty text.
    int shownPercent_ = 0;
    std::string shownStatus_;
};
