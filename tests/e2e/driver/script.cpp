#include "script.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads a quoted word starting after its opening quote; `at` ends after the
// closing quote.
bool ReadQuoted(const std::string& line, size_t& at, std::string& word, std::string& error)
{
    while (at < line.size()) {
        char c = line[at++];
        if (c == '"') return true;
        word += c;
    }
    error = "a quoted text is not closed";
    return false;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string current;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

std::string Trimmed(const std::string& line)
{
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    size_t last = line.size();
    while (last > first && IsBlank(line[last - 1])) --last;
    return line.substr(first, last - first);
}

}  // namespace

bool SplitWords(const std::string& line, std::vector<std::string>& words, std::string& error)
{
    words.clear();
    size_t at = 0;
    while (at < line.size()) {
        if (IsBlank(line[at])) {
            ++at;
            continue;
        }
        std::string word;
        if (line[at] == '"') {
            ++at;
            if (!ReadQuoted(line, at, word, error)) return false;
        } else {
            while (at < line.size() && !IsBlank(line[at])) word += line[at++];
        }
        words.push_back(word);
    }
    return true;
}

ParsedScript ParseScript(const std::string& text)
{
    ParsedScript script;
    std::vector<std::string> lines = Lines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = Trimmed(lines[i]);
        if (line.empty() || line[0] == '#') continue;
        ScriptStep step;
        step.number = (int)script.steps.size() + 1;
        step.lineNumber = (int)i + 1;
        step.line = line;
        std::string error;
        if (!SplitWords(line, step.words, error)) {
            script.error = "line " + std::to_string(i + 1) + ": " + error;
            return script;
        }
        script.steps.push_back(step);
    }
    return script;
}

bool ExpandVariables(const std::string& word, const std::map<std::string, std::string>& variables,
                     std::string& expanded, std::string& error)
{
    expanded.clear();
    size_t at = 0;
    while (at < word.size()) {
        size_t start = word.find("${", at);
        if (start == std::string::npos) break;
        size_t end = word.find('}', start);
        if (end == std::string::npos) break;
        expanded += word.substr(at, start - at);
        std::string name = word.substr(start + 2, end - start - 2);
        auto found = variables.find(name);
        if (found == variables.end()) {
            error = "unknown variable ${" + name + "}";
            return false;
        }
        expanded += found->second;
        at = end + 1;
    }
    expanded += word.substr(at);
    return true;
}

std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        // Written back as a script would write it, so it can be copied into one.
        if (c == '\n') out += "${NL}";
        else if (c == '"') out += "${Q}";
        else out += c;
    }
    return out + "\"";
}
