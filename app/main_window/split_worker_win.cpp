#include "split_worker.h"

#include "dialog_split_host.h"
#include "job_flags.h"
#include "program_state.h"
#include "split_job.h"

namespace {

// The worker most recently started; NULL when there is none to look after.
HANDLE SplitThread = NULL;

DWORD WINAPI SplitWorker(LPVOID dialog)
{
    DialogSplitHost host((HWND)dialog);
    runSplitJob(host);
    return 0;
}

void CloseFinishedWorker()
{
    if (SplitThread != NULL && WaitForSingleObject(SplitThread, 0) == WAIT_OBJECT_0) {
        CloseHandle(SplitThread);
        SplitThread = NULL;
    }
}

}  // namespace

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
    if (SplitWorkerRunning()) return;
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
    if (answer == IDYES && SplitWorkerRunning()) cancelRequested = true;
    pauseRequested = false;
}
