#include "ui/zel_prop_page.h"

#include <cstdio>

#include "dav/dav_server.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/messages.h"
#include "settings/module_info.h"
#include "settings/settings_manager.h"
#include "ui/dialog_ids.h"

namespace {

struct IntervalChoice {
    unsigned label_id;
    std::uint32_t bit;
};

constexpr IntervalChoice kCalendarIntervals[] = {{370, 0x04}, {371, 0x08}, {372, 0x10},
                                                 {373, 0x20}, {374, 0x40}, {375, 0x80}};
constexpr IntervalChoice kContactIntervals[] = {
    {376, 0x100}, {377, 0x200}, {378, 0x400}, {379, 0x800}, {380, 0x1000}};

template <std::size_t N>
void FillIntervals(platform::DialogWindow& window, int id, const IntervalChoice (&choices)[N],
                   std::uint32_t selected) {
    window.ResetComboItems(id);
    for (const IntervalChoice& choice : choices)
        window.AddComboItem(id, LoadMessage(choice.label_id), choice.bit);
    window.SelectComboItemByData(id, selected);
}

std::string VersionLine() {
    const std::string format = LoadMessage(IDS_VERSION_LINE);
    const std::string version = ModuleVersion();
    std::string text(format.size() + version.size() + 1, '\0');
    const int length = std::snprintf(text.data(), text.size(), format.c_str(), version.c_str());
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
}

}  // namespace

void TestDavConnection(const std::string& url, const std::string& user, const std::string& password) {
    CDavServer server(url, user, password);
    server.GetCurrentUserPrincipal();
}

void CZelPropPage::OnInitDialog(platform::DialogWindow& window) {
    m_loading = true;
    CSettingsManager settings;
    settings.Create();
    window.SetControlText(IDC_URL, settings.GetUrl());
    window.SetControlText(IDC_EMAIL, settings.GetEmail());
    window.SetControlText(IDC_PASSWORD, settings.GetPassword());
    const std::uint32_t flag = settings.GetSyncFlag();
    window.SetChecked(IDC_SYNC_CALENDAR, flag & kSyncCalendars);
    window.SetChecked(IDC_SYNC_CONTACTS, flag & kSyncContacts);
    FillIntervals(window, IDC_CALENDAR_INTERVAL, kCalendarIntervals, flag & kCalendarIntervalMask);
    FillIntervals(window, IDC_CONTACT_INTERVAL, kContactIntervals, flag & kContactIntervalMask);
    window.SetControlText(IDC_VERSION, VersionLine());
    m_loading = false;
}

void CZelPropPage::OnCommand(platform::DialogWindow& window, int control_id, int notification) {
    switch (control_id) {
        case IDC_URL:
        case IDC_EMAIL:
        case IDC_PASSWORD:
            if (notification == platform::EN_CHANGE)
                MarkDirty();
            break;
        case IDC_CALENDAR_INTERVAL:
        case IDC_CONTACT_INTERVAL:
            if (notification == platform::CBN_SELCHANGE)
                MarkDirty();
            break;
        case IDC_SYNC_CONTACTS:
            if (notification == platform::BN_CLICKED) {
                window.SetEnabled(IDC_CONTACT_INTERVAL, window.IsChecked(IDC_SYNC_CONTACTS));
                MarkDirty();
            }
            break;
        case IDC_SYNC_CALENDAR:
            if (notification == platform::BN_CLICKED) {
                window.SetEnabled(IDC_CALENDAR_INTERVAL, window.IsChecked(IDC_SYNC_CALENDAR));
                MarkDirty();
            }
            break;
        case IDC_TEST_CONNECTION:
            if (notification == platform::BN_CLICKED)
                RunConnectionTest(window);
            break;
        default:
            break;
    }
}

void CZelPropPage::MarkDirty() {
    if (m_loading)
        return;
    m_dirty = true;
    if (m_onStatusChange)
        m_onStatusChange();
}

std::string CZelPropPage::TakeTrimmed(platform::DialogWindow& window, int id) {
    const std::string text(platform::TrimWhitespace(window.GetControlText(id)));
    window.SetControlText(id, text);
    return text;
}

void CZelPropPage::Apply(platform::DialogWindow& window) {
    CSettingsManager settings;
    settings.Create();
    settings.SetUrl(TakeTrimmed(window, IDC_URL));
    settings.SetEmail(TakeTrimmed(window, IDC_EMAIL));
    settings.SetPassword(window.GetControlText(IDC_PASSWORD));
    std::uint32_t flag = 0;
    if (window.IsChecked(IDC_SYNC_CONTACTS))
        flag |= kSyncContacts;
    if (window.IsChecked(IDC_SYNC_CALENDAR))
        flag |= kSyncCalendars;
    flag |= window.GetComboSelectionData(IDC_CONTACT_INTERVAL).value_or(0);
    flag |= window.GetComboSelectionData(IDC_CALENDAR_INTERVAL).value_or(0);
    settings.SetSyncFlag(flag);
    settings.Save();
    m_dirty = false;
}

void CZelPropPage::RunConnectionTest(platform::DialogWindow& window) {
    window.SetControlText(IDC_TEST_CONNECTION, LoadMessage(IDS_TESTING));
    window.SetEnabled(IDC_TEST_CONNECTION, false);
    const std::string url = TakeTrimmed(window, IDC_URL);
    const std::string email = TakeTrimmed(window, IDC_EMAIL);
    const std::string password = window.GetControlText(IDC_PASSWORD);
    const std::string caption = LoadMessage(IDS_CAPTION);
    try {
        m_testConnection(url, email, password);
        platform::ShowMessageBox(LoadMessage(IDS_CONNECTION_SUCCESSFUL), caption,
                                 platform::MB_ICONINFORMATION);
    } catch (CAddinException& error) {
        platform::ShowMessageBox(error.GetMessage(), caption, platform::MB_ICONERROR);
    }
    window.SetControlText(IDC_TEST_CONNECTION, LoadMessage(IDS_TEST_CONNECTION));
    window.SetEnabled(IDC_TEST_CONNECTION, true);
}
