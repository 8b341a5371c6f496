#include "split_worker.h"

#include <atomic>

#include "dialog_split_host.h"
#include "job_flags.h"
#include "program_state.h"
#include "split_job.h"

namespace {

// The worker most recently started; NULL when there is none to look after.
HANDLE SplitThread = NULL;
DWORD SplitThreadId = 0;
// Split was pressed while the last worker, its job ended, was not yet gone.
bool startWhenGone = false;
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
    PostMessageA((HWND)dialog, WM_APP_WORKER_GONE, GetCurrentThreadId(), 0);
    return 0;
}

void ForgetWorker()
{
    CloseHandle(SplitThread);
    SplitThread = NULL;
}

void CloseFinishedWorker()
{
    if (SplitThread != NULL && WaitForSingleObject(SplitThread, 0) == WAIT_OBJECT_0) ForgetWorker();
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
    // Split pressed right after a job ended, before its worker was gone: the
    // worker may still be posting its last progress and status texts.
    if (SplitWorkerRunning()) {
        startWhenGone = true;
        return;
    }
    startWhenGone = false;
    jobEnded = false;
    // With no worker left, a cancel answered after its job had ended is stale
    // and must not cancel the new job.
    cancelRequested = false;
    SplitThread = CreateThread(NULL, 0, SplitWorker, dialog, 0, &SplitThreadId);
}

void OnSplitWorkerGone(HWND dialog, DWORD threadId)
{
    if (!startWhenGone || threadId != SplitThreadId) return;
    if (SplitThread != NULL) ForgetWorker();  // it only has its return left
    StartSplitWorker(dialog);
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
