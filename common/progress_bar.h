// The status bar of both programs' dialogs: the percentage in its first
// part, and a progress bar of 0 to 100 over the rest.
#pragma once

struct HWND__;

void CreateStatusAndProgressBars(HWND__* dialog);
