// Fuzzer: decoding a registry value into the 4-byte integer the settings store reads. The
// input describes what the registry hands back for a value of any type and of 0 to 64 bytes read
// into a 4-byte buffer: success with the bytes when they fit, "more data" with the true size when
// they do not, or any other error. Only a successful read of at most 4 bytes may replace the
// integer (low-order byte first, zeros above a short value); nothing is ever read past the 4-byte
// buffer, whatever size is reported.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "hosts/windows/registry_value.h"

namespace {

constexpr long ErrorSuccess = 0;
constexpr long ErrorFileNotFound = 2;
constexpr long ErrorMoreData = 234;
constexpr uint32_t Sentinel = 0xDEADBEEF;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "registry_value_fuzzer: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    // Byte 0: how the read ends; byte 1: the value's size; the rest: its bytes. The registry
    // type does not enter the decoding, so any type reaches it as these bytes.
    const uint8_t outcome = data[0];
    const uint32_t valueSize = data[1] % 65;
    const uint8_t* valueBytes = data + 2;
    const size_t available = size - 2;

    // The store's buffer: exactly the 4-byte integer, on the heap so AddressSanitizer sees it.
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[4]);
    std::memset(buffer.get(), 0xCC, 4);  // what a failed read leaves in it is not to be used
    long result;
    uint32_t reportedSize = valueSize;
    switch (outcome % 4) {
        case 0:
        case 1:
            if (valueSize <= 4) {
                result = ErrorSuccess;
                std::memcpy(buffer.get(), valueBytes,
                            valueSize < available ? valueSize : available);
            } else {
                result = ErrorMoreData;
            }
            break;
        case 2:
            result = ErrorFileNotFound;
            reportedSize = 0;
            break;
        default:
            // Any status, success included, with any reported size, sizes beyond the buffer
            // included: a size over 4 must be refused before a byte is read.
            result = (outcome & 0x80) != 0 ? ErrorSuccess : static_cast<long>(outcome) * 7;
            reportedSize = valueSize;
            break;
    }

    uint32_t value = Sentinel;
    const int taken = TakeRegistryInteger(result, buffer.get(), reportedSize, &value);
    if (result != ErrorSuccess || reportedSize > 4) {
        Check(taken == 0 && value == Sentinel, "a failed or oversized read replaced the value");
        return 0;
    }
    Check(taken == 1, "a successful read of at most 4 bytes was not taken");
    uint32_t expected = 0;
    for (uint32_t i = 0; i < reportedSize; ++i)
        expected |= static_cast<uint32_t>(buffer[i]) << (8 * i);
    Check(value == expected, "the bytes did not make the expected little-endian integer");
    return 0;
}
