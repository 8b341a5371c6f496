// gui_driver SCRIPT [NAME=VALUE ...]
// Runs one scenario script against real programs under Wine. A value that
// is a Linux path (it starts with "/") is given to the script twice: as
// ${NAME}, the Windows path, and as ${NAME_UNIX}. BUILD names the build
// folder: screenshots go to ${BUILD}\screenshots\ and every scenario gets a
// fresh, empty ${WORK} folder under ${BUILD}\e2e_work\.
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

#include <map>
#include <string>

#include "scenario_files.h"
#include "scenario_run.h"
#include "script.h"
#include "test_files.h"

namespace {

void AddVariable(std::map<std::string, std::string>& variables, const std::string& name,
                 const std::string& value)
{
    if (!value.empty() && value[0] == '/') {
        variables[name] = WindowsPathOf(value);
        variables[name + "_UNIX"] = value;
    } else {
        variables[name] = value;
    }
}

// The script's file name without folder and extension.
std::string ScenarioName(const std::string& scriptPath)
{
    size_t slash = scriptPath.find_last_of("/\\");
    std::string name = slash == std::string::npos ? scriptPath : scriptPath.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void AddEnvironment(std::map<std::string, std::string>& variables, const char* environmentName,
                    const std::string& name)
{
    const char* value = getenv(environmentName);
    if (value && *value) AddVariable(variables, name, value);
}

// A crash of the driver itself says so, instead of ending the test silently.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    printf("gui_driver crashed: exception 0x%08lx at %p\n", exception->ExceptionRecord->ExceptionCode,
           exception->ExceptionRecord->ExceptionAddress);
    fflush(stdout);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, NULL, _IONBF, 0);
    SetUnhandledExceptionFilter(ReportCrash);
    if (argc < 2) {
        printf("usage: gui_driver SCRIPT [NAME=VALUE ...]\n");
        return 2;
    }
    std::map<std::string, std::string> variables;
    for (int i = 2; i < argc; ++i) {
        std::string setting = argv[i];
        size_t equals = setting.find('=');
        if (equals != std::string::npos) AddVariable(variables, setting.substr(0, equals), setting.substr(equals + 1));
    }
    AddEnvironment(variables, "BRINDLE_DRIVES", "DRIVES");
    AddEnvironment(variables, "WINEPREFIX", "PREFIX");
    if (!variables.count("BUILD")) {
        printf("gui_driver: BUILD=<build folder> is needed\n");
        return 2;
    }
    std::string name = ScenarioName(argv[1]);
    std::string scriptPath = argv[1][0] == '/' ? WindowsPathOf(argv[1]) : argv[1];
    std::string script = ReadTextFile(scriptPath);
    if (script.empty()) {
        printf("gui_driver: cannot read %s\n", scriptPath.c_str());
        return 2;
    }
    std::string work = variables["BUILD"] + "\\e2e_work\\" + name;
    RemovePath(work);
    MakeFolder(work);
    AddVariable(variables, "WORK", variables["BUILD_UNIX"] + "/e2e_work/" + name);
    std::string screenshots = variables["BUILD"] + "\\screenshots\\";
    MakeFolder(variables["BUILD"] + "\\screenshots");
    // A failure picture of an earlier run would only mislead.
    for (const std::string& file : FolderFiles(screenshots))
        if (file.rfind("failed_" + name + "_step", 0) == 0) RemovePath(screenshots + file);
    ScenarioRun run(variables, name, screenshots);
    return run.Run(ParseScript(script));
}
