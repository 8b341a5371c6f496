// What a split job needs from the main dialog: its field texts and piece
// size, message boxes owned by it, the overwrite dialog, progress, and the
// switch between idle and splitting. The dialog implements it for real; the
// tests implement it with scripted answers.
#pragma once

#include <stdint.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "combiner_writer.h"

// With the questions and the template the writer asks for (CombinerWriterHost).
class SplitHost : public CombinerWriterHost {
public:
    // The file box (1000) and folder box (1001) texts, at most 511 characters.
    virtual std::string fileFieldText() = 0;
    virtual std::string folderFieldText() = 0;
    // The piece size chosen in the size controls, in bytes.
    virtual int64_t pieceSize() = 0;
    // Whether "Add a recovery piece" (1018) is checked.
    virtual bool addRecoveryPiece() = 0;

    // Idle (true) or splitting (false) state of the main dialog.
    virtual void setSplitControls(bool enable) = 0;
    // Progress bar position (0 to 100) and the status bar's percentage text.
    virtual void setProgress(int percent) = 0;
    virtual void setStatusText(const std::string& text) = 0;
    // Drain the worker's own message queue through the main dialog.
    virtual void pumpMessages() = 0;
    virtual void setArrowCursor() = 0;
    // Moves the dialog's current file and folder to the front of the recent lists.
    virtual void rememberRecent() = 0;

    // The copy buffer of a job, or the recovery piece's buffer; null when it
    // cannot be obtained.
    virtual std::unique_ptr<unsigned char[]> obtainCopyBuffer(size_t size)
    {
        return std::unique_ptr<unsigned char[]>(new (std::nothrow) unsigned char[size]);
    }
};
