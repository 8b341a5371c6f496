#include "split_worker.h"

#include <atomic>

#include "dialog_split_host.h"
#include "job_flags.h"
#include "program_state.h"
#include "split_job.h"

namespace {

// The worker most recently started; NULL when there is none to look after.
HANDLE SplitThread = NULL;
// Set when the worker's job has ended and the dialog is idle again: only the
// worker's own return is left.
std::atomic<bool> jobEnded(false);

DWORD WINAPI SplitWorker(LPVOID dialog)
{
    {
        DialogSplitHost host((HWND)dialog);
        runSplitJob(host);
    }
    if (SplitWorkerEnding != nullptr) SplitWorkerEnding();
    return 0;
}

void CloseFinishedWorker()
{
    if (SplitThread != NULL && WaitForSingleObject(SplitThread, 0) == WAIT_OBJECT_0) {
        CloseHandle(SplitThread);
        SplitThread = NULL;
    }
}

// Waits for a worker whose job has ended. It may still be sending its last
// progress and status texts to this thread, so those are let through.
void WaitForEndingWorker()
{
    while (MsgWaitForMultipleObjects(1, &SplitThread, FALSE, INFINITE, QS_SENDMESSAGE) ==
           WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseFinishedWorker();
}

bool JobRunning()
{
    return SplitWorkerRunning() && !jobEnded;
}

}  // namespace

void (*SplitWorkerEnding)() = nullptr;

void MarkSplitJobEnded()
{
    jobEnded = true;
}

bool SplitWorkerRunning()
{
    CloseFinishedWorker();
    return SplitThread != NULL;
}

HANDLE SplitWorkerHandle()
{
    return SplitWorkerRunning() ? SplitThread : NULL;
}

void StartSplitWorker(HWND dialog)
{
    if (JobRunning()) return;
    // Split pressed right after a job ended, before its thread was gone.
    if (SplitWorkerRunning()) WaitForEndingWorker();
    jobEnded = false;
    // With no worker left, a cancel answered after its job had ended is stale
    // and must not cancel the new job.
    cancelRequested = false;
    SplitThread = CreateThread(NULL, 0, SplitWorker, dialog, 0, NULL);
}

void AskToCancel(HWND dialog)
{
    pauseRequested = true;
    int answer = MessageBoxA(dialog, "Are you sure you want to cancel?", PROGRAM_TITLE,
                             MB_YESNO | MB_ICONQUESTION);
    // A job that ended while the question was open is not cancelled afterwards.
    if (answer == IDYES && JobRunning()) cancelRequested = true;
    pauseRequested = false;
}
