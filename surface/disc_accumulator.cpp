// DiscAccumulator: recording discs, the table of disc rows, the memories written lately, and
// handing a frame to the row writer of the drawing path in use.
#include "surface/disc_accumulator.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int32_t TableSize =
    (DiscAccumulator::MaxRadius + 1) * (DiscAccumulator::MaxRadius + 2) / 2;

// Row offsets 0..r of radius r start at r(r + 1)/2. Half-widths never exceed the radius, so 16
// bits hold them.
struct DiscRowTable {
    uint16_t halfWidths[TableSize];
};

int32_t TableOffset(int32_t radius) {
    return radius * (radius + 1) / 2;
}

// The octant walk of RasterSurface::AddFilledCircle on an unbounded surface: the first span
// that reaches a row offset is the one it keeps. Clipping never changes that choice, so the
// table serves discs anywhere.
void FillTable(DiscRowTable* table) {
    for (int32_t r = 0; r <= DiscAccumulator::MaxRadius; ++r) {
        uint16_t* rows = table->halfWidths + TableOffset(r);
        bool reached[DiscAccumulator::MaxRadius + 1] = {};
        auto offer = [&](int32_t offset, int32_t halfWidth) {
            if (reached[offset]) return;
            reached[offset] = true;
            rows[offset] = static_cast<uint16_t>(halfWidth);
        };
        if (r == 0) {
            offer(0, 0);
            continue;
        }
        int32_t m = 0;
        int32_t rowOffset = r;
        int32_t decision = 2 * r - 1;
        int32_t increment = 1;
        int32_t correction = 2 * r - 3;
        for (;;) {
            offer(rowOffset, m);
            offer(m, rowOffset);
            decision -= increment;
            if (decision <= 0) {
                decision += correction;
                correction -= 2;
                --rowOffset;
                if (m >= rowOffset) break;
            }
            increment += 2;
            ++m;
        }
    }
}

// Filled on first use, once for the process even with animations on several threads, and never
// written again: a constant that costs less to compute than to ship.
const uint16_t* HalfWidthTable() {
    static const DiscRowTable* const table = [] {
        static DiscRowTable filled;
        FillTable(&filled);
        return &filled;
    }();
    return table->halfWidths;
}

uint64_t PackedAmount(int32_t amount) {
    return static_cast<uint64_t>(amount > 255 ? 255 : amount);
}

template <typename T>
T* Allocate(int64_t count) {
    return static_cast<T*>(std::calloc(static_cast<size_t>(count), sizeof(T)));
}

}  // namespace

int32_t DiscAccumulator::HalfWidth(int32_t radius, int32_t rowOffset) {
    return HalfWidthTable()[TableOffset(radius) + (rowOffset < 0 ? -rowOffset : rowOffset)];
}

int DiscAccumulator::Create(int32_t newWidth, int32_t newHeight) {
    Destroy();
    if (newWidth < 1 || newHeight < 1) return 0;
    discs = Allocate<AccumulatedDisc>(MaxDiscs);
    active = Allocate<ActiveDisc>(MaxDiscs);
    rowHead = Allocate<int32_t>(newHeight);
    delta = Allocate<uint64_t>(static_cast<int64_t>(newWidth) + 1);
    marks = Allocate<uint8_t>((static_cast<int64_t>(newWidth) / 64 + 1) * 64);
    slotExtents = Allocate<RowExtent>(int64_t{MemorySlots} * newHeight);
    extentsBefore = Allocate<RowExtent>(newHeight);
    bandScratch = Allocate<FrameBand>(newHeight);
    if (discs == nullptr || active == nullptr || rowHead == nullptr || delta == nullptr ||
        marks == nullptr || slotExtents == nullptr || extentsBefore == nullptr ||
        bandScratch == nullptr) {
        Destroy();
        return 0;
    }
    for (int32_t y = 0; y < newHeight; ++y) rowHead[y] = -1;
    for (int i = 0; i < MemorySlots; ++i)
        slots[i].extents = slotExtents + static_cast<ptrdiff_t>(i) * newHeight;
    width = newWidth;
    height = newHeight;
    discCount = 0;
    ForgetMemory();
    return 1;
}

void DiscAccumulator::Destroy() {
    std::free(discs);
    std::free(active);
    std::free(rowHead);
    std::free(delta);
    std::free(marks);
    std::free(slotExtents);
    std::free(extentsBefore);
    std::free(bandScratch);
    discs = nullptr;
    active = nullptr;
    rowHead = nullptr;
    delta = nullptr;
    marks = nullptr;
    slotExtents = nullptr;
    for (MemorySlot& slot : slots) slot = MemorySlot{};
    lastWritten = nullptr;
    extentsBefore = nullptr;
    bandScratch = nullptr;
    width = 0;
    height = 0;
    discCount = 0;
}

