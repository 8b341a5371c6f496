// "Confirm File Overwrite" (dialog 131): asked before a split replaces a file.
#pragma once

#include <string>

struct HWND__;

// IDYES, IDNO or IDYESTOALL. Only the three buttons close the dialog; the
// focus starts on No, which is also the default button.
int confirmOverwrite(HWND__* owner, const std::string& path);

// "The file \"<path>\" already exists.\nDo you want to overwrite it?"
std::string OverwriteQuestion(const std::string& path);
