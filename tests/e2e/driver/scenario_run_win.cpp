#include "scenario_run.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <regex>

#include "gui_access.h"
#include "scenario_files.h"
#include "screenshot.h"
#include "test_files.h"

namespace {

const DWORD POLL_MILLISECONDS = 20;
const char* const DIALOG_CLASS = "#32770";

bool ParseInteger(const std::string& text, long long& value)
{
    if (text.empty()) return false;
    char* end = NULL;
    value = strtoll(text.c_str(), &end, 0);  // decimal, or 0x for hexadecimal
    return *end == '\0';
}

bool ParseYesNo(const std::string& text, bool& value)
{
    if (text == "yes") value = true;
    else if (text == "no") value = false;
    else return false;
    return true;
}

// A button of a message box by the name of its answer, or by its id.
int ButtonId(const std::string& answer)
{
    if (answer == "ok") return IDOK;
    if (answer == "cancel") return IDCANCEL;
    if (answer == "yes") return IDYES;
    if (answer == "no") return IDNO;
    long long id = 0;
    return ParseInteger(answer, id) ? (int)id : 0;
}

std::string Joined(const std::vector<std::string>& texts)
{
    std::string all;
    for (const std::string& text : texts) all += (all.empty() ? "" : " ") + Quoted(text);
    return "[" + all + "]";
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

std::string Number(long long value) { return std::to_string(value); }

// A file's folder is made first, with every missing level.
void MakeFolderOf(const std::string& path)
{
    size_t slash = path.rfind('\\');
    if (slash != std::string::npos && slash > 2) MakeFolder(path.substr(0, slash));
}

// Splits "HKCU\Software\..." into its root and the rest.
bool SplitKey(const std::string& key, HKEY& root, std::string& path)
{
    size_t slash = key.find('\\');
    std::string rootName = key.substr(0, slash);
    if (rootName == "HKCU") root = HKEY_CURRENT_USER;
    else if (rootName == "HKLM") root = HKEY_LOCAL_MACHINE;
    else return false;
    path = slash == std::string::npos ? "" : key.substr(slash + 1);
    return true;
}

// A value of the store as a text: strings as they are (a value written
// without its terminating zero is still read whole), numbers in decimal.
bool ReadRegistryValue(HKEY key, const std::string& name, std::string& text)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), NULL, &type, NULL, &size) != ERROR_SUCCESS) return false;
    std::vector<unsigned char> data(size + 1, 0);
    if (RegQueryValueExA(key, name.c_str(), NULL, &type, data.data(), &size) != ERROR_SUCCESS) return false;
    if (type == REG_DWORD && size == 4) {
        text = Number((long)(data[0] | data[1] << 8 | data[2] << 16 | (DWORD)data[3] << 24));
        return true;
    }
    text.assign((const char*)data.data(), size);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return true;
}

}  // namespace

