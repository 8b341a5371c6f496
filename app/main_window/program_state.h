// What the program keeps for its whole run.
#pragma once

#include <string>

#include "product_version.h"

struct HINSTANCE__;

// The module whose resources hold the dialogs, menu, icons and bitmap.
// Set by the entry; the running executable's module until then.
HINSTANCE__* ProgramInstance();
void SetProgramInstance(HINSTANCE__* instance);

// The running program's folder, ending with a backslash; where the help file lies.
extern std::string ProgramFolder;

// The caption of the main dialog and the title of Brindle's message boxes.
const char* const PROGRAM_TITLE = "Brindle " BRINDLE_VERSION_TEXT;
