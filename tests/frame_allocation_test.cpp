// Drawing a frame allocates nothing: every allocation of the process is counted, through a
// replaced global operator new and, where the linker wraps them (GNU ld outside Windows), the C
// heap functions that the surface and the accumulator use.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "surface/draw_level.h"
#include "trails/frame_renderer.h"
#include "trails/random.h"
#include "trails/saver_settings.h"
#include "trails/trail_pool.h"

namespace {
long allocations = 0;
}  // namespace

#if defined(TOLVA_WRAP_MALLOC)
extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t count, std::size_t size);
void* __real_realloc(void* p, std::size_t size);
void* __wrap_malloc(std::size_t size) {
    ++allocations;
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t count, std::size_t size) {
    ++allocations;
    return __real_calloc(count, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
    ++allocations;
    return __real_realloc(p, size);
}
}
#define UNCOUNTED_MALLOC __real_malloc
#else
#define UNCOUNTED_MALLOC std::malloc
#endif

// Kept out of line: inlined into a caller, GCC takes the free() of memory from a replaced
// operator new for a mismatched pair.
#define OUT_OF_LINE __attribute__((noinline))

OUT_OF_LINE void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = UNCOUNTED_MALLOC(size != 0 ? size : 1)) return p;
    throw std::bad_alloc();
}
OUT_OF_LINE void* operator new[](std::size_t size) {
    return operator new(size);
}
OUT_OF_LINE void operator delete(void* p) noexcept {
    std::free(p);
}
OUT_OF_LINE void operator delete[](void* p) noexcept {
    std::free(p);
}
OUT_OF_LINE void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
OUT_OF_LINE void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class FrameAllocations : public ::testing::Test {
  protected:
    void TearDown() override {
        SetFrameDrawing(FrameDrawing::Accumulated);
        SetDrawLevel(BestDrawLevel());
        FrameSurface.Destroy();
        ResetRandom();
    }
    void StartSaver(int16_t width, int16_t height) {
        ResetRandom();
        WindowWidth = width;
        WindowHeight = height;
        TrailCount = 80;
        ColorMode = 8;
        ASSERT_EQ(1, FrameSurface.Create(width, height, 24));
        InitTrails(80);
    }
};

TEST_F(FrameAllocations, TheCounterSeesAllocations) {
    const long before = allocations;
    // Called as functions: a new-expression with its delete may be optimised away.
    void* p = ::operator new(16);
    ::operator delete(p);
    EXPECT_EQ(before + 1, allocations);
#if defined(TOLVA_WRAP_MALLOC)
    // The surface's own heap calls, made from the core library, are seen too.
    RasterSurface surface;
    const long beforeSurface = allocations;
    ASSERT_EQ(1, surface.Create(10, 10, 24));
    EXPECT_LT(beforeSurface, allocations);
#endif
}

TEST_F(FrameAllocations, FramesAfterTheFirstAllocateNothingAtAnyLevel) {
    StartSaver(320, 200);
    for (int level = 0; level < DrawLevelCount; ++level) {
        if (!SetDrawLevel(static_cast<DrawLevel>(level))) continue;
        RenderFrame(nullptr);  // the first frame of a size may set up the accumulator
        const long before = allocations;
        for (int f = 0; f < 100; ++f) RenderFrame(nullptr);
        EXPECT_EQ(before, allocations) << DrawLevelName(static_cast<DrawLevel>(level));
    }
}

TEST_F(FrameAllocations, PlainFramesAllocateNothing) {
    StartSaver(320, 200);
    SetFrameDrawing(FrameDrawing::Reference);
    const long before = allocations;
    for (int f = 0; f < 50; ++f) RenderFrame(nullptr);
    EXPECT_EQ(before, allocations);
}

}  // namespace
