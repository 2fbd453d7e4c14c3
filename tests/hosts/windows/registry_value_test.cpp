// Decoding a registry value read into the 4-byte integer buffer.
#include "hosts/windows/registry_value.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr uint32_t Sentinel = 0xDEADBEEF;

TEST(RegistryValueTest, FourBytesFormALittleEndianInteger) {
    const uint8_t data[4] = {0x78, 0x56, 0x34, 0x12};
    uint32_t value = Sentinel;
    EXPECT_EQ(TakeRegistryInteger(0, data, 4, &value), 1);
    EXPECT_EQ(value, 0x12345678u);
    const uint8_t all[4] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(TakeRegistryInteger(0, all, 4, &value), 1);
    EXPECT_EQ(value, 0xFFFFFFFFu);
}

TEST(RegistryValueTest, ShorterValuesFillTheLowBytesWithZeroAbove) {
    // The buffer beyond dataSize holds leftovers that must not leak into the value.
    const uint8_t data[4] = {0x34, 0x12, 0xAA, 0xBB};
    uint32_t value = Sentinel;
    EXPECT_EQ(TakeRegistryInteger(0, data, 2, &value), 1);
    EXPECT_EQ(value, 0x1234u);
    EXPECT_EQ(TakeRegistryInteger(0, data, 1, &value), 1);
    EXPECT_EQ(value, 0x34u);
    EXPECT_EQ(TakeRegistryInteger(0, data, 3, &value), 1);
    EXPECT_EQ(value, 0xAA1234u);
    EXPECT_EQ(TakeRegistryInteger(0, data, 0, &value), 1);
    EXPECT_EQ(value, 0u);
}

TEST(RegistryValueTest, FailedReadsAndOversizedValuesLeaveTheValueAlone) {
    const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    uint32_t value = Sentinel;
    EXPECT_EQ(TakeRegistryInteger(2, data, 4, &value), 0);    // value missing
    EXPECT_EQ(TakeRegistryInteger(234, data, 8, &value), 0);  // more data than the buffer
    EXPECT_EQ(TakeRegistryInteger(0, data, 5, &value), 0);
    EXPECT_EQ(TakeRegistryInteger(-1, data, 4, &value), 0);
    EXPECT_EQ(value, Sentinel);
}

TEST(RegistryValueTest, TextSettingsCountAsTheirDecimalNumberOtherTypesByTheirBytes) {
    struct Case {
        const char* text;
        uint32_t size;
        uint32_t expected;
    };
    // With and without the terminator, blanks, trailing words, no digits, a sign.
    for (const Case& c :
         {Case{"0", 2, 0}, Case{"1", 1, 1}, Case{" 12 minutes", 12, 12}, Case{"", 0, 0},
          Case{"yes", 4, 0}, Case{"-1", 3, 0xFFFFFFFFu}, Case{"99999999999", 12, 0x7FFFFFFFu}}) {
        for (uint32_t type : {RegistryText, RegistryExpandableText, RegistryTextList}) {
            uint32_t value = Sentinel;
            const auto* bytes = reinterpret_cast<const uint8_t*>(c.text);
            EXPECT_EQ(TakeRegistrySetting(0, type, bytes, c.size, 64, &value), 1) << c.text;
            EXPECT_EQ(value, c.expected) << c.text << " type " << type;
        }
    }
    // REG_DWORD and REG_BINARY as before: "0" stored as bytes is 48.
    const uint8_t zeroText[2] = {'0', 0};
    uint32_t value = Sentinel;
    EXPECT_EQ(TakeRegistrySetting(0, 3, zeroText, 2, 64, &value), 1);
    EXPECT_EQ(value, 0x30u);
    const uint8_t eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    value = Sentinel;
    EXPECT_EQ(TakeRegistrySetting(0, 4, eight, 8, 64, &value), 0);
    // A failed read, or one claiming more than the buffer, leaves the value alone.
    EXPECT_EQ(TakeRegistrySetting(234, RegistryText, zeroText, 2, 64, &value), 0);
    EXPECT_EQ(TakeRegistrySetting(0, RegistryText, zeroText, 65, 64, &value), 0);
    EXPECT_EQ(value, Sentinel);
}

}  // namespace
