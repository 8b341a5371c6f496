#include <gtest/gtest.h>

#include "script.h"

TEST(Script, WordsQuotedTextsAndComments)
{
    ParsedScript script = ParseScript(
        "# a comment\n"
        "\n"
        "type 1000 \"C:\\new folder\\a b.txt\"\r\n"
        "   click 1010   \n"
        "box \"Brindle 1.31\" expect \"It is ${Q}x${Q}${NL}Go on?\" answer yes");
    ASSERT_EQ(script.error, "");
    ASSERT_EQ(script.steps.size(), 3u);
    EXPECT_EQ(script.steps[0].words, (std::vector<std::string>{"type", "1000", "C:\\new folder\\a b.txt"}));
    EXPECT_EQ(script.steps[0].number, 1);
    EXPECT_EQ(script.steps[0].lineNumber, 3);
    EXPECT_EQ(script.steps[1].words, (std::vector<std::string>{"click", "1010"}));
    EXPECT_EQ(script.steps[1].line, "click 1010");
    EXPECT_EQ(script.steps[2].words[3], "It is ${Q}x${Q}${NL}Go on?");
    EXPECT_EQ(script.steps[2].lineNumber, 5);
}

TEST(Script, EmptyQuotedTextIsAWord)
{
    ParsedScript script = ParseScript("type 1000 \"\"\n");
    ASSERT_EQ(script.steps.size(), 1u);
    EXPECT_EQ(script.steps[0].words, (std::vector<std::string>{"type", "1000", ""}));
}

TEST(Script, UnclosedQuoteNamesItsLine)
{
    ParsedScript script = ParseScript("click 1\ntype 1000 \"abc\n");
    EXPECT_EQ(script.error, "line 2: a quoted text is not closed");
}

TEST(Script, VariablesAreExpanded)
{
    std::map<std::string, std::string> variables = {{"WORK", "Z:\\w"}, {"NL", "\n"}, {"Q", "\""}};
    std::string expanded, error;
    ASSERT_TRUE(ExpandVariables("${WORK}\\a.bin${NL}${Q}${WORK}${Q}", variables, expanded, error));
    EXPECT_EQ(expanded, "Z:\\w\\a.bin\n\"Z:\\w\"");
    ASSERT_TRUE(ExpandVariables("no variables, $ or {}", variables, expanded, error));
    EXPECT_EQ(expanded, "no variables, $ or {}");
}

TEST(Script, UnknownVariableIsNamed)
{
    std::string expanded, error;
    EXPECT_FALSE(ExpandVariables("${WORK}\\x", {}, expanded, error));
    EXPECT_EQ(error, "unknown variable ${WORK}");
}

TEST(Script, ReportsWriteTextsAsScriptsDo)
{
    EXPECT_EQ(Quoted("The file \"a\"\nGo on?"), "\"The file ${Q}a${Q}${NL}Go on?\"");
}
