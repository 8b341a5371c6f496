// The flags a split job shares with the main dialog. Each is one byte with
// one writer per direction.
#pragma once

#include <atomic>

// Set by the Cancel question on Yes; read by the job at its checkpoints.
extern std::atomic<bool> cancelRequested;
// Set by the job when copying starts; the dialog shows the wait cursor.
extern std::atomic<bool> splitInProgress;
// "Yes to All" in an overwrite question; cleared when a job starts.
extern std::atomic<bool> overwriteAll;
// Set by the dialog while it asks "Are you sure you want to cancel?": the job
// waits at its next checkpoint, before it shows any further progress.
extern std::atomic<bool> pauseRequested;

// Waits while a pause is requested, then tells whether the job is cancelled.
bool cancelCheckpoint();
void waitWhilePaused();
