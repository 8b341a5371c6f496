// The one split worker thread of the main dialog, and the Cancel question.
#pragma once

#include <windows.h>

// Starts runSplitJob on a new thread for the dialog, unless a job is still
// running: a second request is ignored. A request that comes after the job
// has ended but before its worker is gone starts the new job when the worker
// says it is gone: the dialog never waits for a thread. A finished worker's
// handle is closed here.
void StartSplitWorker(HWND dialog);

// Posted by a worker as its last act, with its thread id: everything it
// posted before has reached the dialog, and it touches nothing more.
const UINT WM_APP_WORKER_GONE = WM_APP + 2;
void OnSplitWorkerGone(HWND dialog, DWORD threadId);

// Called on the worker when its job has ended and the dialog is idle again.
void MarkSplitJobEnded();

// Called on the worker after its job, before it says it is gone; none by
// default. Lets a test hold a worker at its very end.
extern void (*SplitWorkerEnding)();

// Whether a worker has been started and has not finished yet.
bool SplitWorkerRunning();

// The running worker's thread handle, or NULL.
HANDLE SplitWorkerHandle();

// "Are you sure you want to cancel?": the worker is held at its next
// checkpoint while the question is open; Yes cancels the job.
void AskToCancel(HWND dialog);
