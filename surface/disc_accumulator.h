// DiscAccumulator: the fast way to draw a whole frame of additive discs. Every amount the frame
// adds is non-negative and each add saturates at 255, so a finished pixel is just
// min(255, sum of what reached it), whatever the order of the adds. The accumulator therefore
// only records the frame's discs; WriteFrame then walks the memory once, row by row, keeps a
// running sum per channel through the row's span ends, and writes every pixel a single time in
// place of clearing the frame and adding disc after disc; and where the frame before was black
// and stays black, not even that. The pixels equal those of clearing with
// RasterSurface::FillRectangle and drawing the same discs with RasterSurface::AddFilledCircle,
// in the memory's own layout: the surface's bytes themselves, or the same colours as 32-bit
// pixels.
//
// All memory is taken by Create; recording and writing a frame allocate nothing.
#pragma once

#include <cstdint>

#include "surface/changed_bands.h"
#include "surface/draw_paths.h"
#include "surface/pixel_memory.h"
#include "surface/raster_surface.h"
#include "surface/row_writer_job.h"

class DiscAccumulator {
  public:
    // A frame's most discs: 80 trails of 8 points of 5 discs.
    static constexpr int32_t MaxDiscs = 3200;
    // The largest radius tabulated: a frame's discs reach 199 logical pixels, and at the
    // largest scale (8) eight times that.
    static constexpr int32_t MaxRadius = 1600;
    // The memories whose lit rows are remembered: two buffers used in turn, and a third.
    static constexpr int MemorySlots = 3;

    DiscAccumulator() = default;
    ~DiscAccumulator() { Destroy(); }
    DiscAccumulator(const DiscAccumulator&) = delete;
    DiscAccumulator& operator=(const DiscAccumulator&) = delete;

    // Makes room for frames of width x height pixels, with no discs recorded. Returns 0, and
    // leaves the accumulator empty, for a size below 1 or when memory runs out.
    int Create(int32_t width, int32_t height);
    void Destroy();
    int32_t GetWidth() const { return width; }
    int32_t GetHeight() const { return height; }

    // Forgets the recorded discs.
    void Clear();

    // Records the disc that RasterSurface::AddFilledCircle would draw with these arguments (a
    // radius of 0 or less is the centre pixel alone). Amounts above 255 count as 255, which
    // saturates the same. Returns 1 when recorded or when nothing of the disc lies on the frame;
    // 0, recording nothing, when the accumulator is empty or full, the radius is above
    // MaxRadius or an amount is negative.
    int AddFilledCircle(int32_t centreX, int32_t centreY, int32_t radius, int32_t red,
                        int32_t green, int32_t blue);
    int32_t GetDiscCount() const { return discCount; }

    // Makes every pixel of memory black plus the recorded discs, with the best drawing path (or
    // the given row writer), and forgets the discs. Returns 0 and writes nothing unless memory
    // holds pixels of the accumulator's size and the writer is not null.
    //
    // Pixels that are black already are not written again: for each of the last MemorySlots
    // memories written (told apart by their top row, pitch and layout) the accumulator
    // remembers, row by row, where the frame it wrote last into that memory was lit, so two
    // buffers used in turn are each brought from the frame they held to the new one. That holds
    // as long as nothing else writes to them in between; after anything else has drawn on one,
    // call ForgetMemory first. Memory it does not know is written whole.
    int WriteFrame(const PixelMemory& memory);
    int WriteFrameWith(const PixelMemory& memory, DiscRowWriter writeRows);
    // The surface's pixels: 0 unless it has depth 24.
    int WriteFrame(RasterSurface& surface) { return WriteFrame(SurfacePixels(surface)); }
    int WriteFrameWith(RasterSurface& surface, DiscRowWriter writeRows) {
        return WriteFrameWith(SurfacePixels(surface), writeRows);
    }
    // The next WriteFrame writes every pixel, whatever memory it writes, and finds every pixel
    // changed.
    void ForgetMemory();

    // After a WriteFrame: where the frame can differ from the frame written before it (into the
    // same memory or another), as at most MaxChangedBands bands (GroupChangedRows, with that
    // band cost); returns their count. A row's changed columns span what either frame may have
    // lit there, so every pixel outside them is black in both; with no frame known before (after
    // ForgetMemory), every pixel is changed.
    int32_t ChangedBands(int64_t bandCost, FrameBand* bands);

    // The half-width of the span that the disc of radius r (0..MaxRadius) leaves on row offset
    // d (-r..r), taken from a table that the octant walk fills once per process.
    static int32_t HalfWidth(int32_t radius, int32_t rowOffset);

  private:
    int32_t width = 0;
    int32_t height = 0;
    int32_t discCount = 0;
    AccumulatedDisc* discs = nullptr;
    int32_t* rowHead = nullptr;
    ActiveDisc* active = nullptr;
    uint64_t* delta = nullptr;
    uint8_t* marks = nullptr;
    // A memory written lately, and the extents of the frame that it holds.
    struct MemorySlot {
        const uint8_t* topRow = nullptr;  // null: a free slot
        ptrdiff_t pitch = 0;
        PixelLayout layout = PixelLayout::Bgr24;
        uint64_t lastWrite = 0;
        RowExtent* extents = nullptr;  // height rows
    };
    MemorySlot& SlotFor(const PixelMemory& memory);
    MemorySlot slots[MemorySlots];
    uint64_t writes = 0;
    RowExtent* slotExtents = nullptr;    // MemorySlots x height
    MemorySlot* lastWritten = nullptr;   // null: the frame before is not known
    RowExtent* extentsBefore = nullptr;  // what the frame before the last WriteFrame lit
    FrameBand* bandScratch = nullptr;
};
