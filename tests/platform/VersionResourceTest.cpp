// The version record as the Windows API sees it: this test program carries the build's record as its
// version resource, and GetFileVersionInfo/VerQueryValue (through platform/VersionInfo) find and read it.
#include "platform/VersionInfo.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

// winver.h maps these names to their A or W variants; here they name the platform layer's functions.
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue

namespace {

std::string ThisProgram() {
    char path[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

std::vector<char> RecordOf(const std::string& path) {
    platform::VersionDword handle = 1;
    const platform::VersionDword size = platform::GetFileVersionInfoSize(path.c_str(), &handle);
    std::vector<char> record(size);
    if (size != 0 && !platform::GetFileVersionInfo(path.c_str(), handle, size, record.data())) {
        record.clear();
    }
    return record;
}

TEST(VersionResource, TheApiFindsTheRecordOfThisProgram) {
#ifndef QOR_EXPECTED_DESCRIPTION
    GTEST_SKIP() << "built without the version generator: the program carries no record";
#else
    const std::vector<char> record = RecordOf(ThisProgram());
    ASSERT_FALSE(record.empty()) << ThisProgram();

    void* value = nullptr;
    unsigned length = 0;
    ASSERT_TRUE(platform::VerQueryValue(record.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    WORD translation[2];
    std::memcpy(translation, value, sizeof translation);
    EXPECT_EQ(translation[0], 0x0419);
    EXPECT_EQ(translation[1], 1251);

    ASSERT_TRUE(platform::VerQueryValue(record.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0

    // "Редактор справочников" in Windows-1251, as the ANSI query gives it on a Russian system.
    const std::string expected =
        "\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0 \xF1\xEF\xF0\xE0\xE2\xEE\xF7\xED\xE8\xEA\xEE\xE2";
    ASSERT_TRUE(platform::VerQueryValue(record.data(), "\\StringFileInfo\\041904E3\\FileDescription", &value,
                                        &length));
    EXPECT_EQ(std::string(static_cast<const char*>(value)), expected);
    ASSERT_TRUE(
        platform::VerQueryValue(record.data(), "\\StringFileInfo\\041904E3\\FileVersion", &value, &length));
    EXPECT_EQ(std::string(static_cast<const char*>(value)), QOR_EXPECTED_VERSION);
    EXPECT_FALSE(
        platform::VerQueryValue(record.data(), "\\StringFileInfo\\041904E3\\NoSuchValue", &value, &length));
#endif
}

TEST(VersionResource, FileWithoutARecordHasNone) {
    const std::string path = "version-none.txt";
    std::ofstream(path) << "VS_VERSION_INFO is not enough";
    platform::VersionDword handle = 0;
    EXPECT_EQ(platform::GetFileVersionInfoSize(path.c_str(), &handle), 0u);
    EXPECT_EQ(platform::GetFileVersionInfoSize("C:\\no\\such\\file.exe", &handle), 0u);
    std::remove(path.c_str());
}

}  // namespace
