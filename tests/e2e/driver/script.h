// Scenario scripts: one step per line, words separated by blanks, texts with
// blanks in double quotes, "#" starts a comment line. Backslashes are plain
// characters (Windows paths are written as they are); a double quote inside a
// text is ${Q} and a line break ${NL}. ${NAME} in any word is replaced by the
// variable's value when the step runs.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ScriptStep {
    int number = 0;       // counted from 1 over the steps, not the lines
    int lineNumber = 0;   // line of the script file
    std::string line;     // the line as written, for reports
    std::vector<std::string> words;  // the verb first; quotes removed
};

struct ParsedScript {
    std::vector<ScriptStep> steps;
    std::string error;  // empty when every line could be read
};

// Splits one line into words; false (with a reason) for an unclosed quote.
bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error);
ParsedScript ParseScript(const std::string& text);

// Replaces every ${NAME} by its value; false (naming it) for an unknown one.
bool ExpandVariables(const std::string& word, const std::map<std::string, std::string>& variables,
                     std::string& expanded, std::string& error);

// Texts in reports: line breaks and quotes shown as they are written in scripts.
std::string Quoted(const std::string& text);
