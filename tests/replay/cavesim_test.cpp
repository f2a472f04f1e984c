#include <gtest/gtest.h>

#include <vector>

#include "crc32.h"
#include "crc32_fold.h"
#include "options.h"
#include "platform/key_script.h"
#include "script.h"

namespace {

TEST(Crc32Test, MatchesZlibOverLittleEndianPixelBytes) {
    // Reference values from zlib's crc32 over the bytes 33 22 11 00 FF FF FF 00 and "12345678".
    const std::uint32_t pixels[] = {0x00112233u, 0x00FFFFFFu};
    EXPECT_EQ(Crc32OfPixels(pixels, 2), 0x0D71BD12u);
    const std::uint32_t digits[] = {0x34333231u, 0x38373635u};
    EXPECT_EQ(Crc32OfPixels(digits, 2), 0x9AE0DAAFu);
    EXPECT_EQ(Crc32OfPixels(pixels, 0), 0u);
}

// Bit by bit, the definition itself: the fast paths must agree with it at every length, around
// the block sizes where they hand over to one another, and over a whole cave image.
std::uint32_t BitwiseCrc(const std::vector<std::uint32_t>& pixels, std::size_t count) {
    std::uint32_t crc = ~0u;
    for (std::size_t i = 0; i < count * 4; ++i) {
        crc ^= (pixels[i / 4] >> (8 * (i % 4))) & 0xFFu;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

TEST(Crc32Test, AgreesWithTheDefinitionAtEveryLength) {
    std::vector<std::uint32_t> pixels(320 * 240);
    std::uint32_t value = 12345;
    for (std::uint32_t& pixel : pixels) pixel = value = value * 1103515245u + 12345u;
    for (std::size_t count = 0; count <= 100; ++count) {
        EXPECT_EQ(Crc32OfPixels(pixels.data(), count), BitwiseCrc(pixels, count)) << count;
    }
    EXPECT_EQ(Crc32OfPixels(pixels.data(), pixels.size()), BitwiseCrc(pixels, pixels.size()));
}

// Crc32OfPixels takes only the fold this processor does fastest; the other one is checked here,
// from the shortest foldable length through a lane and a block past it to a whole image.
TEST(Crc32Test, BothFoldsAgreeWithTheDefinition) {
    if (!CanFoldCrc32(Crc32Fold::Narrow)) GTEST_SKIP() << "this processor cannot fold";
    std::vector<std::uint32_t> pixels(320 * 240);
    std::uint32_t value = 54321;
    for (std::uint32_t& pixel : pixels) pixel = value = value * 1103515245u + 12345u;
    const auto* bytes = reinterpret_cast<const unsigned char*>(pixels.data());
    const std::size_t counts[] = {32, 36, 64, 68, 260, pixels.size()};
    for (const Crc32Fold fold : {Crc32Fold::Narrow, Crc32Fold::Wide}) {
        if (!CanFoldCrc32(fold)) continue;
        for (const std::size_t count : counts) {
            EXPECT_EQ(~FoldCrc32(bytes, count * 4, ~0u, fold), BitwiseCrc(pixels, count))
                << (fold == Crc32Fold::Wide ? "wide" : "narrow") << " over " << count;
        }
    }
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

TEST(DemoTest, WritesWhatItReadsAndNamesABadHeader) {
    const Demo demo{4294967295u, {{1, 200, true}, {1, 25, true}, {4294967295u, 200, false}}};
    const std::string text = DemoText(demo);
    const ParsedDemo back = ParseDemo(text);
    ASSERT_EQ(back.Error, "");
    EXPECT_EQ(back.Value.Seed, demo.Seed);
    EXPECT_EQ(KeyScriptText(back.Value.Changes), KeyScriptText(demo.Changes));
    EXPECT_EQ(ParseDemo("# cave demo 1 seed 0\r\n\r\n").Error, "");
    EXPECT_EQ(back.Value.Players, 1);
    EXPECT_EQ(text.rfind("# cave demo 1 seed 4294967295\n", 0), 0u);
    // Several players get a header of their own, which readers of one player refuse.
    const Demo four{7, {{3, 48, true}}, 4};
    EXPECT_EQ(DemoText(four).rfind("# cave demo 2 seed 7 players 4\n", 0), 0u);
    EXPECT_EQ(ParseDemo(DemoText(four)).Value.Players, 4);

    const char* bad[] = {"",
                         "1 200 down",
                         "# cave demo 2 seed 1",
                         "# cave demo 1 seed 4294967296",
                         "# cave demo 1 seed",
                         "#cave demo 1 seed 1",
                         "# cave demo 1 seed 1 more",
                         "# cave demo 1 seed 1 players 2",
                         "# cave demo 2 seed 1 players 1",
                         "# cave demo 2 seed 1 players 5",
                         "# cave demo 2 seed 1 gamers 2"};
    for (const char* header : bad) {
        const ParsedDemo parsed = ParseDemo(std::string(header) + "\n5 200 down\n");
        EXPECT_EQ(parsed.Error.rfind("line 1:", 0), 0u) << header << ": " << parsed.Error;
        EXPECT_TRUE(parsed.Value.Changes.empty());
    }
}

TEST(OptionsTest, ParsesEveryOptionAndRejectsBadOnes) {
    const char* good[] = {
        "cavesim", "--seed",       "4294967295", "--frames",    "0", "--script",     "-", "--trace",
        "t",       "--dump-frame", "f",          "--dump-cave", "c", "--keep-flying"};
    const ParsedOptions parsed = ParseOptions(14, good);
    ASSERT_EQ(parsed.Error, "");
    EXPECT_TRUE(parsed.Values.KeepFlying);
    EXPECT_EQ(parsed.Values.Seed, 4294967295u);
    EXPECT_EQ(parsed.Values.Frames, 0u);
    EXPECT_EQ(parsed.Values.DumpCave, "c");

    const std::vector<std::vector<const char*>> bad = {{"cavesim", "--frames"},
                                                       {"cavesim", "--seed", "-1"},
                                                       {"cavesim", "--seed", "1x"},
                                                       {"cavesim", "stray"},
                                                       {"cavesim", "--trace", ""},
                                                       {"cavesim", "--fps", "3"},
                                                       {"cavesim", "--demo", "d", "--script", "s"}};
    for (const auto& args : bad) {
        EXPECT_NE(ParseOptions(static_cast<int>(args.size()), args.data()).Error, "") << args[1];
    }
}

}  // namespace
