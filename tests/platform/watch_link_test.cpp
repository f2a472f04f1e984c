// Watch links against the demos they carry: every demo comes back as it went in, typical games
// make short links, and anything else is refused with a reason.
#include "platform/watch_link.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Comes back as the same demo text, through a payload and through a whole link.
void ExpectRoundTrip(const Demo& demo) {
    const std::string payload = WatchPayload(demo);
    for (const std::string& link : {payload, "https://example.org/cave/#watch=" + payload}) {
        const ParsedDemo back = ParseWatchPayload(link);
        ASSERT_EQ(back.Error, "") << link;
        EXPECT_EQ(DemoText(back.Value), DemoText(demo));
    }
}

TEST(WatchLink, EveryDemoComesBackAsItWentIn) {
    for (const auto& entry : std::filesystem::directory_iterator(CAVE_REPLAY_SCRIPTS)) {
        if (entry.path().extension() != ".demo" || entry.path().stem() == "malformed") continue;
        const ParsedDemo demo = ParseDemo(Contents(entry.path()));
        ASSERT_EQ(demo.Error, "") << entry.path();
        ExpectRoundTrip(demo.Value);
    }
    // Seeds and polls at their limits, every key, long gaps, changes in one poll.
    ExpectRoundTrip({4294967295u,
                     {{1, 200, true},
                      {1, 57, true},
                      {16, 25, true},
                      {17, 25, false},
                      {100000, 1, true},
                      {100000, 0, false},
                      {4294967295u, 255, true}}});
    ExpectRoundTrip({0, {}});
    // Demo text, a link and a payload all read as a demo.
    const Demo demo{7, {{3, 200, true}, {9, 200, false}}};
    for (const std::string& text : {DemoText(demo), "#watch=" + WatchPayload(demo) + "\n"}) {
        EXPECT_EQ(DemoText(ParseAnyDemo(text).Value), DemoText(demo));
    }
}

// Two minutes at 31 frames a second, Up pressed and let go about twice a second.
TEST(WatchLink, ATwoMinuteGameFitsAShortLink) {
    std::mt19937 random(1);
    std::uniform_int_distribution<std::uint32_t> gap(4, 28);
    Demo game{1733650000u, {}};
    bool down = false;
    for (std::uint32_t poll = gap(random); poll < 120 * 31; poll += gap(random)) {
        down = !down;
        game.Changes.push_back({poll, 200, down});
    }
    ASSERT_GT(game.Changes.size(), 220u);
    const std::string link = "https://example.org/cave/#watch=" + WatchPayload(game);
    EXPECT_LE(link.size(), 1500u);
    ExpectRoundTrip(game);
}

TEST(WatchLink, AnythingElseIsRefusedWithTheReason) {
    const std::string good = WatchPayload({20261208, {{5, 200, true}, {9, 57, true}}});
    const std::pair<std::string, std::string> cases[] = {
        {"", "empty"},
        {"#watch=", "empty"},
        {"2" + good.substr(1), "known version"},
        {good + "!", "character " + std::to_string(good.size() + 1) + " of the payload"},
        {"1AA8", "ends in the middle of key change 1"},  // an other key without its code
        {"1AIA", "ends in the middle of key change 1"},  // a number cut short
        {"1gA", "ends in the middle of the seed"},
        {"1_____38", "too large"},                // a seed of more than 32 bits
        {"1gAA", "written too long"},             // a number with a trailing zero group
        {"1AAE", "poll 0"},                       // a first change at poll 0
        {"1AB", "last character"},                // bits left over after the last byte
        {"1APn___9_CQ", "not in 1..4294967295"},  // past the last poll
        {"1AA_I", "short form"},                  // Up given by its code
        {std::string(kMaxWatchLinkBytes + 1, 'A'), "longer than 65536 bytes"},
    };
    for (const auto& [text, reason] : cases) {
        const ParsedDemo parsed = ParseWatchPayload(text);
        EXPECT_NE(parsed.Error.find(reason), std::string::npos)
            << "'" << text.substr(0, 40) << "' gave '" << parsed.Error << "'";
        EXPECT_TRUE(parsed.Value.Changes.empty());
    }
    EXPECT_TRUE(LooksLikeWatchLink(good));
    EXPECT_FALSE(LooksLikeWatchLink("games/best.demo"));
    EXPECT_FALSE(LooksLikeWatchLink("# cave demo 1 seed 5\n"));
    // A binary that happens to hold the mark is no link.
    EXPECT_FALSE(LooksLikeWatchLink(std::string("\x7f"
                                                "ELF\x02 #watch=",
                                                12) +
                                    good));
}

}  // namespace
