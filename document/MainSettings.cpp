#include "document/MainSettings.h"

#include <string>
#include <vector>

#include "document/BookTexts.h"
#include "platform/Settings.h"

namespace {

constexpr const char* kSpravKey = "Software\\QOR_Sprav";
constexpr const char* kMainKey = "Software\\QOR_Main";

// One value of the store and the field that mirrors it.
struct Value {
    const char* Key;
    std::string Name;
    std::string* Field;
    bool CreatedWithKey;  // written empty when start-up creates its key
};

// Every value, in the order read and written: the family's six, then the editor's own recent books.
std::vector<Value> Values(TSettingValues& values) {
    std::vector<Value> all{
        {kSpravKey, "FileName", &values.FileName, true}, {kSpravKey, "FilePreff", &values.FilePreff, true},
        {kSpravKey, "FileSuff", &values.FileSuff, true}, {kMainKey, "Dir_QOR", &values.DirQOR, true},
        {kMainKey, "Dir_Tests", &values.DirTests, true}, {kMainKey, "Dir_PDF", &values.DirPDF, true}};
    for (std::size_t i = 0; i < values.Recent.size(); ++i) {
        all.push_back({kSpravKey, "Recent" + std::to_string(i + 1), &values.Recent[i], false});
    }
    return all;
}

// The notice of a settings store that could not be read at start-up.
QString UnreadText(const QString& location, const std::error_code& error) {
    const QString reason = error == std::errc::permission_denied ? QStringLiteral("Нет прав на чтение.")
                                                                 : document::SystemErrorText(error);
    return QStringLiteral(
               "Не удалось прочитать файл настроек %1: %2\n"
               "Программа запущена с пустыми настройками; при выходе этот файл не будет изменён.")
        .arg(location, reason);
}

// Reads the values of `key` into their fields; the key is open.
void ReadKey(platform::Registry& registry, const char* key, const std::vector<Value>& all) {
    for (const Value& value : all) {
        if (value.Key == key) {
            *value.Field = registry.ReadString(value.Name);
        }
    }
}

}  // namespace

TSettingValues TMainSettings::Read() {
    platform::Registry registry;
    TSettingValues values;
    const std::vector<Value> all = Values(values);
    for (const char* key : {kSpravKey, kMainKey}) {
        const bool opened = registry.OpenKey(key, false);
        if (const std::error_code error = registry.StoreError()) {
            FUnread = true;
            FStart = {};
            FNotice = UnreadText(QString::fromStdString(platform::Registry::StoreLocation()), error);
            return {};
        }
        if (!opened && registry.OpenKey(key, true)) {
            for (const Value& value : all) {
                if (value.Key == key && value.CreatedWithKey) {
                    registry.WriteString(value.Name, "");
                }
            }
        }
        ReadKey(registry, key, all);
        registry.CloseKey();
    }
    FStart = values;
    return values;
}

TSettingValues TMainSettings::Peek() {
    platform::Registry registry;
    TSettingValues values;
    const std::vector<Value> all = Values(values);
    for (const char* key : {kSpravKey, kMainKey}) {
        if (registry.OpenKey(key, false)) {
            ReadKey(registry, key, all);
            registry.CloseKey();
        }
    }
    return values;
}

bool TMainSettings::Write(const TSettingValues& values) {
    if (FUnread) {
        return true;  // the user was told at start-up that this store is left as it is
    }
    TSettingValues written = values;
    const std::vector<Value> now = Values(written);
    const std::vector<Value> start = Values(FStart);
    platform::Registry registry;
    bool stored = true;
    for (const char* key : {kSpravKey, kMainKey}) {
        if (!registry.OpenKey(key, true)) {
            stored = false;
            continue;
        }
        for (std::size_t i = 0; i < now.size(); ++i) {
            const Value& value = now[i];
            if (value.Key != key ||
                (*value.Field == *start[i].Field && registry.HoldsOtherType(value.Name))) {
                continue;
            }
            registry.WriteString(value.Name, *value.Field);
        }
        stored = registry.CloseKey() && stored;
    }
    return stored;
}
