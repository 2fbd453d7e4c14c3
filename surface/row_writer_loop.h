// The row walk shared by every accumulated drawing path, written once and compiled into each path's
// own file with its run writers, one for each pixel layout. Everything here has internal linkage
// on purpose: a copy compiled for AVX-512 must never be the one that the scalar path links to.
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

// The four bytes of an opaque 32-bit pixel of the packed sum, in the layout's order in memory,
// as one word to store (the same bytes on either byte order).
template <PixelLayout Layout>
inline uint32_t OpaquePixel(uint64_t sum) {
    const uint32_t pixel = SaturatedPixel(sum);
    const auto blue = static_cast<uint8_t>(pixel);
    const auto green = static_cast<uint8_t>(pixel >> 8);
    const auto red = static_cast<uint8_t>(pixel >> 16);
    const uint8_t bytes[4] = {Layout == PixelLayout::Rgba32 ? red : blue, green,
                              Layout == PixelLayout::Rgba32 ? blue : red, 255};
    uint32_t word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

// A run writer may store past the end of a run by less than 32 bytes, at most 11 pixels.
constexpr int32_t OverrunPixels = 11;

// Runs::Run(first, end, sum, rowEnd) writes the saturated pixel of the packed sum to every
// pixel from first up to end, Runs::PixelBytes bytes each. It may store up to OverrunPixels past
// end, never past rowEnd: the runs of a row are written left to right, so what lies past end is
// written again later, and what lies past the last run is blackened here.
// Runs::TakeMarks(marks) returns a bit for each of the 64 mark bytes there that is set, and
// clears them.
template <typename Runs>
inline void Blacken(uint8_t* row, int32_t from, int32_t to) {
    if (to <= from) return;
    uint8_t* const first = row + static_cast<ptrdiff_t>(Runs::PixelBytes) * from;
    uint8_t* const end = row + static_cast<ptrdiff_t>(Runs::PixelBytes) * to;
    if constexpr (Runs::PixelBytes == 3) {
        std::memset(first, 0, static_cast<size_t>(end - first));
    } else {
        Runs::Run(first, end, 0, end);  // opaque black, and not one byte past end
    }
}

template <typename Runs>
inline void WriteRow(uint8_t* row, int32_t width, uint64_t* delta, uint8_t* marks,
                     RowExtent* extent) {
    constexpr ptrdiff_t Bytes = Runs::PixelBytes;
    uint8_t* const rowEnd = row + Bytes * width;
    uint64_t sum = 0;
    int32_t first = -1;  // the first marked column; everything before it is black
    int32_t position = 0;
    for (int32_t base = 0; base < width; base += 64) {
        uint64_t bits = Runs::TakeMarks(marks + base);
        if (bits != 0 && first < 0) position = first = base + __builtin_ctzll(bits);
        while (bits != 0) {
            const int32_t column = base + __builtin_ctzll(bits);
            bits &= bits - 1;
            if (column > position) {
                Runs::Run(row + Bytes * position, row + Bytes * column, sum, rowEnd);
            }
            sum += delta[column];
            delta[column] = 0;
            position = column;
        }
    }
    const int32_t before = extent->first;
    const int32_t beyond = extent->end;
    if (first < 0) {
        Blacken<Runs>(row, before, beyond);
        extent->first = extent->end = 0;
        return;
    }
    int32_t end = position;  // the lit stretch is first..end-1
    if (sum != 0) {
        Runs::Run(row + Bytes * position, rowEnd, sum, rowEnd);
        end = width;
    } else {
        // What the last run may have stored past its end.
        Blacken<Runs>(row, end, end + OverrunPixels < width ? end + OverrunPixels : width);
    }
    Blacken<Runs>(row, before, beyond < first ? beyond : first);
    Blacken<Runs>(row, before > end ? before : end, beyond);
    extent->first = first;
    extent->end = end;
}

template <typename Runs>
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
        uint8_t* const row = job.topRow + static_cast<ptrdiff_t>(y) * job.pitch;
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
            Blacken<Runs>(row, extent->first, extent->end);
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
        WriteRow<Runs>(row, width, delta, marks, extent);
    }
}

// The rows in the job's layout: one body of the walk per layout, each with its own runs (the
// 24-bit runs, and the 32-bit runs of either channel order).
template <typename Runs24, template <PixelLayout> class Runs32>
void WriteDiscRowsInLayout(const RowWriterJob& job) {
    switch (job.layout) {
        case PixelLayout::Bgra32:
            WriteDiscRows<Runs32<PixelLayout::Bgra32>>(job);
            return;
        case PixelLayout::Rgba32:
            WriteDiscRows<Runs32<PixelLayout::Rgba32>>(job);
            return;
        case PixelLayout::Bgr24:
            WriteDiscRows<Runs24>(job);
            return;
    }
}

}  // namespace
