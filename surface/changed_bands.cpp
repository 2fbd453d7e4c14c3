// Grouping changed rows into bands: start from the rectangle around all of them and split,
// again and again, the band whose best split saves the most. Finding a band's best split reads
// its rows twice (the rectangles below each row, then those above), so a frame costs a few
// passes over its rows; for trails this comes within a few percent of the rows' own extents.
#include "surface/changed_bands.h"

#include <cstdint>

namespace {

constexpr FrameBand NoBand{0, 0, INT32_MAX, INT32_MIN};

bool IsEmpty(const RowExtent& row) {
    return row.end <= row.first;
}

bool IsEmpty(const FrameBand& band) {
    return band.bottom <= band.top;
}

int64_t Area(const FrameBand& band) {
    return IsEmpty(band) ? 0 : int64_t{band.bottom - band.top} * (band.right - band.left);
}

// The band grown to hold changed row y, which lies just above or below it.
FrameBand Grown(FrameBand band, int32_t y, const RowExtent& row) {
    if (IsEmpty(band)) return FrameBand{y, y + 1, row.first, row.end};
    if (y < band.top) band.top = y;
    if (y >= band.bottom) band.bottom = y + 1;
    if (row.first < band.left) band.left = row.first;
    if (row.end > band.right) band.right = row.end;
    return band;
}

struct Candidate {
    FrameBand band;
    int64_t saving;  // by the best split, net of the cost of a band; 0 when none pays
    FrameBand upper;
    FrameBand lower;
};

void FindBestSplit(Candidate* candidate, const RowExtent* rows, int64_t bandCost,
                   FrameBand* below) {
    const FrameBand& band = candidate->band;
    candidate->saving = 0;
    FrameBand around = NoBand;
    for (int32_t y = band.bottom - 1; y >= band.top; --y) {
        if (!IsEmpty(rows[y])) around = Grown(around, y, rows[y]);
        below[y] = around;
    }
    const int64_t whole = Area(band);
    around = NoBand;
    for (int32_t y = band.top; y + 1 < band.bottom; ++y) {
        if (!IsEmpty(rows[y])) around = Grown(around, y, rows[y]);
        if (IsEmpty(around) || IsEmpty(below[y + 1])) continue;
        const int64_t saving = whole - Area(around) - Area(below[y + 1]) - bandCost;
        if (saving > candidate->saving) {
            candidate->saving = saving;
            candidate->upper = around;
            candidate->lower = below[y + 1];
        }
    }
}

}  // namespace

int32_t GroupChangedRows(const RowExtent* rows, int32_t height, int64_t bandCost,
                         FrameBand* scratch, FrameBand* bands) {
    Candidate candidates[MaxChangedBands];
    FrameBand all = NoBand;
    for (int32_t y = 0; y < height; ++y) {
        if (!IsEmpty(rows[y])) all = Grown(all, y, rows[y]);
    }
    if (IsEmpty(all)) return 0;
    candidates[0].band = all;
    FindBestSplit(&candidates[0], rows, bandCost, scratch);
    int32_t count = 1;
    while (count < MaxChangedBands) {
        int32_t best = 0;
        for (int32_t i = 1; i < count; ++i) {
            if (candidates[i].saving > candidates[best].saving) best = i;
        }
        if (candidates[best].saving <= 0) break;
        candidates[count].band = candidates[best].lower;
        candidates[best].band = candidates[best].upper;
        FindBestSplit(&candidates[best], rows, bandCost, scratch);
        FindBestSplit(&candidates[count], rows, bandCost, scratch);
        ++count;
    }
    // Top to bottom: the halves of a split never overlap, so their tops order them.
    for (int32_t i = 0; i < count; ++i) {
        FrameBand band = candidates[i].band;
        int32_t k = i;
        for (; k > 0 && bands[k - 1].top > band.top; --k) bands[k] = bands[k - 1];
        bands[k] = band;
    }
    return count;
}
