#include "addin/sync_run_driver.h"

#include <exception>
#include <new>

#include "addin/index_owner.h"
#include "platform/message_box.h"
#include "settings/log.h"
#include "settings/messages.h"
#include "settings/settings_manager.h"
#include "settings/sync_counters.h"

unsigned SyncProc(SyncRunDriver* param, ISyncHost* host) {
    Log("SyncProc - CoInitialize");
    host->InitializeApartment();
    Log("SyncProc - lpParam");
    Log("SyncProc - CSynchronizer");
    Log("SyncProc - Sync");
    param->Sync();
    Log("SyncProc - CoUninitialize");
    host->UninitializeApartment();
    Log("SyncProc - Event check");
    if (host->SignalSyncFinished())
        Log("SyncProc - SetEvent");
    Log("SyncProc - return");
    return 0;
}

void SyncRunDriver::Sync() {
    m_contactsFailure.reset();
    m_calendarsFailure.reset();
    m_summary.clear();
    SwitchLogToRunFile();
    DiscardIndexesOfAnotherStore(m_host->GetStoreId());
    CSettingsManager settings;
    settings.Create();
    const std::uint32_t flag = settings.GetSyncFlag();
    if ((flag & kSyncContacts) && (m_requestedKinds & kSyncContacts)) {
        SyncKind(SyncKind::Contacts, IDS_SYNCING_CONTACTS, settings.GetUrl(), settings.GetEmail(),
                 settings.GetPassword(), &m_contactsFailure);
    }
    if ((flag & kSyncCalendars) && (m_requestedKinds & kSyncCalendars)) {
        SyncKind(SyncKind::Calendars, IDS_SYNCING_CALENDARS, settings.GetUrl(), settings.GetEmail(),
                 settings.GetPassword(), &m_calendarsFailure);
    }
    SwitchLogToDefaultFile();
}

void SyncRunDriver::SyncKind(enum SyncKind kind, unsigned status_message, const std::string& url,
                             const std::string& email, const std::string& password,
                             std::unique_ptr<CAddinException>* failure) {
    m_host->OutputMessageToUser(status_message);
    SyncResultList results;
    try {
        std::unique_ptr<ISynchronizer> synchronizer = m_host->CreateSynchronizer(kind, url, email, password);
        synchronizer->Synchronize(&results);
    } catch (const CAddinException& error) {
        *failure = std::make_unique<CAddinException>(error);
    } catch (const std::bad_alloc&) {
        Log("SyncRunDriver::Sync: Out of memory.");
        *failure = std::make_unique<CAddinException>(kErrorUnknown);
    } catch (const std::exception& error) {
        // A platform fault escaping a synchronizer must not end the host; it ends only this kind.
        Log("SyncRunDriver::Sync: Unexpected failure: %s", error.what());
        *failure = std::make_unique<CAddinException>(kErrorUnknown);
    }
    for (const SyncResultEntry& entry : results) {
        m_host->RegisterReadOnlyFolder(entry.folder_key, entry.flag);
        const std::string line = FormatSummaryLine(
            (kind == SyncKind::Contacts ? "Contacts \"" : "Calendar \"") + entry.name + "\"", entry.counters);
        Log("SyncRunDriver::Sync: %s", line.c_str());
        m_summary += line + "\n";
    }
}

std::uint32_t SyncRunDriver::Proceed() {
    std::lock_guard<std::mutex> lock(m_countersLock);
    Log("Proceed - start");
    CSettingsManager settings;
    settings.Create();
    std::uint32_t due = 0;
    const std::int32_t contact_interval = settings.GetInterval(kSyncContacts);
    if (contact_interval == -1) {
        m_contactCount = 0;
    } else if (++m_contactCount >= contact_interval) {
        due |= kSyncContacts;
    }
    const std::int32_t calendar_interval = settings.GetInterval(kSyncCalendars);
    if (calendar_interval == -1) {
        m_calendarCount = 0;
    } else if (++m_calendarCount >= calendar_interval) {
        due |= kSyncCalendars;
    }
    Log("Proceed CalendarCount = %d ContactCount = %d flag = %d", m_calendarCount, m_contactCount,
        static_cast<int>(due));
    return due;
}

