// The settings store against Wine's registry, in a private profile per test.
#include "hosts/windows/settings_store.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "hosts/windows/saver_texts.h"
#include "win_test_support.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
  protected:
    RegistrySandbox sandbox;
    uint32_t count = 0xEEEE;
    int32_t color = -77;
};

TEST_F(SettingsStoreTest, FirstLoadGivesDefaultsAndLeavesAnEmptyKeyBehind) {
    ASSERT_FALSE(KeyExists(SettingsKeyPath));
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 25u);
    EXPECT_EQ(color, 1);
    EXPECT_TRUE(KeyExists(SettingsKeyPath));
    EXPECT_EQ(ValueCount(SettingsKeyPath), 0u);
}

TEST_F(SettingsStoreTest, EachStoredValueReplacesOnlyItsOwnDefault) {
    WriteDword(SettingsKeyPath, ColorValueName, 5);
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 25u);
    EXPECT_EQ(color, 5);

    WriteDword(SettingsKeyPath, CountValueName, 44);
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 44u);
    EXPECT_EQ(color, 5);
}

TEST_F(SettingsStoreTest, ValuesOfOtherSizesAndTypesAreReadByTheirBytes) {
    // Eight bytes do not fit: the default stays and COLOR is still read.
    const uint8_t eight[8] = {40, 0, 0, 0, 0, 0, 0, 0};
    WriteRawValue(SettingsKeyPath, CountValueName, REG_QWORD, eight, sizeof eight);
    WriteDword(SettingsKeyPath, ColorValueName, 3);
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 25u);
    EXPECT_EQ(color, 3);

    // Two bytes of another type fill the low bytes; the high ones are zero.
    const uint8_t two[2] = {0x34, 0x12};
    WriteRawValue(SettingsKeyPath, CountValueName, REG_BINARY, two, sizeof two);
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 0x1234u);
}

TEST_F(SettingsStoreTest, OutOfRangeValuesAreLoadedAndSavedUnchanged) {
    for (int32_t stored : {0, 12, -3}) {
        WriteDword(SettingsKeyPath, ColorValueName, static_cast<DWORD>(stored));
        EXPECT_EQ(LoadSettings(&count, &color), 1);
        EXPECT_EQ(color, stored);
    }
    WriteDword(SettingsKeyPath, CountValueName, 200);
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 200u);
    EXPECT_EQ(SaveSettings(200, 12), 1);
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 200u);
    EXPECT_EQ(color, 12);
}

TEST_F(SettingsStoreTest, SaveThenLoadRoundTripsAsFourByteDwords) {
    EXPECT_EQ(SaveSettings(37, 4), 1);
    for (const char* name : {CountValueName, ColorValueName}) {
        DWORD type = 0;
        std::vector<uint8_t> data;
        ASSERT_TRUE(ReadRawValue(SettingsKeyPath, name, &type, &data)) << name;
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
        EXPECT_EQ(data.size(), 4u) << name;
    }
    EXPECT_EQ(ValueCount(SettingsKeyPath), 2u);
    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 37u);
    EXPECT_EQ(color, 4);
}

TEST_F(SettingsStoreTest, ReadOnlyKeyGivesItsValuesAndRefusesTheSave) {
    WriteDword(SettingsKeyPath, CountValueName, 7);
    WriteDword(SettingsKeyPath, ColorValueName, 3);
    LockKeyReadOnly(SettingsKeyPath);

    EXPECT_EQ(LoadSettings(&count, &color), 1);
    EXPECT_EQ(count, 7u);
    EXPECT_EQ(color, 3);
    EXPECT_EQ(SaveSettings(50, 6), 0);

    DWORD type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(ReadRawValue(SettingsKeyPath, CountValueName, &type, &data));
    EXPECT_EQ(data, (std::vector<uint8_t>{7, 0, 0, 0}));
    ASSERT_TRUE(ReadRawValue(SettingsKeyPath, ColorValueName, &type, &data));
    EXPECT_EQ(data, (std::vector<uint8_t>{3, 0, 0, 0}));

    // A key that cannot even be read gives the defaults.
    LockKeyCompletely(SettingsKeyPath);
    EXPECT_EQ(LoadSettings(&count, &color), 0);
    EXPECT_EQ(count, 25u);
    EXPECT_EQ(color, 1);
}

TEST_F(SettingsStoreTest, ProfileWhereTheKeyCannotBeCreatedFailsBothWays) {
    // HKEY_CURRENT_USER itself redirected onto a key that has been deleted: nothing can be
    // created below it.
    HKEY doomed = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Doomed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &doomed, &disposition),
              ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "Doomed"), ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, doomed), ERROR_SUCCESS);
    const int loaded = LoadSettings(&count, &color);
    const int saved = SaveSettings(9, 9);
    RegistrySandbox restore;  // puts a fresh profile in place before any assertion can fail
    RegCloseKey(doomed);
    EXPECT_EQ(loaded, 0);
    EXPECT_EQ(count, 25u);
    EXPECT_EQ(color, 1);
    EXPECT_EQ(saved, 0);
}

}  // namespace
