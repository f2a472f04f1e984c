// The best-scores table against what players' machines do to it: crashes, two games ending at
// once, damaged files, folders that cannot be written.
#include "shell/best_scores.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/user_files.h"

namespace fs = std::filesystem;

namespace {

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string DemoWithSeed(std::int32_t seed) {
    return "# cave demo 1 seed " + std::to_string(seed) + "\n";
}

class BestScores : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() /
                 ("cave-scores-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }

    std::vector<BestScore> Table() const {
        const ReadScores read = ReadBestScores(Folder.string());
        EXPECT_EQ(read.Error, "");
        return read.Scores;
    }
    // Adds a score in a child process; returns how the child ended, as waitpid tells it.
    template <typename Setup>
    pid_t AddInChild(std::int32_t points, Setup setup) const {
        const pid_t child = fork();
        if (child == 0) {
            setup();
            AddBestScore(Folder.string(), points, DemoWithSeed(points));
            _exit(0);
        }
        return child;
    }
    fs::path Folder;
};

TEST_F(BestScores, KeepsTheTenBestWithTheirDemosAndRemovesTheDemosOfDroppedOnes) {
    const std::int32_t points[] = {5, 50, 20, 20, 70, 1, 30, 40, 60, 10};
    for (const std::int32_t p : points) AddBestScore(Folder.string(), p, DemoWithSeed(p));
    std::vector<BestScore> table = Table();
    ASSERT_EQ(table.size(), 10u);
    const std::string lowestDemo = table.back().DemoFile;
    EXPECT_EQ(table.back().Points, 1);

    // The 11th score pushes out the lowest and its demo; a score below all ten is not kept.
    AddBestScore(Folder.string(), 25, DemoWithSeed(25));
    AddBestScore(Folder.string(), 0, DemoWithSeed(0));
    table = Table();
    ASSERT_EQ(table.size(), 10u);
    std::vector<std::int32_t> kept;
    for (const BestScore& score : table) {
        kept.push_back(score.Points);
        EXPECT_EQ(Contents(Folder / score.DemoFile), DemoWithSeed(score.Points));
    }
    EXPECT_EQ(kept, (std::vector<std::int32_t>{70, 60, 50, 40, 30, 25, 20, 20, 10, 5}));
    EXPECT_FALSE(fs::exists(Folder / lowestDemo));
    std::size_t demos = 0;
    for (const auto& entry : fs::directory_iterator(Folder)) {
        demos += entry.path().extension() == ".demo";
    }
    EXPECT_EQ(demos, 10u);
}

TEST_F(BestScores, ACrashWhileTheTableIsWrittenLeavesTheOldTable) {
    for (std::int32_t p = 1; p <= 10; ++p) AddBestScore(Folder.string(), p, DemoWithSeed(p));
    const std::string before = Contents(Folder / "scores.txt");
    ASSERT_GT(before.size(), 300u);
    // The process dies as the write passes 200 bytes: the demo is shorter, the table is not.
    const pid_t child = AddInChild(99, [] {
        signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{200, 200};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    EXPECT_EQ(Contents(Folder / "scores.txt"), before);

    // The next game finds the table whole and gets in.
    AddBestScore(Folder.string(), 98, DemoWithSeed(98));
    EXPECT_EQ(Table().front().Points, 98);
}

TEST_F(BestScores, TwoProcessesWritingAtOnceBothGetIn) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    // Both children wait at the pipe, then add five scores each as fast as they can.
    auto addFive = [&](std::int32_t first) {
        const pid_t child = fork();
        if (child == 0) {
            char go = 0;
            close(pipeEnds[1]);
            if (read(pipeEnds[0], &go, 1) != 1) _exit(1);
            for (std::int32_t p = first; p < first + 5; ++p) {
                AddBestScore(Folder.string(), p, DemoWithSeed(p));
            }
            _exit(0);
        }
        return child;
    };
    const pid_t a = addFive(100);
    const pid_t b = addFive(200);
    close(pipeEnds[0]);
    ASSERT_EQ(write(pipeEnds[1], "gg", 2), 2);
    close(pipeEnds[1]);
    for (const pid_t child : {a, b}) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::int32_t> kept;
    for (const BestScore& score : Table()) {
        kept.push_back(score.Points);
        EXPECT_EQ(Contents(Folder / score.DemoFile), DemoWithSeed(score.Points));
    }
    EXPECT_EQ(kept, (std::vector<std::int32_t>{204, 203, 202, 201, 200, 104, 103, 102, 101, 100}));
}

TEST_F(BestScores, ADamagedTableIsMovedAsideWithOneLineAndANewOneBegun) {
    fs::create_directories(Folder);
    const std::string foreign = "HIGHSCORES\x01\x02 not ours\n";
    std::ofstream(Folder / "scores.txt", std::ios::binary) << foreign;
    ::testing::internal::CaptureStderr();
    AddBestScore(Folder.string(), 7, DemoWithSeed(7));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("damaged"), std::string::npos) << said;

    std::vector<fs::path> aside;
    for (const auto& entry : fs::directory_iterator(Folder)) {
        if (entry.path().filename().string().rfind("scores.txt.aside-", 0) == 0) {
            aside.push_back(entry.path());
        }
    }
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(Contents(aside[0]), foreign);
    ASSERT_EQ(Table().size(), 1u);
    EXPECT_EQ(Table()[0].Points, 7);
}

// A table written before entries named their caves still reads, its games on random caves; it
// is not taken for a damaged one.
TEST_F(BestScores, AnOlderTableStillReadsAndEachEntryKeepsItsCave) {
    fs::create_directories(Folder);
    std::ofstream(Folder / "scores.txt") << "# cave best scores 1\n5 2026-01-02T03:04:05 a.demo\n";
    std::ofstream(Folder / "a.demo") << DemoWithSeed(5);
    ::testing::internal::CaptureStderr();
    AddBestScore(Folder.string(), 9, DemoWithSeed(20261208), "daily-2026-12-08");
    AddBestScore(Folder.string(), 7, DemoWithSeed(42), "cave-42");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    std::vector<std::string> caves;
    for (const BestScore& score : Table()) caves.push_back(score.Cave);
    EXPECT_EQ(caves, (std::vector<std::string>{"daily-2026-12-08", "cave-42", "random"}));
    EXPECT_NE(BestScoresText(Folder.string(), Table()).find("  cave-42  "), std::string::npos);
}

TEST_F(BestScores, AFolderThatCannotBeMadeGivesOneWarningAndNoFailure) {
    // A file where a parent folder should be stops even root, which may write anywhere else.
    fs::create_directories(Folder);
    std::ofstream(Folder / "plain-file") << "x";
    const std::string blocked = (Folder / "plain-file" / "cave").string();
    ::testing::internal::CaptureStderr();
    AddBestScore(blocked, 7, DemoWithSeed(7));
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(blocked), std::string::npos) << said;
    EXPECT_NE(ReadBestScores(blocked).Error, "");
}

TEST(UserDataFolder, FollowsXdgDataHomeElseHome) {
    setenv("HOME", "/home/player", 1);
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(UserDataFolder(), "/data/cave");
    // A relative XDG_DATA_HOME is to be ignored.
    setenv("XDG_DATA_HOME", "data", 1);
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/cave");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/cave");
    unsetenv("HOME");
    EXPECT_EQ(UserDataFolder(), "");
}

}  // namespace
