#include "job_questions.h"

#include "file_system.h"
#include "job_flags.h"
#include "message_box.h"
#include "path_text_string.h"
#include "shared_constants.h"

bool askForDisk(QuestionHost& host, int64_t diskNumber, const std::string& drive)
{
    std::string text = "Please insert disk " + FormatDecimal(diskNumber) + " in drive " + drive;
    return host.messageBox(text, box::DISK_REQUEST) == box::ANSWER_OK;
}

bool waitForRoom(QuestionHost& host, const std::string& folder, int64_t bytes, bool removable)
{
    std::string drive = DriveName(folder);
    // -1 (free space unknown) counts as too little.
    while (getFreeSpace(folder.c_str()) < bytes) {
        if (!removable) {
            host.messageBox(
                "There is not enough free space on drive " + drive + " to complete the operation.",
                box::INFORMATION);
            return false;
        }
        std::string question = "Please insert a disk with at least " + FormatWithSeparators(bytes) +
                               " bytes of free space in drive " + drive;
        if (host.messageBox(question, box::ROOM_REQUEST) == box::ANSWER_CANCEL) return false;
    }
    return true;
}

bool mayReplaceFile(QuestionHost& host, const std::string& path)
{
    if (overwriteAll || !canOpenForReading(path.c_str())) return true;
    int answer = host.confirmOverwrite(path);
    if (answer == IDYESTOALL) overwriteAll = true;
    return answer == IDYESTOALL || answer == box::ANSWER_YES;
}
