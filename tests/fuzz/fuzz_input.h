// FuzzInput: turns the fuzzer's bytes into arguments for the drawing and creation calls. Plain
// random 32-bit words almost never land near a surface or on the values where arithmetic turns
// over, so most arguments come from a byte that picks small numbers, numbers around the
// surface's size, the int32 extremes and the animation's wrap points, and only some are raw.
// Running out of bytes reads as zeros, so every input is a valid program of calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool Empty() const { return offset >= size; }

    uint8_t Byte() { return offset < size ? data[offset++] : 0; }

    int32_t Raw32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(Byte()) << (8 * i);
        int32_t result;
        std::memcpy(&result, &value, sizeof result);
        return result;
    }

    // An argument for a coordinate, size or colour on a surface of the given extent.
    int32_t Argument(int32_t extent) {
        const uint8_t selector = Byte();
        switch (selector >> 5) {
            case 0:
            case 1:
                return static_cast<int8_t>(Byte());  // -128 .. 127: around the surface
            case 2:
                return Byte();  // 0 .. 255: inside and just past it, and every colour byte
            case 3: {
                // The surface's own edges, where off-by-one clipping shows.
                const int32_t delta = static_cast<int8_t>(Byte()) % 3;
                return (selector & 1) ? extent + delta : -1 - delta;
            }
            case 4:
                return Special(Byte());
            default:
                return Raw32();
        }
    }

    // Values where 32-bit arithmetic turns over, or that a row walk or a size computation
    // might mishandle.
    static int32_t Special(uint8_t index) {
        static const int32_t values[] = {
            INT32_MIN,
            INT32_MIN + 1,
            INT32_MAX,
            INT32_MAX - 1,
            1 << 30,
            -(1 << 30),
            (1 << 30) - 1,
            1 << 16,
            -(1 << 16),
            65535,
            46340,
            46341,
            -46341,
            715827,
            715828,
            -715828,
            0x7FFF,
            0x8000,
            -0x8000,
            0x7FFFFF,
            1 << 24,
            INT32_MAX / 3,
            0x55555555,
            0x0FFFFFFF,
            256,
            255,
            254,
            0,
            1,
            -1,
            INT32_MIN / 2,
            INT32_MAX / 2,
        };
        return values[index % (sizeof values / sizeof values[0])];
    }

  private:
    const uint8_t* data;
    size_t size;
    size_t offset = 0;
};