ScenarioRun::ScenarioRun(const std::map<std::string, std::string>& startVariables,
                         const std::string& name, const std::string& screenshots)
    : variables(startVariables), scenarioName(name), screenshotFolder(screenshots)
{
    variables["NL"] = "\n";
    variables["Q"] = "\"";
    verbs = {
        {"set", {&ScenarioRun::Set, 2, 2}},
        {"timeout", {&ScenarioRun::Timeout, 1, 1}},
        {"echo", {&ScenarioRun::Echo, 1, 1}},
        {"start-clock", {&ScenarioRun::StartClock, 1, 1}},
        {"report-clock", {&ScenarioRun::ReportClock, 2, 2}},
        {"make-file", {&ScenarioRun::MakeFile, 2, 3}},
        {"make-sparse", {&ScenarioRun::MakeSparse, 2, 3}},
        {"compare", {&ScenarioRun::Compare, 2, 2}},
        {"wait-file", {&ScenarioRun::WaitFile, 2, 2}},
        {"wait-exists", {&ScenarioRun::WaitExists, 1, 1}},
        {"wait-gone", {&ScenarioRun::WaitGone, 1, 1}},
        {"expect-file", {&ScenarioRun::ExpectFile, 1, 2}},
        {"expect-no-file", {&ScenarioRun::ExpectNoFile, 1, 1}},
        {"expect-files", {&ScenarioRun::ExpectFiles, 1, 10000}},
        {"expect-file-count", {&ScenarioRun::ExpectFileCount, 2, 2}},
        {"note-size", {&ScenarioRun::NoteSize, 2, 2}},
        {"remove", {&ScenarioRun::Remove, 1, 1}},
        {"mkdir", {&ScenarioRun::Mkdir, 1, 1}},
        {"copy", {&ScenarioRun::Copy, 2, 2}},
        {"truncate", {&ScenarioRun::Truncate, 2, 2}},
        {"unix", {&ScenarioRun::Unix, 1, 1}},
        {"launch", {&ScenarioRun::Launch, 1, 3}},
        {"wait-exit", {&ScenarioRun::WaitExit, 0, 0}},
        {"exit-code", {&ScenarioRun::ExitCode, 1, 1}},
        {"kill", {&ScenarioRun::Kill, 0, 0}},
        {"note-threads", {&ScenarioRun::NoteThreads, 1, 1}},
        {"wait-threads", {&ScenarioRun::WaitThreads, 1, 1}},
        {"window", {&ScenarioRun::Window, 1, 2}},
        {"dialog", {&ScenarioRun::Dialog, 1, 2}},
        {"wait-closed", {&ScenarioRun::WaitClosed, 0, 0}},
        {"close", {&ScenarioRun::Close, 0, 0}},
        {"box", {&ScenarioRun::Box, 3, 5}},
        {"expect-box", {&ScenarioRun::ExpectBox, 2, 2}},
        {"expect-no-box", {&ScenarioRun::ExpectNoBox, 1, 1}},
        {"move", {&ScenarioRun::Move, 2, 2}},
        {"expect-position", {&ScenarioRun::ExpectPosition, 2, 2}},
        {"expect-centred", {&ScenarioRun::ExpectCentred, 0, 0}},
        {"type", {&ScenarioRun::Type, 2, 2}},
        {"select", {&ScenarioRun::Select, 2, 2}},
        {"click", {&ScenarioRun::Click, 1, 1}},
        {"command", {&ScenarioRun::Command, 1, 1}},
        {"key", {&ScenarioRun::Key, 1, 1}},
        {"expect-text", {&ScenarioRun::ExpectText, 2, 2}},
        {"expect-match", {&ScenarioRun::ExpectMatch, 2, 2}},
        {"note-text", {&ScenarioRun::NoteText, 2, 2}},
        {"expect-enabled", {&ScenarioRun::ExpectEnabled, 2, 2}},
        {"expect-visible", {&ScenarioRun::ExpectVisible, 2, 2}},
        {"expect-items", {&ScenarioRun::ExpectItems, 1, 100}},
        {"expect-focus", {&ScenarioRun::ExpectFocus, 1, 1}},
        {"screenshot", {&ScenarioRun::Screenshot, 1, 1}},
        {"expect-not-blank", {&ScenarioRun::ExpectNotBlank, 1, 1}},
        {"reg-delete", {&ScenarioRun::RegDelete, 1, 1}},
        {"reg-count", {&ScenarioRun::RegCount, 2, 2}},
        {"reg-expect", {&ScenarioRun::RegExpect, 3, 3}},
    };
}

ScenarioRun::~ScenarioRun()
{
    EndPrograms();
}

int ScenarioRun::Run(const ParsedScript& script)
{
    if (!script.error.empty()) {
        printf("scenario %s: %s\n", scenarioName.c_str(), script.error.c_str());
        return 1;
    }
    for (const ScriptStep& step : script.steps) {
        printf("step %d: %s\n", step.number, step.line.c_str());
        fflush(stdout);
        StepOutcome outcome = RunStep(step);
        if (!outcome.ok) {
            ReportFailure(step, outcome);
            EndPrograms();
            return 1;
        }
    }
    EndPrograms();
    printf("scenario %s: all %d steps passed\n", scenarioName.c_str(), (int)script.steps.size());
    return 0;
}