void SyncRunDriver::ResetCounters(std::uint32_t kinds, bool all) {
    std::lock_guard<std::mutex> lock(m_countersLock);
    if (all) {
        m_contactCount = 0;
        m_calendarCount = 0;
        return;
    }
    if (kinds & kSyncContacts)
        m_contactCount = 0;
    if (kinds & kSyncCalendars)
        m_calendarCount = 0;
}

std::int32_t SyncRunDriver::GetCalendarCount() const {
    std::lock_guard<std::mutex> lock(m_countersLock);
    return m_calendarCount;
}

std::int32_t SyncRunDriver::GetContactCount() const {
    std::lock_guard<std::mutex> lock(m_countersLock);
    return m_contactCount;
}

std::string SyncRunDriver::GetSuccessMessage() {
    std::string text = GetResultMessage();
    if (!m_summary.empty())
        text += "\n" + m_summary.substr(0, m_summary.size() - 1);
    return text;
}

std::string SyncRunDriver::GetResultMessage() {
    CSettingsManager settings;
    settings.Create();
    const bool calendars = settings.GetSyncFlag() & kSyncCalendars;
    const bool contacts = settings.GetSyncFlag() & kSyncContacts;
    if (calendars && !m_calendarsFailure && contacts && !m_contactsFailure)
        return LoadMessage(IDS_ALL_SYNCED);
    std::string text;
    if (contacts) {
        text += m_contactsFailure ? LoadMessage(IDS_CONTACTS_FAILED) + m_contactsFailure->GetMessage()
                                  : LoadMessage(IDS_CONTACTS_SYNCED);
    }
    if (calendars) {
        const std::string part = m_calendarsFailure
                                     ? LoadMessage(IDS_EVENTS_FAILED) + m_calendarsFailure->GetMessage()
                                     : LoadMessage(IDS_EVENTS_SYNCED);
        if (!text.empty() && !part.empty())
            text += "\n";
        text += part;
    }
    return text;
}

namespace {

unsigned SettingsQuestionFor(const CAddinException* failure) {
    if (!failure)
        return 0;
    switch (failure->GetCode()) {
        case kErrorNoConnection:
            return IDS_ASK_SETTINGS_CONNECTION;
        case kErrorLogonFailed:
            return IDS_ASK_SETTINGS_LOGON;
        default:
            return 0;
    }
}

}  // namespace

void SyncRunDriver::ReportResult() {
    const std::string caption = LoadMessage(IDS_CAPTION);
    const bool failed = m_contactsFailure || m_calendarsFailure;
    // An unattended session whose server stays unreachable would otherwise block on the same question
    // at every tick.
    const bool failed_again = failed && m_lastRunFailed && !m_showResult;
    m_lastRunFailed = failed;
    m_host->EnableUI(true);
    m_host->OutputMessageToUser(failed ? IDS_SYNC_FAILED : IDS_SYNC_COMPLETE);
    unsigned question = SettingsQuestionFor(m_contactsFailure.get());
    if (question == 0)
        question = SettingsQuestionFor(m_calendarsFailure.get());
    if (question != 0 && !failed_again) {
        const int answer = platform::ShowMessageBox(LoadMessage(question), caption,
                                                    platform::MB_YESNO | platform::MB_ICONQUESTION);
        if (answer == platform::IDYES && m_host->ShowFirstRunDialog() == platform::IDCANCEL) {
            Log("EndSync - First run dialog cancelled.");
        }
        return;
    }
    if (m_showResult || failed) {
        platform::ShowMessageBox(
            GetSuccessMessage(), caption,
            platform::MB_OK | (failed ? platform::MB_ICONERROR : platform::MB_ICONINFORMATION));
    }
}
