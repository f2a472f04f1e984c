#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

ParsedCommandLine Parse(std::vector<const char*> words) {
    words.insert(words.begin(), "cave");
    return ParseCommandLine(static_cast<int>(words.size()), words.data());
}

TEST(CommandLineTest, GoodLinesSetWhatTheyName) {
    const ParsedCommandLine none = Parse({});
    EXPECT_EQ(none.Error, "");
    EXPECT_FALSE(none.Options.Help || none.Options.Version);
    EXPECT_EQ(none.Options.Scale, 0);
    EXPECT_FALSE(none.Options.FullScreen);

    EXPECT_EQ(Parse({"--scale", "3"}).Options.Scale, 3);
    EXPECT_EQ(Parse({"--scale=8"}).Options.Scale, 8);
    EXPECT_EQ(Parse({"--scale", "1", "--scale", "2"}).Options.Scale, 2);  // the last one counts
    EXPECT_TRUE(Parse({"-h"}).Options.Help);
    const ParsedCommandLine both = Parse({"--version", "--scale", "4", "--help"});
    EXPECT_EQ(both.Error, "");
    EXPECT_TRUE(both.Options.Help && both.Options.Version);
    EXPECT_EQ(both.Options.Scale, 4);
    const ParsedCommandLine files = Parse({"--record", "a.demo", "--scores"});
    EXPECT_EQ(files.Options.Record, "a.demo");
    EXPECT_TRUE(files.Options.Scores);
    EXPECT_TRUE(Parse({"--scale", "2", "--fullscreen"}).Options.FullScreen);
    EXPECT_EQ(Parse({"--play=b.demo"}).Options.Play, "b.demo");
    EXPECT_TRUE(Parse({"--daily", "--record", "a"}).Options.Daily);
    EXPECT_EQ(Parse({"--cave", "4294967295"}).Options.Cave, 4294967295u);
    EXPECT_EQ(Parse({"--share", "a.demo"}).Options.Share, "a.demo");
}

TEST(CommandLineTest, BadLinesNameTheWordAndSetNothing) {
    struct Case {
        std::vector<const char*> Words;
        std::string Error;
    };
    const Case cases[] = {
        {{"--scale", "2", "--full"}, "unknown option '--full'"},
        {{"--fullscreen=1"}, "--fullscreen takes no value"},
        {{"-x"}, "unknown option '-x'"},
        {{"anything"}, "unexpected argument 'anything'"},
        {{""}, "unexpected argument ''"},
        {{"--help", "--scale"}, "--scale needs a value: --scale N"},
        {{"--scale", "0"}, "--scale takes a whole number from 1 to 8, not '0'"},
        {{"--scale", "9"}, "--scale takes a whole number from 1 to 8, not '9'"},
        {{"--scale", "08"}, "--scale takes a whole number from 1 to 8, not '08'"},
        {{"--scale=2x"}, "--scale takes a whole number from 1 to 8, not '2x'"},
        {{"--scale="}, "--scale takes a whole number from 1 to 8, not ''"},
        {{"--scale", "--help"}, "--scale takes a whole number from 1 to 8, not '--help'"},
        {{"--version=2"}, "--version takes no value"},
        {{"--help=", "--scale", "2"}, "--help takes no value"},
        {{"--record="}, "--record needs a file name"},
        {{"--play"}, "--play needs a value: --play FILE"},
        {{"--record", "a", "--play", "b"}, "--record and --play cannot go together"},
        {{"--cave", "4294967296"}, "--cave takes a number from 0 to 4294967295, not '4294967296'"},
        {{"--cave=-1"}, "--cave takes a number from 0 to 4294967295, not '-1'"},
        {{"--daily", "--cave", "5"}, "--daily and --cave cannot go together"},
        {{"--cave", "5", "--play", "b"}, "--cave and --play cannot go together"},
        {{"--daily=2026-12-08"}, "--daily takes no value"},
    };
    for (const Case& bad : cases) {
        const ParsedCommandLine parsed = Parse(bad.Words);
        EXPECT_EQ(parsed.Error, bad.Error);
        EXPECT_FALSE(parsed.Options.Help || parsed.Options.Version) << bad.Error;
        EXPECT_EQ(parsed.Options.Scale, 0) << bad.Error;
    }
}

}  // namespace