StepOutcome ScenarioRun::RunStep(const ScriptStep& step)
{
    auto verb = verbs.find(step.words[0]);
    if (verb == verbs.end()) return Fail("a known step", "unknown step \"" + step.words[0] + "\"");
    Args args;
    for (size_t i = 1; i < step.words.size(); ++i) {
        std::string expanded, error;
        if (!ExpandVariables(step.words[i], variables, expanded, error)) return Fail("known variables", error);
        args.push_back(expanded);
    }
    if (args.size() < verb->second.fewestArgs || args.size() > verb->second.mostArgs)
        return Fail("between " + Number((long long)verb->second.fewestArgs) + " and " +
                        Number((long long)verb->second.mostArgs) + " arguments",
                    Number((long long)args.size()) + " arguments");
    return (this->*verb->second.handler)(args);
}

void ScenarioRun::ReportFailure(const ScriptStep& step, const StepOutcome& outcome)
{
    printf("FAILED at step %d (line %d): %s\n", step.number, step.lineNumber, step.line.c_str());
    printf("  expected: %s\n", outcome.expected.c_str());
    printf("  saw:      %s\n", outcome.seen.c_str());
    for (const LaunchedProgram& program : programs) {
        printf("  windows of %s:\n", program.path.c_str());
        for (const std::string& line : DescribeProgramWindows(program.processId))
            printf("    %s\n", line.c_str());
    }
    std::string shot = screenshotFolder + "failed_" + scenarioName + "_step" + Number(step.number) + ".png";
    if (SavePng(shot, CaptureWholeScreen())) printf("  screenshot: %s\n", shot.c_str());
    else printf("  no screenshot could be saved at %s\n", shot.c_str());
    fflush(stdout);
}

void ScenarioRun::EndPrograms()
{
    // Programs still running after the scenario would hold the test open.
    for (LaunchedProgram& program : programs) {
        if (WaitForSingleObject(program.process, 0) == WAIT_TIMEOUT) TerminateProcess(program.process, 99);
        CloseHandle(program.process);
    }
    programs.clear();
}

template <typename Condition> bool ScenarioRun::WaitUntil(Condition condition)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > waitMilliseconds) return condition();
        Sleep(POLL_MILLISECONDS);
    }
}

StepOutcome ScenarioRun::Fail(const std::string& expected, const std::string& seen)
{
    StepOutcome outcome;
    outcome.ok = false;
    outcome.expected = expected;
    outcome.seen = seen;
    return outcome;
}

bool ScenarioRun::NeedProgram(StepOutcome& outcome)
{
    if (!programs.empty()) return true;
    outcome = Fail("a launched program", "none launched yet");
    return false;
}

bool ScenarioRun::NeedWindow(StepOutcome& outcome)
{
    if (currentWindow && IsWindow(currentWindow)) return true;
    outcome = Fail("a current window (a window or dialog step before)", "none, or it has closed");
    return false;
}

HWND ScenarioRun::ControlOf(const std::string& idText, StepOutcome& outcome)
{
    if (!NeedWindow(outcome)) return NULL;
    long long id = 0;
    if (!ParseInteger(idText, id)) {
        outcome = Fail("a control id", Quoted(idText));
        return NULL;
    }
    HWND control = GetDlgItem(currentWindow, (int)id);
    // The progress bar lives inside the status bar.
    if (!control) {
        HWND child = NULL;
        while ((child = FindWindowExA(currentWindow, child, NULL, NULL)) && !control)
            control = GetDlgItem(child, (int)id);
    }
    if (!control) outcome = Fail("a control " + idText + " in \"" + WindowText(currentWindow) + "\"", "none");
    return control;
}

HWND ScenarioRun::WaitForWindow(const std::string& title, const std::string& className, bool owned)
{
    Ownership ownership = owned ? Ownership::Owned : Ownership::Unowned;
    DWORD processId = programs.back().processId;
    HWND found = NULL;
    WaitUntil([&] { return (found = FindProgramWindow(processId, title, className, ownership)) != NULL; });
    return found;
}

// ---- Set-up and files ----

StepOutcome ScenarioRun::Set(const Args& args)
{
    variables[args[0]] = args[1];
    return {};
}

StepOutcome ScenarioRun::Timeout(const Args& args)
{
    long long seconds = 0;
    if (!ParseInteger(args[0], seconds) || seconds <= 0) return Fail("a number of seconds", args[0]);
    waitMilliseconds = (DWORD)(seconds * 1000);
    return {};
}

StepOutcome ScenarioRun::Echo(const Args& args)
{
    printf("  %s\n", args[0].c_str());
    return {};
}

