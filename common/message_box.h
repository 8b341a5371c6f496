// Message-box styles and answers, with the values of the Win32 constants, so
// that the split run and the reassembly run can ask their questions without
// including <windows.h>.
#pragma once

namespace box {
const unsigned OK = 0x0;
const unsigned OK_CANCEL = 0x1;
const unsigned YES_NO = 0x4;
const unsigned ICON_QUESTION = 0x20;
const unsigned ICON_EXCLAMATION = 0x30;
const unsigned ICON_INFORMATION = 0x40;

// Information texts (and Brindle's errors).
const unsigned INFORMATION = OK | ICON_INFORMATION;
// The combiner's input and output errors.
const unsigned EXCLAMATION = OK | ICON_EXCLAMATION;
// Questions: the job goes on only on YES.
const unsigned QUESTION = YES_NO | ICON_QUESTION;
// Disk requests: OK and Cancel, no icon.
const unsigned DISK_REQUEST = OK_CANCEL;
// "Please insert a disk with at least ..." questions.
const unsigned ROOM_REQUEST = OK_CANCEL | ICON_INFORMATION;

const int ANSWER_OK = 1;
const int ANSWER_CANCEL = 2;
const int ANSWER_YES = 6;
const int ANSWER_NO = 7;
}  // namespace box
