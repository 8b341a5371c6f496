// What a reassembly run needs from the combiner's dialog: its two fields, the
// program's own parameter strings, message boxes and questions, the progress
// display and the message queue. The dialog implements it for real; the tests
// implement it with scripted answers. Files are reached directly through
// file_system.h.
#pragma once

#include <stddef.h>

#include "message_box.h"

class ReassemblyHost {
public:
    // The "File to create" (1002) and "Location of pieces" (1001) texts.
    virtual void readFileToCreate(char* out, size_t size) = 0;
    virtual void readPiecesFolder(char* out, size_t size) = 0;
    // One string of the program's own string table, as LoadStringA gives it:
    // at most capacity - 1 characters and a terminating zero.
    virtual void loadString(int id, char* out, int capacity) = 0;
    // The path of the program's own file, which may carry the list of the
    // pieces' checksums after its image; false when there is none.
    virtual bool programPath(char* out, size_t size) = 0;

    // A message box owned by the dialog with the title "Brindle"; the answer
    // as MessageBoxA gives it.
    virtual int messageBox(const char* text, unsigned style) = 0;
    // Progress bar position and the percentage text of the status bar.
    virtual void showProgress(int percent, const char* text) = 0;
    // Drain the message queue through the dialog.
    virtual void pumpMessages() = 0;

    // A buffer of the run (several may be held at once); null when it cannot
    // be obtained.
    virtual void* obtainBuffer(size_t size) = 0;
    virtual void releaseBuffer(void* buffer) = 0;

protected:
    // Hosts live on the stack; never deleted through this interface.
    ~ReassemblyHost() {}
};