StepOutcome ScenarioRun::StartClock(const Args& args)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    clocks[args[0]] = now.QuadPart;
    return {};
}

// Prints the time since start-clock and the rate for the given bytes, for
// the benchmark; a scenario never fails on a time.
StepOutcome ScenarioRun::ReportClock(const Args& args)
{
    auto clock = clocks.find(args[0]);
    if (clock == clocks.end()) return Fail("a started clock", args[0]);
    long long bytes = 0;
    if (!ParseInteger(args[1], bytes)) return Fail("a number of bytes", args[1]);
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    double seconds = (double)(now.QuadPart - clock->second) / (double)frequency.QuadPart;
    printf("  clock %s: %.3f seconds, %.1f MB/s\n", args[0].c_str(), seconds,
           (double)bytes / seconds / 1e6);
    return {};
}

StepOutcome ScenarioRun::MakeFile(const Args& args)
{
    long long size = 0, seed = 1;
    if (!ParseInteger(args[1], size) || (args.size() > 2 && !ParseInteger(args[2], seed)))
        return Fail("a size and a seed", args[1]);
    MakeFolderOf(args[0]);
    if (!MakeNoiseFile(args[0], size, (unsigned)seed)) return Fail("a file made", "it could not be written");
    return {};
}

StepOutcome ScenarioRun::MakeSparse(const Args& args)
{
    long long size = 0, seed = 1;
    if (!ParseInteger(args[1], size) || (args.size() > 2 && !ParseInteger(args[2], seed)))
        return Fail("a size and a seed", args[1]);
    MakeFolderOf(args[0]);
    if (!MakeSparseFile(args[0], size, (unsigned)seed)) return Fail("a sparse file made", "it could not be written");
    return {};
}

StepOutcome ScenarioRun::Compare(const Args& args)
{
    std::string difference = CompareFiles(args[0], args[1]);
    if (!difference.empty()) return Fail("identical files", difference);
    return {};
}

StepOutcome ScenarioRun::WaitFile(const Args& args)
{
    long long size = 0;
    if (!ParseInteger(args[1], size)) return Fail("a size", args[1]);
    if (!WaitUntil([&] { return FileSizeOf(args[0]) == size; }))
        return Fail(args[0] + " of " + args[1] + " bytes", Number(FileSizeOf(args[0])) + " (-1: no file)");
    return {};
}

StepOutcome ScenarioRun::WaitExists(const Args& args)
{
    if (!WaitUntil([&] { return GetFileAttributesA(args[0].c_str()) != INVALID_FILE_ATTRIBUTES; }))
        return Fail(args[0] + " there", "it never appeared");
    return {};
}

StepOutcome ScenarioRun::WaitGone(const Args& args)
{
    if (!WaitUntil([&] { return GetFileAttributesA(args[0].c_str()) == INVALID_FILE_ATTRIBUTES; }))
        return Fail(args[0] + " gone", "it is still there");
    return {};
}

StepOutcome ScenarioRun::ExpectFile(const Args& args)
{
    long long size = 0;
    int64_t actual = FileSizeOf(args[0]);
    if (actual < 0) return Fail("a file " + args[0], "no such file");
    if (args.size() > 1 && (!ParseInteger(args[1], size) || actual != size))
        return Fail(args[0] + " of " + args[1] + " bytes", Number(actual) + " bytes");
    return {};
}

StepOutcome ScenarioRun::ExpectNoFile(const Args& args)
{
    if (GetFileAttributesA(args[0].c_str()) != INVALID_FILE_ATTRIBUTES)
        return Fail("no file or folder " + args[0], "it exists");
    return {};
}

StepOutcome ScenarioRun::ExpectFiles(const Args& args)
{
    std::vector<std::string> expected(args.begin() + 1, args.end());
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> actual = FolderFiles(args[0]);
    if (actual != expected) return Fail("the files " + Joined(expected), Joined(actual));
    return {};
}

StepOutcome ScenarioRun::ExpectFileCount(const Args& args)
{
    long long expected = 0;
    if (!ParseInteger(args[1], expected)) return Fail("a number of files", args[1]);
    size_t count = FolderFiles(args[0]).size();
    if ((long long)count != expected) return Fail(args[1] + " files in " + args[0], Number((long long)count) + " files");
    return {};
}

