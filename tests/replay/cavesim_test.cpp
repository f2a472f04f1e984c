#include <gtest/gtest.h>

#include <cstring>

#include "crc32.h"
#include "options.h"
#include "script.h"

namespace {

TEST(Crc32Test, MatchesTheIeeeCheckValueAndPixelByteOrder) {
    const char* check = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const std::uint8_t*>(check), std::strlen(check)), 0xCBF43926u);
    const std::uint32_t pixels[] = {0x00112233u, 0x00FFFFFFu};
    const std::uint8_t bytes[] = {0x33, 0x22, 0x11, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
    EXPECT_EQ(Crc32OfPixels(pixels, 2), Crc32(bytes, sizeof bytes));
}

TEST(ScriptTest, ReadsEventsAndSkipsBlankAndCommentLines) {
    const ParsedScript script = ParseScript("# keys\n\n 12\t200  down \r\n4294967295 0 up\n\t\n");
    ASSERT_EQ(script.Error, "");
    ASSERT_EQ(script.Events.size(), 2u);
    EXPECT_EQ(script.Events[0].Poll, 12u);
    EXPECT_EQ(script.Events[0].Code, 200);
    EXPECT_TRUE(script.Events[0].Down);
    EXPECT_EQ(script.Events[1].Poll, 4294967295u);
    EXPECT_FALSE(script.Events[1].Down);
}

TEST(ScriptTest, NamesTheFirstMalformedLine) {
    const char* bad[] = {"0 1 down", "4294967296 1 up", "1 256 down",
                         "1 1 Down", "1 1 down # note", "1 1",
                         "-1 1 up",  "1 0x10 up",       "1 1 up extra"};
    for (const char* line : bad) {
        const ParsedScript script = ParseScript(std::string("1 1 up\n\n") + line + "\n");
        EXPECT_EQ(script.Error.rfind("line 3:", 0), 0u) << line << ": " << script.Error;
        EXPECT_TRUE(script.Events.empty());
    }
}

TEST(OptionsTest, ParsesEveryOptionAndRejectsBadOnes) {
    const char* good[] = {"cavesim",  "--seed",      "4294967295", "--frames", "0",
                          "--script", "-",           "--trace",    "t",        "--dump-frame",
                          "f",        "--dump-cave", "c"};
    const ParsedOptions parsed = ParseOptions(13, good);
    ASSERT_EQ(parsed.Error, "");
    EXPECT_EQ(parsed.Values.Seed, 4294967295u);
    EXPECT_EQ(parsed.Values.Frames, 0u);
    EXPECT_EQ(parsed.Values.DumpCave, "c");

    const std::vector<std::vector<const char*>> bad = {
        {"cavesim", "--frames"}, {"cavesim", "--seed", "-1"}, {"cavesim", "--seed", "1x"},
        {"cavesim", "stray"},    {"cavesim", "--trace", ""},  {"cavesim", "--fps", "3"}};
    for (const auto& args : bad) {
        EXPECT_NE(ParseOptions(static_cast<int>(args.size()), args.data()).Error, "") << args[1];
    }
}

}  // namespace
