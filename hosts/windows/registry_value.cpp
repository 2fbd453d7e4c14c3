// Decoding a registry value read into an integer buffer, or a text value as its number.
#include "hosts/windows/registry_value.h"

#include <cstdint>
#include <cstring>

#include "hosts/windows/command_line.h"

int TakeRegistryInteger(long queryResult, const uint8_t* data, uint32_t dataSize, uint32_t* value) {
    if (queryResult != 0 || dataSize > 4) return 0;
    uint32_t decoded = 0;
    for (uint32_t i = 0; i < dataSize; ++i) decoded |= static_cast<uint32_t>(data[i]) << (8 * i);
    *value = decoded;
    return 1;
}

int TakeRegistrySetting(long queryResult, uint32_t type, const uint8_t* data, uint32_t dataSize,
                        uint32_t bufferSize, uint32_t* value) {
    if (queryResult != 0 || dataSize > bufferSize) return 0;
    if (type != RegistryText && type != RegistryExpandableText && type != RegistryTextList) {
        return TakeRegistryInteger(queryResult, data, dataSize, value);
    }
    // A stored text need not end with its terminator; a flag's number is short, so the first 63
    // bytes say all there is to say.
    char text[64];
    const uint32_t length = dataSize < sizeof text - 1 ? dataSize : sizeof text - 1;
    std::memcpy(text, data, length);
    text[length] = '\0';
    *value = static_cast<uint32_t>(ReadSaturatedDecimal(text));
    return 1;
}
