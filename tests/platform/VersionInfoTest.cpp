// The version record: records built here, carried inside files with other bytes around them, found and
// walked by the platform's stand-ins and read by TVersionInfo.
#include "app/version/VersionRecordBuilder.h"
#include "platform/VersionInfo.h"
#include "platform/VersionReader.h"

#include "platform/Text.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using version_record::Content;

class VersionInfoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(FDir.isValid()); }

    // A file with the record somewhere in the middle, as in an executable; returns its stored path.
    std::string FileWith(const std::vector<std::uint8_t>& record, std::size_t keep = SIZE_MAX,
                         bool tail = true) {
        const QString path = FDir.filePath(QStringLiteral("prog%1.exe").arg(++FCount));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            QByteArray("\x7F"
                       "ELF some code V\0S\0_\0",
                       22));  // a false start of the key
        file.write(QByteArray(101, '\xCC'));
        file.write(reinterpret_cast<const char*>(record.data()),
                   static_cast<qsizetype>(std::min(keep, record.size())));
        if (tail) {
            file.write(QByteArray(57, '\0'));
        }
        return path.toStdString();
    }

    static Content Sample() {
        Content content;
        content.FileVersion = {1, 2, 3, 4};
        content.Strings = {{u"FileDescription", u"Редактор справочников"},
                           {u"FileVersion", u"1.2.3.4"},
                           {u"LegalCopyright", u"© 2026 Группа"},
                           {u"Support", u"https://example.org/s"},
                           {u"Email", u""}};
        return content;
    }

    static std::string Cp(const char16_t* text) { return *platform::ToCp1251(QString::fromUtf16(text)); }

    QTemporaryDir FDir;
    int FCount = 0;
};

TEST_F(VersionInfoTest, BlockHasTheResourceCompilersLayout) {
    const auto record = version_record::Build(Sample());
    ASSERT_GE(record.size(), 92u);
    EXPECT_EQ(record[0] | (record[1] << 8), static_cast<int>(record.size()));  // wLength
    EXPECT_EQ(record[2] | (record[3] << 8), 52);                               // the fixed part's size
    EXPECT_EQ(std::memcmp(record.data() + 6, u"VS_VERSION_INFO", 32), 0);
    const std::uint8_t signature[] = {0xBD, 0x04, 0xEF, 0xFE};
    EXPECT_EQ(std::memcmp(record.data() + 40, signature, 4), 0);
    EXPECT_EQ(record[48] | (record[49] << 8), 2);  // file version, most significant: 1.2
    EXPECT_EQ(record[50] | (record[51] << 8), 1);
    EXPECT_EQ(record.size() % 4, 0u);
}

TEST_F(VersionInfoTest, RecordIsFoundInAFileAndReadWithTheKeyOfItsTranslation) {
    const std::string path = FileWith(version_record::Build(Sample()));
    const TVersionInfo info(path);
    ASSERT_TRUE(info.HasRecord);
    EXPECT_EQ(info.FirstTranslation(), 0x04E30419u);
    EXPECT_EQ(info.LanguageKey(), "041904E3");
    EXPECT_EQ(info.StringValue("FileDescription"), Cp(u"Редактор справочников"));
    EXPECT_EQ(info.StringValue("filedescription"), Cp(u"Редактор справочников"));
    EXPECT_EQ(info.StringValue("LegalCopyright"), Cp(u"© 2026 Группа"));
    EXPECT_EQ(info.StringValue("Email"), "");
    EXPECT_EQ(info.StringValue("Comments"), "");
    // Asking again gives the same text: the conversion needs no state.
    EXPECT_EQ(info.StringValue("FileDescription"), Cp(u"Редактор справочников"));

    void* fixed = nullptr;
    unsigned length = 0;
    ASSERT_TRUE(platform::VerQueryValue(info.RecordData.get(), "\\", &fixed, &length));
    EXPECT_EQ(length, 52u);
    EXPECT_EQ(std::memcmp(fixed, "\xBD\x04\xEF\xFE", 4), 0);
}

