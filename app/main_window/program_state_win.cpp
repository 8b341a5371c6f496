#include "program_state.h"

#include <windows.h>

namespace {
HINSTANCE programInstance = NULL;
}

std::string ProgramFolder;

HINSTANCE ProgramInstance()
{
    return programInstance != NULL ? programInstance : GetModuleHandleA(NULL);
}

void SetProgramInstance(HINSTANCE instance)
{
    programInstance = instance;
}
