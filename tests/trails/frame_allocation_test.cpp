// Drawing a frame allocates nothing: every allocation of the process is counted, through a
// replaced global operator new and, where the linker wraps them (GNU ld outside Windows), the C
// heap functions that the surface and the accumulator use.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <new>

#include "surface/draw_paths.h"
#include "trails/animation.h"

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

class FrameAllocations : public ::testing::Test {};

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

TEST_F(FrameAllocations, FramesAllocateNothingOnAnyPath) {
    Animation animation;
    ASSERT_EQ(1, animation.Start({320, 200, 80, 8}));
    for (const DrawPath& path : DrawPaths) {
        if (!animation.SetDrawPath(path)) continue;
        const long before = allocations;
        for (int f = 0; f < 100; ++f) animation.RenderFrame();
        EXPECT_EQ(before, allocations) << path.name;
    }
}

}  // namespace
