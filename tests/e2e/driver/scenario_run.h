// Runs a parsed scenario step by step against the programs it launches.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "script.h"

// What a step found: ok, or what it expected against what it saw.
struct StepOutcome {
    bool ok = true;
    std::string expected;
    std::string seen;
};

struct LaunchedProgram {
    std::string path;
    HANDLE process = NULL;
    DWORD processId = 0;
};

class ScenarioRun {
public:
    // `name` names the failure screenshot; `screenshots` is the folder for
    // every screenshot, ending with a backslash.
    ScenarioRun(const std::map<std::string, std::string>& variables, const std::string& name,
                const std::string& screenshots);
    ~ScenarioRun();
    // 0 when every step passed; 1 after the first failing step, reported on
    // standard output with a screenshot of the screen.
    int Run(const ParsedScript& script);

private:
    using Args = std::vector<std::string>;
    using Handler = StepOutcome (ScenarioRun::*)(const Args&);
    struct Verb {
        Handler handler;
        size_t fewestArgs;
        size_t mostArgs;
    };

    StepOutcome RunStep(const ScriptStep& step);
    void ReportFailure(const ScriptStep& step, const StepOutcome& outcome);
    void EndPrograms();

    // Waits until `condition` holds or the step's time is up.
    template <typename Condition> bool WaitUntil(Condition condition);
    StepOutcome Fail(const std::string& expected, const std::string& seen);
    bool NeedProgram(StepOutcome& outcome);
    bool NeedWindow(StepOutcome& outcome);
    HWND ControlOf(const std::string& idText, StepOutcome& outcome);
    HWND WaitForWindow(const std::string& title, const std::string& className, bool owned);
    // Waits for an owned message box with this title and, unless `text` is
    // empty, this text; NULL with `outcome` set when none comes.
    HWND WaitForBox(const std::string& title, const std::string& text, StepOutcome& outcome);

    // Set-up and files.
    StepOutcome Set(const Args& args);
    StepOutcome Timeout(const Args& args);
    StepOutcome Echo(const Args& args);
    StepOutcome StartClock(const Args& args);
    StepOutcome ReportClock(const Args& args);
    StepOutcome MakeFile(const Args& args);
    StepOutcome MakeSparse(const Args& args);
    StepOutcome Compare(const Args& args);
    StepOutcome WaitFile(const Args& args);
    StepOutcome WaitExists(const Args& args);
    StepOutcome WaitGone(const Args& args);
    StepOutcome ExpectFile(const Args& args);
    StepOutcome ExpectNoFile(const Args& args);
    StepOutcome ExpectFiles(const Args& args);
    StepOutcome ExpectFileCount(const Args& args);
    StepOutcome NoteSize(const Args& args);
    StepOutcome Remove(const Args& args);
    StepOutcome Mkdir(const Args& args);
    StepOutcome Copy(const Args& args);
    StepOutcome Truncate(const Args& args);
    StepOutcome Unix(const Args& args);
    // Programs.
    StepOutcome Launch(const Args& args);
    StepOutcome WaitExit(const Args& args);
    StepOutcome ExitCode(const Args& args);
    StepOutcome Kill(const Args& args);
    StepOutcome NoteThreads(const Args& args);
    StepOutcome WaitThreads(const Args& args);
    // Windows and message boxes.
    StepOutcome Window(const Args& args);
    StepOutcome Dialog(const Args& args);
    StepOutcome WaitClosed(const Args& args);
    StepOutcome Close(const Args& args);
    StepOutcome Box(const Args& args);
    StepOutcome ExpectBox(const Args& args);
    StepOutcome ExpectNoBox(const Args& args);
    StepOutcome Move(const Args& args);
    StepOutcome ExpectPosition(const Args& args);
    StepOutcome ExpectCentred(const Args& args);
    // Controls of the current window.
    StepOutcome Type(const Args& args);
    StepOutcome Select(const Args& args);
    StepOutcome Click(const Args& args);
    StepOutcome Command(const Args& args);
    StepOutcome Key(const Args& args);
    StepOutcome ExpectText(const Args& args);
    StepOutcome ExpectMatch(const Args& args);
    StepOutcome NoteText(const Args& args);
    StepOutcome ExpectEnabled(const Args& args);
    StepOutcome ExpectVisible(const Args& args);
    StepOutcome ExpectItems(const Args& args);
    StepOutcome ExpectFocus(const Args& args);
    // Screenshots.
    StepOutcome Screenshot(const Args& args);
    StepOutcome ExpectNotBlank(const Args& args);
    // The per-user settings store.
    StepOutcome RegDelete(const Args& args);
    StepOutcome RegCount(const Args& args);
    StepOutcome RegExpect(const Args& args);

    std::map<std::string, Verb> verbs;
    std::map<std::string, std::string> variables;
    // Started clocks (performance counter values), by name.
    std::map<std::string, long long> clocks;
    std::string scenarioName;
    std::string screenshotFolder;
    DWORD waitMilliseconds = 60000;
    std::vector<LaunchedProgram> programs;
    HWND currentWindow = NULL;
};
