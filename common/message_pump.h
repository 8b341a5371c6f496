// Drains the calling thread's message queue through a dialog, so that a long
// run on that thread keeps the dialog painted and movable.
#pragma once

struct HWND__;

void pumpMessages(HWND__* dialog);
