// Decoding a registry value read into the 4-byte integer buffer.
#include "shell/registry_value.h"

#include <cstdint>

int TakeRegistryInteger(long queryResult, const uint8_t* data, uint32_t dataSize, uint32_t* value) {
    if (queryResult != 0 || dataSize > 4) return 0;
    uint32_t decoded = 0;
    for (uint32_t i = 0; i < dataSize; ++i) decoded |= static_cast<uint32_t>(data[i]) << (8 * i);
    *value = decoded;
    return 1;
}