StepOutcome ScenarioRun::NoteSize(const Args& args)
{
    variables[args[1]] = Number(FileSizeOf(args[0]));
    return {};
}

StepOutcome ScenarioRun::Remove(const Args& args)
{
    if (!RemovePath(args[0])) return Fail(args[0] + " removed", "it could not be removed");
    return {};
}

StepOutcome ScenarioRun::Mkdir(const Args& args)
{
    if (!MakeFolder(args[0])) return Fail("a folder " + args[0], "it could not be made");
    return {};
}

StepOutcome ScenarioRun::Copy(const Args& args)
{
    MakeFolderOf(args[1]);
    if (!CopyFileA(args[0].c_str(), args[1].c_str(), FALSE)) return Fail(args[1] + " copied", "copy failed");
    return {};
}

StepOutcome ScenarioRun::Truncate(const Args& args)
{
    long long size = 0;
    if (!ParseInteger(args[1], size) || !SetFileLength(args[0], size))
        return Fail(args[0] + " cut to " + args[1] + " bytes", "it could not be cut");
    return {};
}

StepOutcome ScenarioRun::Unix(const Args& args)
{
    // Its exit code does not come back reliably: the script checks the effect.
    if (!RunUnixCommand(args[0])) return Fail("the command started", "it could not be started");
    return {};
}

// ---- Programs ----

StepOutcome ScenarioRun::Launch(const Args& args)
{
    std::string folder;
    if (args.size() == 3 && args[1] == "in") folder = args[2];
    else if (args.size() != 1) return Fail("launch PROGRAM [in FOLDER]", "other arguments");
    std::string line = "\"" + args[0] + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, buffer.data(), NULL, NULL, FALSE, 0, NULL,
                        folder.empty() ? NULL : folder.c_str(), &startup, &process))
        return Fail("the program started", "CreateProcess failed with error " + Number(GetLastError()));
    CloseHandle(process.hThread);
    programs.push_back({args[0], process.hProcess, process.dwProcessId});
    currentWindow = NULL;
    return {};
}

StepOutcome ScenarioRun::WaitExit(const Args&)
{
    StepOutcome outcome;
    if (!NeedProgram(outcome)) return outcome;
    if (WaitForSingleObject(programs.back().process, waitMilliseconds) != WAIT_OBJECT_0)
        return Fail("the program ended", "it is still running");
    return {};
}

StepOutcome ScenarioRun::ExitCode(const Args& args)
{
    StepOutcome outcome = WaitExit(args);
    if (!outcome.ok) return outcome;
    DWORD code = 0;
    GetExitCodeProcess(programs.back().process, &code);
    long long expected = 0;
    if (!ParseInteger(args[0], expected) || (DWORD)expected != code)
        return Fail("exit code " + args[0], "exit code " + Number((long)code));
    return {};
}

StepOutcome ScenarioRun::Kill(const Args&)
{
    StepOutcome outcome;
    if (!NeedProgram(outcome)) return outcome;
    TerminateProcess(programs.back().process, 99);
    WaitForSingleObject(programs.back().process, waitMilliseconds);
    return {};
}

StepOutcome ScenarioRun::NoteThreads(const Args& args)
{
    StepOutcome outcome;
    if (!NeedProgram(outcome)) return outcome;
    variables[args[0]] = Number(CountThreads(programs.back().processId));
    printf("  %s = %s\n", args[0].c_str(), variables[args[0]].c_str());
    return {};
}

// Waits until the program runs at most that many threads: a worker it
// started has ended.
StepOutcome ScenarioRun::WaitThreads(const Args& args)
{
    StepOutcome outcome;
    long long most = 0;
    if (!NeedProgram(outcome)) return outcome;
    if (!ParseInteger(args[0], most)) return Fail("a number of threads", args[0]);
    int count = 0;
    if (!WaitUntil([&] { return (count = CountThreads(programs.back().processId)) <= most; }))
        return Fail("at most " + args[0] + " threads", Number(count) + " threads");
    return {};
}

// ---- Windows and message boxes ----

StepOutcome ScenarioRun::Window(const Args& args)
{
    StepOutcome outcome;
    if (!NeedProgram(outcome)) return outcome;
    std::string className = args.size() > 1 ? args[1] : DIALOG_CLASS;
    HWND window = WaitForWindow(args[0], className, false);
    if (!window) return Fail("a window " + Quoted(args[0]) + " of class " + className, "none appeared");
    currentWindow = window;
    return {};
}

