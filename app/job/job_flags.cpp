#include "job_flags.h"

#include <chrono>
#include <thread>

std::atomic<bool> cancelRequested(false);
std::atomic<bool> splitInProgress(false);
std::atomic<bool> overwriteAll(false);
std::atomic<bool> pauseRequested(false);

void waitWhilePaused()
{
    // The pause lasts as long as the user looks at a question: a short poll
    // costs nothing and cannot deadlock with the dialog's thread.
    while (pauseRequested.load()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

bool cancelCheckpoint()
{
    waitWhilePaused();
    return cancelRequested.load();
}
