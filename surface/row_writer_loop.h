// The row walk shared by every accumulated drawing path, written once and compiled into each path's
// own file with its run writer. Everything here has internal linkage on purpose: a copy compiled
// for AVX-512 must never be the one that the scalar path links to.
//
// For each row, top to bottom: discs whose first row it is join the active list; each active
// disc adds its colour at the column where its span starts and takes it away just past its
// end, in a difference array of packed sums; each such column is marked with a byte (single-byte
// stores: marks that land close together do not queue behind each other as read-modify-writes
// of one word would). The row is then written left to right as runs of one colour between
// marked columns, each the saturated running sum, from the first mark to the last colour.
// What lies outside that stretch is black; of it only the part that the previous frame left
// lit (the row's extent) is written, so black margins and empty rows cost nothing frame after
// frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "surface/row_writer_job.h"

namespace {

// Three bytes blue, green, red of a packed running sum, each saturated at 255.
inline uint32_t SaturatedPixel(uint64_t sum) {
    uint32_t blue = static_cast<uint32_t>(sum & PackedChannelMask);
    uint32_t green = static_cast<uint32_t>((sum >> PackedChannelBits) & PackedChannelMask);
    uint32_t red = static_cast<uint32_t>(sum >> (2 * PackedChannelBits));
    blue = blue > 255 ? 255 : blue;
    green = green > 255 ? 255 : green;
    red = red > 255 ? 255 : red;
    return blue | green << 8 | red << 16;
}

// A run writer may store past the end of a run by less than 32 bytes, 11 pixels.
constexpr int32_t OverrunPixels = 11;

inline void Blacken(uint8_t* row, int32_t from, int32_t to) {
    if (to > from) {
        std::memset(row + static_cast<ptrdiff_t>(3) * from, 0,
                    static_cast<size_t>(3) * static_cast<size_t>(to - from));
    }
}

// InstructionSet::Run(first, end, sum, rowEnd) writes the saturated pixel of the packed sum to
// every pixel from first up to end. It may store up to OverrunPixels past end, never past rowEnd:
// the runs of a row are written left to right, so what lies past end is written again later, and
// what lies past the last run is blackened here.
// InstructionSet::TakeMarks(marks) returns a bit for each of the 64 mark bytes there that is set,
// and clears them.
template <typename InstructionSet>
inline void WriteRow(uint8_t* row, int32_t width, uint64_t* delta, uint8_t* marks,
                     RowExtent* extent) {
    uint8_t* const rowEnd = row + static_cast<ptrdiff_t>(3) * width;
    uint64_t sum = 0;
    int32_t first = -1;  // the first marked column; everything before it is black
    int32_t position = 0;
    for (int32_t base = 0; base < width; base += 64) {
        uint64_t bits = InstructionSet::TakeMarks(marks + base);
        if (bits != 0 && first < 0) position = first = base + __builtin_ctzll(bits);
        while (bits != 0) {
            const int32_t column = base + __builtin_ctzll(bits);
            bits &= bits - 1;
            if (column > position) {
                InstructionSet::Run(row + static_cast<ptrdiff_t>(3) * position,
                                    row + static_cast<ptrdiff_t>(3) * column, sum, rowEnd);
            }
            sum += delta[column];
            delta[column] = 0;
            position = column;
        }
    }
    const int32_t before = extent->first;
    const int32_t beyond = extent->end;
    if (first < 0) {
        Blacken(row, before, beyond);
        extent->first = extent->end = 0;
        return;
    }
    int32_t end = position;  // the lit stretch is first..end-1
    if (sum != 0) {
        InstructionSet::Run(row + static_cast<ptrdiff_t>(3) * position, rowEnd, sum, rowEnd);
        end = width;
    } else {
        // What the last run may have stored past its end.
        Blacken(row, end, end + OverrunPixels < width ? end + OverrunPixels : width);
    }
    Blacken(row, before, beyond < first ? beyond : first);
    Blacken(row, before > end ? before : end, beyond);
    extent->first = first;
    extent->end = end;
}

template <typename InstructionSet>
void WriteDiscRows(const RowWriterJob& job) {
    const int32_t width = job.width;
    const int32_t height = job.height;
    const AccumulatedDisc* const discs = job.discs;
    ActiveDisc* const active = job.active;
    uint64_t* const delta = job.delta;
    uint8_t* const marks = job.marks;
    const uint16_t* const halfWidths = job.halfWidths;
    int32_t activeCount = 0;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* const row = job.topRow - static_cast<ptrdiff_t>(y) * job.stride;
        RowExtent* const extent = job.extents + y;
        for (int32_t i = job.rowHead[y]; i >= 0; i = discs[i].next) {
            const AccumulatedDisc& disc = discs[i];
            ActiveDisc& joining = active[activeCount++];
            joining.centreX = disc.centreX;
            joining.centreY = disc.centreY;
            joining.lastRow = disc.lastRow;
            joining.halfWidths = halfWidths + disc.tableOffset;
            joining.colour = disc.colour;
        }
        job.rowHead[y] = -1;
        if (activeCount == 0) {
            Blacken(row, extent->first, extent->end);
            extent->first = extent->end = 0;
            continue;
        }
        for (int32_t k = 0; k < activeCount;) {
            // Copied out first: the byte stores to marks could alias anything not yet loaded.
            const ActiveDisc& disc = active[k];
            const int32_t centreX = disc.centreX;
            const int32_t offset = y >= disc.centreY ? y - disc.centreY : disc.centreY - y;
            const uint64_t colour = disc.colour;
            const int32_t lastRow = disc.lastRow;
            const int32_t halfWidth = disc.halfWidths[offset];
            int32_t left = centreX - halfWidth;
            const int32_t end = centreX + halfWidth + 1;
            if (left < width && end > 0) {
                if (left < 0) left = 0;
                delta[left] += colour;
                marks[left] = 1;
                if (end < width) {
                    delta[end] -= colour;
                    marks[end] = 1;
                }
            }
            if (y == lastRow) {
                active[k] = active[--activeCount];
            } else {
                ++k;
            }
        }
        WriteRow<InstructionSet>(row, width, delta, marks, extent);
    }
}

}  // namespace