StepOutcome ScenarioRun::Dialog(const Args& args)
{
    StepOutcome outcome;
    if (!NeedProgram(outcome)) return outcome;
    std::string className = args.size() > 1 ? args[1] : DIALOG_CLASS;
    HWND window = WaitForWindow(args[0], className, true);
    if (!window) return Fail("an owned dialog " + Quoted(args[0]), "none appeared");
    currentWindow = window;
    return {};
}

StepOutcome ScenarioRun::WaitClosed(const Args&)
{
    HWND window = currentWindow;
    if (!WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }))
        return Fail("the window " + Quoted(WindowText(window)) + " closed", "it is still open");
    return {};
}

StepOutcome ScenarioRun::Close(const Args&)
{
    StepOutcome outcome;
    if (!NeedWindow(outcome)) return outcome;
    PostMessageA(currentWindow, WM_CLOSE, 0, 0);
    return {};
}

HWND ScenarioRun::WaitForBox(const std::string& title, const std::string& text, StepOutcome& outcome)
{
    if (!NeedProgram(outcome)) return NULL;
    HWND box = WaitForWindow(title, DIALOG_CLASS, true);
    if (!box) {
        outcome = Fail("a message box " + Quoted(title) + (text.empty() ? "" : " saying " + Quoted(text)), "none appeared");
        return NULL;
    }
    std::string seen;
    if (!text.empty() && !WaitUntil([&] { return (seen = MessageBoxText(box)) == text; })) {
        outcome = Fail("the text " + Quoted(text), Quoted(seen));
        return NULL;
    }
    return box;
}

// box TITLE [expect TEXT] answer BUTTON
StepOutcome ScenarioRun::Box(const Args& args)
{
    bool hasText = args.size() == 5 && args[1] == "expect" && args[3] == "answer";
    if (!hasText && !(args.size() == 3 && args[1] == "answer"))
        return Fail("box TITLE [expect TEXT] answer BUTTON", "other arguments");
    StepOutcome outcome;
    HWND box = WaitForBox(args[0], hasText ? args[2] : "", outcome);
    if (!box) return outcome;
    std::string answer = args.back();
    HWND button = GetDlgItem(box, ButtonId(answer));
    if (!button || !IsWindowVisible(button)) return Fail("a button " + answer, "no such button in the box");
    PressButton(button);
    if (!WaitUntil([&] { return !IsWindow(box); })) return Fail("the box closed by " + answer, "it stays open");
    return {};
}

// The box stays open: the scenario does something first, then answers.
StepOutcome ScenarioRun::ExpectBox(const Args& args)
{
    StepOutcome outcome;
    WaitForBox(args[0], args[1], outcome);
    return outcome;
}

StepOutcome ScenarioRun::ExpectNoBox(const Args& args)
{
    StepOutcome outcome;
    if (!NeedProgram(outcome)) return outcome;
    HWND box = FindProgramWindow(programs.back().processId, args[0], DIALOG_CLASS, Ownership::Owned);
    if (box) return Fail("no box " + Quoted(args[0]), "a box saying " + Quoted(MessageBoxText(box)));
    return {};
}

