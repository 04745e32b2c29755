#include "forms/MainSettings.h"

#include <array>

#include "forms/FormMessages.h"
#include "platform/Settings.h"

namespace {

constexpr const char* kSpravKey = "Software\\QOR_Sprav";
constexpr const char* kMainKey = "Software\\QOR_Main";

struct Value {
    const char* Key;
    const char* Name;
    std::string TSettingValues::*Field;
};

constexpr std::array<Value, 6> kValues{{{kSpravKey, "FileName", &TSettingValues::FileName},
                                        {kSpravKey, "FilePreff", &TSettingValues::FilePreff},
                                        {kSpravKey, "FileSuff", &TSettingValues::FileSuff},
                                        {kMainKey, "Dir_QOR", &TSettingValues::DirQOR},
                                        {kMainKey, "Dir_Tests", &TSettingValues::DirTests},
                                        {kMainKey, "Dir_PDF", &TSettingValues::DirPDF}}};

// The notice of a settings store that could not be read at start-up.
QString UnreadText(const QString& location, const std::error_code& error) {
    const QString reason = error == std::errc::permission_denied ? QStringLiteral("Нет прав на чтение.")
                                                                 : forms::SystemErrorText(error);
    return QStringLiteral(
               "Не удалось прочитать файл настроек %1: %2\n"
               "Программа запущена с пустыми настройками; при выходе этот файл не будет изменён.")
        .arg(location, reason);
}

}  // namespace

TSettingValues TMainSettings::Read() {
    platform::Registry registry;
    TSettingValues values;
    for (const char* key : {kSpravKey, kMainKey}) {
        const bool opened = registry.OpenKey(key, false);
        if (const std::error_code error = registry.StoreError()) {
            FUnread = true;
            FStart = {};
            forms::Inform(UnreadText(QString::fromStdString(platform::Registry::StoreLocation()), error));
            return {};
        }
        if (!opened && registry.OpenKey(key, true)) {
            for (const Value& value : kValues) {
                if (value.Key == key) {
                    registry.WriteString(value.Name, "");
                }
            }
        }
        for (const Value& value : kValues) {
            if (value.Key == key) {
                values.*value.Field = registry.ReadString(value.Name);
            }
        }
        registry.CloseKey();
    }
    FStart = values;
    return values;
}

bool TMainSettings::Write(const TSettingValues& values) {
    if (FUnread) {
        return true;  // the user was told at start-up that this store is left as it is
    }
    platform::Registry registry;
    bool stored = true;
    for (const char* key : {kSpravKey, kMainKey}) {
        if (!registry.OpenKey(key, true)) {
            stored = false;
            continue;
        }
        for (const Value& value : kValues) {
            if (value.Key != key ||
                (values.*value.Field == FStart.*value.Field && registry.HoldsOtherType(value.Name))) {
                continue;
            }
            registry.WriteString(value.Name, values.*value.Field);
        }
        stored = registry.CloseKey() && stored;
    }
    return stored;
}
