// Turning the bytes of a registry value, read into a 4-byte buffer, into the 32-bit integer the
// settings and the password check use. Free of the platform so it can be tested anywhere.
#pragma once

#include <cstdint>

// queryResult is what the registry read returned (0 for success); data holds dataSize bytes,
// low-order byte first, whatever the value's registry type. Only a successful read of at most
// 4 bytes replaces *value, and a shorter one fills the low-order bytes with zero above them.
// Returns 1 when *value was replaced, 0 when it was left alone.
int TakeRegistryInteger(long queryResult, const uint8_t* data, uint32_t dataSize, uint32_t* value);
