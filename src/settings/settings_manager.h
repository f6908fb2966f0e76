// The add-in's settings record in HKCU\Software\Velmarquin\ZelOutlookPlugin. Nothing caches it: every user
// constructs a fresh record and calls Create.
#pragma once

#include <cstdint>
#include <string>

// SyncFlag bits.
inline constexpr std::uint32_t kSyncCalendars = 0x1;
inline constexpr std::uint32_t kSyncContacts = 0x2;
inline constexpr std::uint32_t kCalendarIntervalMask = 0xFC;
inline constexpr std::uint32_t kContactIntervalMask = 0x1F00;
inline constexpr std::uint32_t kCalendarIntervalOff = 0x04;
inline constexpr std::uint32_t kCalendarInterval15 = 0x20;
inline constexpr std::uint32_t kContactIntervalOff = 0x100;
inline constexpr std::uint32_t kDefaultSyncFlag = 0x123;

inline constexpr const char* kSettingsKeyPath = "Software\\Velmarquin\\ZelOutlookPlugin";

class CSettingsManager {
  public:
    CSettingsManager() = default;
    virtual ~CSettingsManager() = default;

    // Fills the record from the registry; every failure is logged and leaves that field's default.
    void Create();
    // Writes every field; every failure is logged and skips that value.
    void Save();

    // Timer ticks (minutes) between automatic runs of a kind (1 calendars, 2 contacts), or -1 for none.
    std::int32_t GetInterval(std::uint32_t kind) const;

    std::string GetUrl() const { return m_url; }
    std::string GetEmail() const { return m_email; }
    std::string GetLogin() const { return m_login; }
    std::string GetPassword() const { return m_password; }
    std::uint32_t GetSyncFlag() const { return m_syncFlag; }
    bool GetEnableLog() const { return m_enableLog; }
    bool GetShowStatsDialog() const { return m_showStatsDialog; }

    void SetUrl(std::string url) { m_url = std::move(url); }
    void SetEmail(std::string email) { m_email = std::move(email); }
    void SetLogin(std::string login) { m_login = std::move(login); }
    void SetPassword(std::string password) { m_password = std::move(password); }
    void SetSyncFlag(std::uint32_t flag) { m_syncFlag = flag; }
    void SetEnableLog(bool enable) { m_enableLog = enable; }
    void SetShowStatsDialog(bool show) { m_showStatsDialog = show; }

  private:
    std::string m_url;
    std::string m_email;
    std::string m_login;
    std::string m_password;  // plain text
    std::uint32_t m_syncFlag = kDefaultSyncFlag;
    bool m_enableLog = false;
    bool m_showStatsDialog = true;
};
