// The per-user settings, the trail count and the colour scheme, kept as two REG_DWORD values
// under the current user's key. The key is opened (or created when missing) for each operation
// with only the access that operation needs, and closed again; nothing stays open in between,
// and nothing here ever shows a message.
#pragma once

#include <cstdint>

// Writes the defaults (25 and 1) first, then replaces each with its stored value when that
// reads back as at most 4 bytes. Values are taken as stored, with no range check: a count above
// the pool's size is bounded where the pool is used. Returns 1 when the key could be opened for
// reading or created, 0 otherwise (the defaults then stand).
int LoadSettings(uint32_t* trailCount, int32_t* colorMode);

// Stores both values, the trail count first. Returns 1 when the key could be opened for writing or
// created, 0 otherwise; a failed write of a single value after that goes unreported.
int SaveSettings(uint32_t trailCount, int32_t colorMode);
