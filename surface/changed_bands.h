// Cutting what changed in a frame into a few rectangles, for hosts that send only those to the
// screen: each call there costs more than its pixels, so rows are grouped into bands, as few
// as pays, each the rectangle around its rows' changed columns.
#pragma once

#include <cstdint>

#include "surface/frame.h"
#include "surface/row_writer_job.h"

// rows[y] holds the changed columns of row y (none when end <= first). Writes at most
// MaxChangedBands bands to bands, top to bottom and not overlapping, that hold every changed
// pixel, and returns their count (0 when nothing changed). A band is split in two where that
// saves the most pixels, as long as a split saves more than bandCost pixels. scratch holds
// height entries.
int32_t GroupChangedRows(const RowExtent* rows, int32_t height, int64_t bandCost,
                         FrameBand* scratch, FrameBand* bands);
