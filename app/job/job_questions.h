// The questions a job asks on its way, the same for a piece, the recovery
// piece and the combiner program: a disk, room on it, leave to replace a file.
#pragma once

#include <stdint.h>

#include <string>

// What the questions need of the dialog that shows them.
class QuestionHost {
public:
    virtual ~QuestionHost() = default;

    // A message box owned by the main dialog with the title "Brindle 1.31";
    // style and answer as in message_box.h.
    virtual int messageBox(const std::string& text, unsigned style) = 0;
    // The "Confirm File Overwrite" dialog: IDYES, IDNO or IDYESTOALL.
    virtual int confirmOverwrite(const std::string& path) = 0;
};

// "Please insert disk %s in drive %s" with OK and Cancel; true for OK.
bool askForDisk(QuestionHost& host, int64_t diskNumber, const std::string& drive);

// Waits until the folder has `bytes` free: on a removable drive by asking
// for a disk with that much room, on a fixed one by saying that there is not.
// False when the job must stop (its message shown).
bool waitForRoom(QuestionHost& host, const std::string& folder, int64_t bytes, bool removable);

// The rule before replacing a file of the job: unless "Yes to All" was
// given, an existing readable file is offered in the overwrite dialog.
// True when the job may go on (Yes to All also sets overwriteAll).
bool mayReplaceFile(QuestionHost& host, const std::string& path);
