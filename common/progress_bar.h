// Keeps a progress bar in the classic style, as Windows draws it for a
// program without a manifest.
#pragma once

struct HWND__;

void UseClassicProgressBar(HWND__* bar);