void DiscAccumulator::Clear() {
    // Only the rows where a recorded disc starts can have a head.
    for (int32_t i = 0; i < discCount; ++i) rowHead[discs[i].firstRow] = -1;
    discCount = 0;
}

int DiscAccumulator::AddFilledCircle(int32_t centreX, int32_t centreY, int32_t radius, int32_t red,
                                     int32_t green, int32_t blue) {
    if (discs == nullptr || discCount >= MaxDiscs || radius > MaxRadius) return 0;
    if (red < 0 || green < 0 || blue < 0) return 0;
    if (radius < 0) radius = 0;
    // In 64 bits, as the surface does: centres near the ends of the int32 range stay exact.
    const int64_t cx = centreX;
    const int64_t cy = centreY;
    if (cx - radius >= width || cx + radius < 0 || cy + radius < 0 || cy - radius >= height)
        return 1;
    AccumulatedDisc& disc = discs[discCount];
    // Past the test above the centre lies within MaxRadius of the surface: int32 from here on.
    disc.centreX = centreX;
    disc.centreY = centreY;
    disc.firstRow = centreY - radius > 0 ? centreY - radius : 0;
    disc.lastRow = centreY + radius < height - 1 ? centreY + radius : height - 1;
    disc.tableOffset = TableOffset(radius);
    disc.colour = PackedAmount(blue) | PackedAmount(green) << PackedChannelBits |
                  PackedAmount(red) << (2 * PackedChannelBits);
    disc.next = rowHead[disc.firstRow];
    rowHead[disc.firstRow] = discCount;
    ++discCount;
    return 1;
}

void DiscAccumulator::ForgetMemory() {
    for (MemorySlot& slot : slots) slot.topRow = nullptr;
    lastWritten = nullptr;
    // Every pixel may have been lit.
    for (int32_t y = 0; y < height; ++y) extentsBefore[y] = RowExtent{0, width};
}

DiscAccumulator::MemorySlot& DiscAccumulator::SlotFor(const PixelMemory& memory) {
    MemorySlot* chosen = &slots[0];
    for (MemorySlot& slot : slots) {
        if (slot.topRow == memory.topRow && slot.pitch == memory.pitch &&
            slot.layout == memory.layout) {
            chosen = &slot;
            break;
        }
        // Else the slot written longest ago; a free one, never written, before any.
        if (slot.topRow == nullptr || slot.lastWrite < chosen->lastWrite) chosen = &slot;
    }
    if (chosen->topRow != memory.topRow || chosen->pitch != memory.pitch ||
        chosen->layout != memory.layout) {
        chosen->topRow = memory.topRow;
        chosen->pitch = memory.pitch;
        chosen->layout = memory.layout;
        // Memory not written lately holds anything: every pixel may be lit.
        for (int32_t y = 0; y < height; ++y) chosen->extents[y] = RowExtent{0, width};
    }
    chosen->lastWrite = ++writes;
    return *chosen;
}

int DiscAccumulator::WriteFrame(const PixelMemory& memory) {
    return WriteFrameWith(memory, BestDrawPath().writeRows);
}

int DiscAccumulator::WriteFrameWith(const PixelMemory& memory, DiscRowWriter writeRows) {
    if (discs == nullptr || writeRows == nullptr || !HoldsPixels(memory, width, height)) return 0;
    // What the frame written before lit bounds what this one changes, whichever memory it went
    // to; the writers update the extents of the memory they write in place.
    if (lastWritten != nullptr)
        std::memcpy(extentsBefore, lastWritten->extents,
                    sizeof(RowExtent) * static_cast<size_t>(height));
    else
        for (int32_t y = 0; y < height; ++y) extentsBefore[y] = RowExtent{0, width};
    MemorySlot& slot = SlotFor(memory);
    RowWriterJob job;
    job.topRow = memory.topRow;
    job.pitch = memory.pitch;
    job.layout = memory.layout;
    job.width = width;
    job.height = height;
    job.halfWidths = HalfWidthTable();
    job.discs = discs;
    job.rowHead = rowHead;
    job.active = active;
    job.delta = delta;
    job.marks = marks;
    job.extents = slot.extents;
    writeRows(job);
    // The writers have emptied every row's list on the way.
    discCount = 0;
    lastWritten = &slot;
    return 1;
}

int32_t DiscAccumulator::ChangedBands(int64_t bandCost, FrameBand* bands) {
    if (discs == nullptr) return 0;
    // Each row's span of both frames, kept where the old extents were (so a second call finds
    // the same).
    for (int32_t y = 0; y < height && lastWritten != nullptr; ++y) {
        RowExtent& before = extentsBefore[y];
        const RowExtent after = lastWritten->extents[y];
        if (before.end <= before.first) {
            before = after;
        } else if (after.end > after.first) {
            if (after.first < before.first) before.first = after.first;
            if (after.end > before.end) before.end = after.end;
        }
    }
    return GroupChangedRows(extentsBefore, height, bandCost, bandScratch, bands);
}
