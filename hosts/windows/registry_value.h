// Turning the bytes of a registry value into the 32-bit integer the settings and the password
// check use. Free of the platform so it can be tested anywhere.
#pragma once

#include <cstdint>

// queryResult is what the registry read returned (0 for success); data holds dataSize bytes,
// low-order byte first, whatever the value's registry type. Only a successful read of at most
// 4 bytes replaces *value, and a shorter one fills the low-order bytes with zero above them.
// Returns 1 when *value was replaced, 0 when it was left alone.
int TakeRegistryInteger(long queryResult, const uint8_t* data, uint32_t dataSize, uint32_t* value);

// The registry's text types, by their numbers (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ).
constexpr uint32_t RegistryText = 1;
constexpr uint32_t RegistryExpandableText = 2;
constexpr uint32_t RegistryTextList = 7;

// As TakeRegistryInteger, but a text value counts as the decimal number it starts with (read as
// atol reads it, saturated to 32 bits; no digits give 0), the way the desktop settings store
// their flags: the text "0" is 0, not the 48 of its first byte. data is bufferSize bytes long,
// of which the read filled dataSize; nothing past either is read.
int TakeRegistrySetting(long queryResult, uint32_t type, const uint8_t* data, uint32_t dataSize,
                        uint32_t bufferSize, uint32_t* value);
