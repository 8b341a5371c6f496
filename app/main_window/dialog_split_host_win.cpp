#include "dialog_split_host.h"

#include <stdlib.h>
#include <windows.h>
#include <commctrl.h>

#include "combiner_template_resource.h"
#include "main_dialog.h"
#include "message_pump.h"
#include "overwrite_dialog.h"
#include "program_state.h"
#include "recent_lists_dialog.h"
#include "resource.h"
#include "shared_constants.h"
#include "size_controls.h"
#include "split_worker.h"

namespace {

std::string FieldText(HWND dialog, int id)
{
    char text[MAX_TEXT] = "";
    GetWindowTextA(GetDlgItem(dialog, id), text, sizeof text);
    return text;
}

}  // namespace

std::string DialogSplitHost::fileFieldText()
{
    return FieldText(dialog_, IDC_FILE_BOX);
}

std::string DialogSplitHost::folderFieldText()
{
    return FieldText(dialog_, IDC_FOLDER_BOX);
}

bool DialogSplitHost::addRecoveryPiece()
{
    return IsDlgButtonChecked(dialog_, IDC_RECOVERY_PIECE) == BST_CHECKED;
}

int64_t DialogSplitHost::pieceSize()
{
    return GetPieceSize(dialog_);
}

int DialogSplitHost::messageBox(const std::string& text, unsigned style)
{
    return MessageBoxA(dialog_, text.c_str(), PROGRAM_TITLE, style);
}

int DialogSplitHost::confirmOverwrite(const std::string& path)
{
    return ::confirmOverwrite(dialog_, path);
}

void DialogSplitHost::setSplitControls(bool enable)
{
    // Back to idle only when the job ends, and marked so before Split shows
    // again: a Split pressed at once then waits for this worker to return
    // instead of being taken for a press during the job.
    if (enable) MarkSplitJobEnded();
    SetSplitControls(dialog_, enable);
}

// Both are posted to the dialog's thread, in order, and only when they
// change: a synchronous call per chunk made the worker wait on the dialog's
// thread several milliseconds each time.
void DialogSplitHost::setProgress(int percent)
{
    if (percent == shownPercent_) return;
    shownPercent_ = percent;
    PostMessageA(ProgressBarOf(dialog_), PBM_SETPOS, percent, 0);
}

void DialogSplitHost::setStatusText(const std::string& text)
{
    if (text == shownStatus_) return;
    char* copy = _strdup(text.c_str());
    if (copy && PostMessageA(dialog_, WM_APP_STATUS_TEXT, 0, (LPARAM)copy)) {
        shownStatus_ = text;
    } else {
        free(copy);
    }
}

void DialogSplitHost::pumpMessages()
{
    ::pumpMessages(dialog_);
}

void DialogSplitHost::setArrowCursor()
{
    SetCursor(LoadCursorA(NULL, IDC_ARROW));
}

void DialogSplitHost::rememberRecent()
{
    RememberRecent(dialog_);
}

bool DialogSplitHost::loadCombinerTemplate(std::vector<unsigned char>& image)
{
    return LoadCombinerTemplateResource(image);
}