StepOutcome ScenarioRun::Move(const Args& args)
{
    StepOutcome outcome;
    long long x = 0, y = 0;
    if (!NeedWindow(outcome)) return outcome;
    if (!ParseInteger(args[0], x) || !ParseInteger(args[1], y)) return Fail("a position", args[0] + " " + args[1]);
    SetWindowPos(currentWindow, NULL, (int)x, (int)y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return ExpectPosition(args);
}

StepOutcome ScenarioRun::ExpectPosition(const Args& args)
{
    StepOutcome outcome;
    long long x = 0, y = 0;
    if (!NeedWindow(outcome)) return outcome;
    if (!ParseInteger(args[0], x) || !ParseInteger(args[1], y)) return Fail("a position", args[0] + " " + args[1]);
    RECT place = {};
    bool there = WaitUntil([&] {
        GetWindowRect(currentWindow, &place);
        return place.left == x && place.top == y;
    });
    if (!there) return Fail("left " + args[0] + ", top " + args[1], "left " + Number(place.left) + ", top " + Number(place.top));
    return {};
}

// Centred on the desktop: (desktop - window size) / 2 on both axes.
StepOutcome ScenarioRun::ExpectCentred(const Args&)
{
    StepOutcome outcome;
    if (!NeedWindow(outcome)) return outcome;
    RECT desktop = {}, place = {};
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(currentWindow, &place);
    Args centre = {Number((desktop.right - (place.right - place.left)) / 2),
                   Number((desktop.bottom - (place.bottom - place.top)) / 2)};
    return ExpectPosition(centre);
}

// ---- Controls of the current window ----

StepOutcome ScenarioRun::Type(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    // A user types once the field can be used (a dialog may still be
    // returning from a job).
    if (!WaitUntil([&] { return IsWindowEnabled(control) != 0; }))
        return Fail("control " + args[0] + " enabled for typing", "it is disabled");
    TypeText(currentWindow, control, args[1]);
    return {};
}

StepOutcome ScenarioRun::Select(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    if (!WaitUntil([&] { return IsWindowEnabled(control) != 0; }))
        return Fail("control " + args[0] + " enabled for a choice", "it is disabled");
    long long index = 0;
    if (!ParseInteger(args[1], index)) index = FindItem(control, args[1]);
    if (index < 0 || !SelectItem(currentWindow, control, (int)index))
        return Fail("an item " + Quoted(args[1]), "the items " + Joined(ListItems(control)));
    return {};
}

StepOutcome ScenarioRun::Click(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    // A user can press only a button that is shown and enabled.
    if (!WaitUntil([&] { return IsWindowVisible(control) && IsWindowEnabled(control); }))
        return Fail("button " + args[0] + " shown and enabled",
                    "shown " + YesNo(IsWindowVisible(control)) + ", enabled " + YesNo(IsWindowEnabled(control)));
    PressButton(control);
    return {};
}

StepOutcome ScenarioRun::Command(const Args& args)
{
    StepOutcome outcome;
    long long id = 0;
    if (!NeedWindow(outcome)) return outcome;
    if (!ParseInteger(args[0], id)) return Fail("a command id", args[0]);
    PostCommand(currentWindow, (int)id);
    return {};
}

// key return|escape|tab: to the control that has the focus.
StepOutcome ScenarioRun::Key(const Args& args)
{
    StepOutcome outcome;
    if (!NeedWindow(outcome)) return outcome;
    UINT key = args[0] == "return" ? VK_RETURN : args[0] == "escape" ? VK_ESCAPE : args[0] == "tab" ? VK_TAB : 0;
    if (!key) return Fail("return, escape or tab", args[0]);
    HWND focus = FocusedControl(currentWindow);
    if (!focus) return Fail("a control with the focus", "none");
    PressKey(focus, key);
    return {};
}

StepOutcome ScenarioRun::ExpectText(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    std::string text;
    if (!WaitUntil([&] { return (text = WindowText(control)) == args[1]; }))
        return Fail("control " + args[0] + " showing " + Quoted(args[1]), Quoted(text));
    return {};
}

StepOutcome ScenarioRun::ExpectMatch(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    std::regex pattern(args[1]);
    std::string text;
    if (!WaitUntil([&] { return std::regex_match(text = WindowText(control), pattern); }))
        return Fail("control " + args[0] + " matching " + Quoted(args[1]), Quoted(text));
    return {};
}

StepOutcome ScenarioRun::NoteText(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    variables[args[1]] = WindowText(control);
    printf("  %s = %s\n", args[1].c_str(), Quoted(variables[args[1]]).c_str());
    return {};
}

StepOutcome ScenarioRun::ExpectEnabled(const Args& args)
{
    StepOutcome outcome;
    bool wanted = false;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    if (!ParseYesNo(args[1], wanted)) return Fail("yes or no", args[1]);
    if (!WaitUntil([&] { return (IsWindowEnabled(control) != 0) == wanted; }))
        return Fail("control " + args[0] + " enabled " + args[1], "enabled " + YesNo(!wanted));
    return {};
}

StepOutcome ScenarioRun::ExpectVisible(const Args& args)
{
    StepOutcome outcome;
    bool wanted = false;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    if (!ParseYesNo(args[1], wanted)) return Fail("yes or no", args[1]);
    if (!WaitUntil([&] { return (IsWindowVisible(control) != 0) == wanted; }))
        return Fail("control " + args[0] + " shown " + args[1], "shown " + YesNo(!wanted));
    return {};
}

StepOutcome ScenarioRun::ExpectItems(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    std::vector<std::string> expected(args.begin() + 1, args.end()), items;
    if (!WaitUntil([&] { return (items = ListItems(control)) == expected; }))
        return Fail("the list items " + Joined(expected), Joined(items));
    return {};
}

StepOutcome ScenarioRun::ExpectFocus(const Args& args)
{
    StepOutcome outcome;
    HWND control = ControlOf(args[0], outcome);
    if (!control) return outcome;
    HWND focus = NULL;
    // The edit inside a combo box counts as the combo box.
    bool focused = WaitUntil([&] {
        focus = FocusedControl(currentWindow);
        return focus == control || (focus && GetParent(focus) == control);
    });
    if (!focused) return Fail("the focus on control " + args[0], "the focus on control " + Number(ControlId(focus)));
    return {};
}

// ---- Screenshots ----

StepOutcome ScenarioRun::Screenshot(const Args& args)
{
    StepOutcome outcome;
    if (!NeedWindow(outcome)) return outcome;
    std::string path = screenshotFolder + args[0] + ".png";
    // Have the program paint everything now, then take the picture once it
    // has settled: two captures in a row that are the same.
    // Above every other window for the moment, so that no window of another
    // test on the same display covers it.
    const UINT KEEP_PLACE = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(currentWindow, HWND_TOPMOST, 0, 0, 0, 0, KEEP_PLACE);
    RedrawWindow(currentWindow, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RgbImage image = CaptureWindow(currentWindow), previous;
    WaitUntil([&] {
        previous = image;
        image = CaptureWindow(currentWindow);
        return image.pixels == previous.pixels && !IsOneColour(image);
    });
    SetWindowPos(currentWindow, HWND_NOTOPMOST, 0, 0, 0, 0, KEEP_PLACE);
    if (!SavePng(path, image)) return Fail("a screenshot at " + path, "it could not be saved");
    printf("  screenshot: %s (%dx%d)\n", path.c_str(), image.width, image.height);
    return ExpectNotBlank(args);
}

StepOutcome ScenarioRun::ExpectNotBlank(const Args& args)
{
    std::string path = screenshotFolder + args[0] + ".png";
    RgbImage image;
    if (!LoadStoredPng(path, image)) return Fail("a readable screenshot " + path, "none, or not readable");
    if (IsOneColour(image)) return Fail("a screenshot with a picture in it", "one colour only: " + path);
    return {};
}

// ---- The per-user settings store ----

StepOutcome ScenarioRun::RegDelete(const Args& args)
{
    HKEY root;
    std::string path;
    if (!SplitKey(args[0], root, path)) return Fail("a key under HKCU or HKLM", args[0]);
    LONG result = RegDeleteTreeA(root, path.c_str());
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
        return Fail(args[0] + " deleted", "error " + Number(result));
    return {};
}

StepOutcome ScenarioRun::RegCount(const Args& args)
{
    HKEY root, key;
    std::string path;
    long long expected = 0;
    if (!SplitKey(args[0], root, path) || !ParseInteger(args[1], expected)) return Fail("KEY COUNT", args[0]);
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return Fail("the key " + args[0], "no such key");
    DWORD count = 0;
    RegQueryInfoKeyA(key, NULL, NULL, NULL, NULL, NULL, NULL, &count, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if ((long long)count != expected) return Fail(args[1] + " values", Number((long)count) + " values");
    return {};
}

StepOutcome ScenarioRun::RegExpect(const Args& args)
{
    HKEY root, key;
    std::string path, text;
    if (!SplitKey(args[0], root, path)) return Fail("a key under HKCU or HKLM", args[0]);
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return Fail("the key " + args[0], "no such key");
    bool found = ReadRegistryValue(key, args[1], text);
    RegCloseKey(key);
    if (!found) return Fail("a value " + args[1], "no such value");
    if (text != args[2]) return Fail(args[1] + " = " + Quoted(args[2]), args[1] + " = " + Quoted(text));
    return {};
}
