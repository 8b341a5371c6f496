// Brindle's entry: the main dialog is the program's only main loop.
#include <windows.h>
#include <commctrl.h>

#include "job_flags.h"
#include "main_dialog.h"
#include "path_text_string.h"
#include "program_state.h"
#include "resource.h"
#include "shared_constants.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    SetProgramInstance(instance);
    cancelRequested = false;
    char path[MAX_TEXT] = "";
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    if (length >= sizeof path) length = 0;  // cut short: no folder is better than a wrong one
    path[length] = '\0';
    ProgramFolder = FolderPart(path);
    InitCommonControls();  // the status bar and the progress bar
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), NULL, MainDialogProc, 0);
    return 0;
}
