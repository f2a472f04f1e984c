// A frame must not allocate: it runs at memory-copy speed, and steady play must not grow.
#include <cstdlib>
#include <new>

#include "game_fixture.h"

namespace {
long allocations = 0;
}  // namespace

// Every plain form of new and delete is replaced, so that no block crosses between allocators.
void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++allocations;
    return std::malloc(size != 0 ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace {

using FrameCostTest = GameTest;

TEST_F(FrameCostTest, RunningFramesAllocateNothing) {
    int frames = 0;
    long allocationsAtFrame10 = -1;
    long allocationsAtFrame300 = -1;
    // Keeps the ball flying and ends the game after 300 frames.
    harness::Hooks hooks;
    hooks.OnFrameEnd = [&] {
        ++frames;
        if (frames == 10) allocationsAtFrame10 = allocations;
        if (frames == 300) allocationsAtFrame300 = allocations;
        harness::KeepBallInPassage();
        return frames < 300;
    };
    const harness::GameSetup setup{.Script = {{20, 200, true},
                                              {40, 200, false},
                                              {50, 25, true},
                                              {51, 25, false},
                                              {53, 25, true},
                                              {54, 25, false}}};
    EXPECT_EQ(harness::PlayGame(setup, &hooks), 0);
    ASSERT_GE(allocationsAtFrame10, 0);
    EXPECT_EQ(allocationsAtFrame300, allocationsAtFrame10);
}

}  // namespace