TEST_F(VersionInfoTest, ValueUnderAnotherLanguageKeyIsNotFound) {
    Content content = Sample();
    content.Language = 0x0409;
    content.CodePage = 0x04E4;
    const TVersionInfo english(FileWith(version_record::Build(content)));
    EXPECT_EQ(english.LanguageKey(), "040904E4");
    EXPECT_EQ(english.StringValue("Support"), "https://example.org/s");

    // The first translation says 0419/04E3, but the table is stored under 040904E4. The translation is the
    // last value of the block.
    std::vector<std::uint8_t> record = version_record::Build(content);
    const std::vector<std::uint8_t> tail(record.end() - 4, record.end());
    ASSERT_EQ(tail, (std::vector<std::uint8_t>{0x09, 0x04, 0xE4, 0x04}));
    record[record.size() - 4] = 0x19;
    record[record.size() - 2] = 0xE3;
    const TVersionInfo mismatched(FileWith(record));
    ASSERT_TRUE(mismatched.HasRecord);
    EXPECT_EQ(mismatched.LanguageKey(), "041904E3");
    EXPECT_EQ(mismatched.StringValue("Support"), "");
}

TEST_F(VersionInfoTest, FileWithoutRecordOrNoFileGivesEmptyTexts) {
    const TVersionInfo none(FileWith({}));
    EXPECT_FALSE(none.HasRecord);
    EXPECT_EQ(none.RecordSize, 0u);
    EXPECT_EQ(none.LanguageKey(), "");
    EXPECT_EQ(none.StringValue("FileDescription"), "");
    const TVersionInfo missing(FDir.filePath(QStringLiteral("absent.exe")).toStdString());
    EXPECT_FALSE(missing.HasRecord);
}

TEST_F(VersionInfoTest, TruncatedOrCorruptRecordIsNeverReadPastItsEnd) {
    const auto record = version_record::Build(Sample());
    // Cut short at the end of the file: the block's length points past the end, so there is no record.
    for (std::size_t keep : {std::size_t{20}, std::size_t{60}, record.size() / 2, record.size() - 1}) {
        const TVersionInfo info(FileWith(record, keep, false));
        EXPECT_FALSE(info.HasRecord) << keep;
        EXPECT_EQ(info.StringValue("FileDescription"), "") << keep;
    }
    // Lengths inside the block that lie: of StringFileInfo, of the string table, of the first string, and
    // the first string's value length.
    ASSERT_EQ(std::memcmp(record.data() + 92 + 6, u"StringFileInfo", 28), 0);
    ASSERT_EQ(std::memcmp(record.data() + 128 + 6, u"041904E3", 16), 0);
    ASSERT_EQ(std::memcmp(record.data() + 152 + 6, u"FileDescription", 30), 0);
    // (A shorter value length that still fits is a shorter text, as on Windows; only lengths that overrun
    // count.)
    for (std::size_t offset : {92, 128, 152, 154}) {
        for (std::uint16_t bad :
             {std::uint16_t{0xFFFF}, std::uint16_t{0}, std::uint16_t{3}, std::uint16_t{200}}) {
            if (offset == 154 && (bad == 0 || bad == 3)) {
                continue;
            }
            std::vector<std::uint8_t> corrupt = record;
            corrupt[offset] = static_cast<std::uint8_t>(bad & 0xFF);
            corrupt[offset + 1] = static_cast<std::uint8_t>(bad >> 8);
            const TVersionInfo info(FileWith(corrupt));
            ASSERT_TRUE(info.HasRecord);
            // A damaged part reads as missing, never as another text (and never outside: see the sanitizers).
            const std::string description = info.StringValue("FileDescription");
            EXPECT_TRUE(description.empty() || description == Cp(u"Редактор справочников"))
                << offset << " " << bad;
            const std::string support = info.StringValue("Support");
            EXPECT_TRUE(support.empty() || support == "https://example.org/s") << offset << " " << bad;
            EXPECT_EQ(info.StringValue("Missing"), "");
        }
    }
}

TEST_F(VersionInfoTest, ShortBufferIsRefused) {
    const std::string path = FileWith(version_record::Build(Sample()));
    platform::VersionDword handle = 7;
    const platform::VersionDword size = platform::GetFileVersionInfoSize(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<std::uint8_t> buffer(size);
    EXPECT_FALSE(platform::GetFileVersionInfo(path.c_str(), handle, 40, buffer.data()));
    EXPECT_TRUE(platform::GetFileVersionInfo(path.c_str(), handle, size, buffer.data()));
}

TEST(VersionString, ThisProgramCarriesTheBuildsRecord) {
    // The test program embeds the record generated from the build's description of the version.
    EXPECT_EQ(platform::FromCp1251(VersionDescription()), QStringLiteral(QOR_EXPECTED_DESCRIPTION));
    EXPECT_EQ(platform::FromCp1251(VersionString("Email")), QStringLiteral(QOR_EXPECTED_EMAIL));
    EXPECT_EQ(VersionString("NoSuchValue"), "");
}

}  // namespace
