#include "settings/settings_manager.h"

#include <memory>

#include "platform/code_page.h"
#include "platform/registry.h"
#include "settings/crypt.h"
#include "settings/log.h"

namespace {

// 1023 characters and the terminator, in UTF-16 bytes.
constexpr DWORD kStringBufferBytes = 2048;

std::string DecryptPassword(const std::string& stored) {
    CCrypt crypt;
    std::string plain;
    if (!crypt.Decrypt(&plain, platform::Utf8ToAnsi(stored), nullptr, CCrypt::SettingsKeyText()))
        return {};
    return platform::AnsiToUtf8(plain);
}

std::string EncryptPassword(const std::string& plain) {
    CCrypt crypt;
    std::string hex;
    if (!crypt.Encrypt(&hex, platform::Utf8ToAnsi(plain), nullptr, CCrypt::SettingsKeyText()))
        return {};
    return platform::AnsiToUtf8(hex);
}

}  // namespace

void CSettingsManager::Create() {
    *this = CSettingsManager();
    std::unique_ptr<platform::RegistryKey> key;
    const LONG opened = platform::RegistryKey::Open(platform::RootKey::CurrentUser, kSettingsKeyPath, &key);
    if (opened != ERROR_SUCCESS) {
        Log("CSettingsManager::Create: Unable to open registry key. Result: %d", opened);
        return;
    }

    struct StringField {
        const char* name;
        std::string* field;
    };
    for (const StringField& value : {StringField{"Url", &m_url}, StringField{"Email", &m_email},
                                     StringField{"Login", &m_login}, StringField{"Password", &m_password}}) {
        std::string text;
        const LONG result = platform::QueryStringValue(*key, value.name, kStringBufferBytes, &text);
        if (result != ERROR_SUCCESS) {
            Log("CSettingsManager::Create: Unable to read '%s' value. Result: %d", value.name, result);
            continue;
        }
        *value.field = std::move(text);
    }
    m_password = DecryptPassword(m_password);

    DWORD number = 0;
    LONG result = platform::QueryDwordValue(*key, "SyncFlag", &number);
    if (result == ERROR_SUCCESS) {
        m_syncFlag = number;
        if ((m_syncFlag & kCalendarIntervalMask) == 0)
            m_syncFlag |= kCalendarInterval15;
        if ((m_syncFlag & kContactIntervalMask) == 0)
            m_syncFlag |= kContactIntervalOff;
    } else {
        Log("CSettingsManager::Create: Unable to read 'SyncFlag' value. Result: %d", result);
    }

    struct FlagField {
        const char* name;
        bool* field;
    };
    for (const FlagField& value :
         {FlagField{"EnableLog", &m_enableLog}, FlagField{"ShowStatsDialog", &m_showStatsDialog}}) {
        result = platform::QueryDwordValue(*key, value.name, &number);
        if (result != ERROR_SUCCESS) {
            Log("CSettingsManager::Create: Unable to read '%s' value. Result: %d", value.name, result);
            continue;
        }
        *value.field = number != 0;
    }
}

void CSettingsManager::Save() {
    std::unique_ptr<platform::RegistryKey> key;
    const LONG opened = platform::RegistryKey::Open(platform::RootKey::CurrentUser, kSettingsKeyPath, &key);
    if (opened == ERROR_FILE_NOT_FOUND) {
        const LONG created =
            platform::RegistryKey::Create(platform::RootKey::CurrentUser, kSettingsKeyPath, &key);
        if (created != ERROR_SUCCESS) {
            Log("CSettingsManager::Save: Registry key missing. Unable to create new once. Result: %d",
                created);
            return;
        }
    } else if (opened != ERROR_SUCCESS) {
        // Every write below fails and is logged, as a write through an unopened key would.
        for (const char* name :
             {"Url", "Email", "Login", "Password", "SyncFlag", "EnabledLog", "ShowStatsDialog"}) {
            Log("CSettingsManager::Save: Unable to save '%s' value. Result: %d", name, ERROR_INVALID_HANDLE);
        }
        return;
    }

    struct StringField {
        const char* name;
        std::string value;
    };
    for (const StringField& value :
         {StringField{"Url", m_url}, StringField{"Email", m_email}, StringField{"Login", m_login},
          StringField{"Password", EncryptPassword(m_password)}}) {
        const LONG result = platform::SetStringValue(*key, value.name, value.value);
        if (result != ERROR_SUCCESS) {
            Log("CSettingsManager::Save: Unable to save '%s' value. Result: %d", value.name, result);
        }
    }

    struct NumberField {
        const char* name;
        const char* log_name;  // the log has always called EnableLog "EnabledLog"
        DWORD value;
    };
    for (const NumberField& value :
         {NumberField{"SyncFlag", "SyncFlag", m_syncFlag},
          NumberField{"EnableLog", "EnabledLog", m_enableLog ? 1u : 0u},
          NumberField{"ShowStatsDialog", "ShowStatsDialog", m_showStatsDialog ? 1u : 0u}}) {
        const LONG result = platform::SetDwordValue(*key, value.name, value.value);
        if (result != ERROR_SUCCESS) {
            Log("CSettingsManager::Save: Unable to save '%s' value. Result: %d", value.log_name, result);
        }
    }
}

std::int32_t CSettingsManager::GetInterval(std::uint32_t kind) const {
    if (kind & kSyncCalendars) {
        switch (m_syncFlag & kCalendarIntervalMask) {
            case 0x08:
                return 5;
            case 0x10:
                return 10;
            case 0x20:
                return 15;
            case 0x40:
                return 30;
            case 0x80:
                return 60;
            default:
                return -1;
        }
    }
    if (kind & kSyncContacts) {
        switch (m_syncFlag & kContactIntervalMask) {
            case 0x200:
                return 60;
            case 0x400:
                return 240;
            case 0x800:
                return 720;
            case 0x1000:
                return 1440;
            default:
                return -1;
        }
    }
    return -1;
}
