// Brindle's main dialog (template 129): the file, folder and size inputs,
// the estimates, Split and Cancel, the status bar with its progress bar.
#pragma once

#include <windows.h>

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Posted by the split worker: lParam is a copy of the status text, made with
// malloc, which the dialog shows and frees. Posting keeps the worker from
// waiting on this thread once per chunk, and keeps the texts in order with
// the progress bar's positions.
const UINT WM_APP_STATUS_TEXT = WM_APP + 1;

// Idle (enable true: inputs enabled, Split shown and default) or splitting
// (Cancel shown and default, inputs disabled). Called by the split job.
void SetSplitControls(HWND dialog, bool enable);

// The initial contents and states of the controls.
void FillControls(HWND dialog);

// The status bar (a child of the dialog) and the progress bar inside it.
HWND StatusBarOf(HWND dialog);
HWND ProgressBarOf(HWND dialog);
