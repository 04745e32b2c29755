// The settings store on the real registry of the current user (under Wine in CI): values cross as
// Windows-1251 bytes through the ANSI functions, values of another type are told apart, and a write that
// does not reach the store is reported by CloseKey.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/Settings.h"

namespace {

constexpr const char* kKey = "Software\\QOR_Sprav";

// The key of one test, removed before and after it so that every test starts from nothing.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

    // Writes a value of any type past the store, as another program would.
    static void SetRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(RegistryTest, ValuesSurviveAsWindows1251Bytes) {
    // C:\Справочники\мой.spr in Windows-1251.
    const std::string cyrillic = "C:\\\xD1\xEF\xF0\xE0\xE2\xEE\xF7\xED\xE8\xEA\xE8\\\xEC\xEE\xE9.spr";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"FileName", cyrillic},
        {"Dir_Tests", "D:\\QOR\\Tests\\"},
        {"Empty", ""},
        {"Blanks", "  a = b ; c  "},
    };
    platform::Registry registry;
    EXPECT_FALSE(registry.OpenKey(kKey, false)) << "the key does not exist yet";
    ASSERT_TRUE(registry.OpenKey(kKey, true));
    for (const auto& [name, value] : values) {
        registry.WriteString(name, value);
    }
    EXPECT_TRUE(registry.CloseKey());

    ASSERT_TRUE(registry.OpenKey(kKey, false));
    for (const auto& [name, value] : values) {
        EXPECT_EQ(registry.ReadString(name), value) << name;
        EXPECT_FALSE(registry.HoldsOtherType(name)) << name;
    }
    EXPECT_EQ(registry.ReadString("fILEnAME"), cyrillic) << "value names ignore case";
    EXPECT_EQ(registry.ReadString("Missing"), "");
    EXPECT_TRUE(registry.CloseKey());
    EXPECT_EQ(GetACP(), 1251u) << "the ANSI code page the values crossed in";
}

// A string stored by another program without its terminating zero still reads whole.
TEST_F(RegistryTest, StringWithoutTerminatingZeroReadsWhole) {
    SetRaw("FileName", REG_SZ, "C:\\a.spr", 8);
    SetRaw("Expand", REG_EXPAND_SZ, "%TEMP%\\b", 9);
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey(kKey, false));
    EXPECT_EQ(registry.ReadString("FileName"), "C:\\a.spr");
    EXPECT_EQ(registry.ReadString("Expand"), "%TEMP%\\b") << "read as stored, not expanded";
}

TEST_F(RegistryTest, ValuesOfAnotherTypeAreToldApart) {
    const DWORD number = 7;
    const unsigned char bytes[] = {0x41, 0x00, 0x42};
    SetRaw("Dword", REG_DWORD, &number, sizeof number);
    SetRaw("Binary", REG_BINARY, bytes, sizeof bytes);
    SetRaw("Multi", REG_MULTI_SZ, "a\0b\0", 5);
    SetRaw("Text", REG_SZ, "x", 2);
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey(kKey, false));
    for (const char* name : {"Dword", "Binary", "Multi"}) {
        EXPECT_TRUE(registry.HoldsOtherType(name)) << name;
        EXPECT_EQ(registry.ReadString(name), "") << name;
    }
    EXPECT_FALSE(registry.HoldsOtherType("Text"));
    EXPECT_FALSE(registry.HoldsOtherType("Missing"));
    // Writing our own value replaces the other type.
    registry.WriteString("Dword", "C:\\b.spr");
    EXPECT_TRUE(registry.CloseKey());
    ASSERT_TRUE(registry.OpenKey(kKey, false));
    EXPECT_FALSE(registry.HoldsOtherType("Dword"));
    EXPECT_EQ(registry.ReadString("Dword"), "C:\\b.spr");
}

// The key deleted by another program while open: the write cannot reach the store and CloseKey says so;
// the next key opened and closed without a failed write reports success again.
TEST_F(RegistryTest, WriteThatDidNotReachTheStoreIsReported) {
    platform::Registry registry;
    ASSERT_TRUE(registry.OpenKey(kKey, true));
    ASSERT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, kKey), ERROR_SUCCESS);
    registry.WriteString("FileName", "C:\\a.spr");
    EXPECT_FALSE(registry.CloseKey());
    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &probe), ERROR_SUCCESS);

    ASSERT_TRUE(registry.OpenKey(kKey, true));
    registry.WriteString("FileName", "C:\\a.spr");
    EXPECT_TRUE(registry.CloseKey());
    EXPECT_TRUE(registry.CloseKey()) << "closing again writes nothing";
}

TEST_F(RegistryTest, NothingIsWrittenWithoutAnOpenKey) {
    platform::Registry registry;
    EXPECT_FALSE(registry.OpenKey(kKey, false));
    registry.WriteString("FileName", "x");
    EXPECT_EQ(registry.ReadString("FileName"), "");
    EXPECT_FALSE(registry.HoldsOtherType("FileName"));
    EXPECT_TRUE(registry.CloseKey());
    HKEY probe = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &probe), ERROR_SUCCESS);
}

}  // namespace
