// The size choice, the custom size controls and the two estimate lines of
// the main dialog.
#pragma once

#include <stdint.h>

#include <string>

struct HWND__;

// Where the estimates take the file path from.
enum class PathSource {
    EditText,      // the file box's edit text
    SelectedItem,  // the file box's selected list item, while the edit field
                   // does not hold it yet
};

// The file path the estimates take from the file box, at most 511 characters.
std::string FilePathFrom(HWND__* dialog, PathSource source);

// The piece size in bytes from the size choice, the custom number and the
// unit. Also called by the split worker on its own thread.
int64_t GetPieceSize(HWND__* dialog);

// Enables the custom-size label, number and unit; choosing the custom size
// for the first time selects "Bytes".
void EnableCustomSize(HWND__* dialog, bool enable);

void ShowFileSize(HWND__* dialog, PathSource source);
void ShowPieceCount(HWND__* dialog, PathSource source);
