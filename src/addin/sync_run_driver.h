// The sync run: contacts, then calendars, each when both the settings and the request ask for it; each
// kind's failure is kept for the report. Also the timer's due-kinds rule (Proceed), the tick counters'
// reset and the result report. The add-in object owns one and drives it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "addin/sync_host.h"
#include "settings/addin_exception.h"

class SyncRunDriver {
  public:
    explicit SyncRunDriver(ISyncHost* host) : m_host(host) {}

    // BeginSync's arguments for the next run.
    void SetRequest(std::uint32_t kinds, bool show_result) {
        m_requestedKinds = kinds;
        m_showResult = show_result;
    }
    std::uint32_t GetRequestedKinds() const { return m_requestedKinds; }
    bool GetShowResult() const { return m_showResult; }

    // The sync run itself (on the worker thread).
    void Sync();

    // Which kinds are due on this timer tick: 0x1 calendars, 0x2 contacts.
    std::uint32_t Proceed();
    // After a run: both counts to 0 when `all`, else the counts of the kinds run.
    void ResetCounters(std::uint32_t kinds, bool all);
    std::int32_t GetCalendarCount() const;
    std::int32_t GetContactCount() const;

    // The result text of the last run, followed by its summary.
    std::string GetSuccessMessage();
    // A line per calendar and address book of the last run: what was created, changed and deleted on
    // each side, conflicts and failures.
    const std::string& GetSummary() const { return m_summary; }
    // EndSync's report: button, status bar, then the settings question or the result box. A timer run
    // that fails again after a failed run asks nothing: its failure is one error line (no question).
    void ReportResult();

    CAddinException* GetContactsFailure() const { return m_contactsFailure.get(); }
    CAddinException* GetCalendarsFailure() const { return m_calendarsFailure.get(); }

  private:
    // The result text alone: each kind synchronized or failed with its message.
    std::string GetResultMessage();
    void SyncKind(SyncKind kind, unsigned status_message, const std::string& url, const std::string& email,
                  const std::string& password, std::unique_ptr<CAddinException>* failure);

    ISyncHost* m_host;  // not owned
    std::uint32_t m_requestedKinds = 0;
    bool m_showResult = true;
    bool m_lastRunFailed = false;  // a failure streak: the question was asked at its start
    std::unique_ptr<CAddinException> m_contactsFailure;
    std::unique_ptr<CAddinException> m_calendarsFailure;
    std::string m_summary;

    mutable std::mutex m_countersLock;
    std::int32_t m_calendarCount = 0;
    std::int32_t m_contactCount = 0;
};

// The worker thread's procedure: `param` is the driver. Returns 0.
unsigned SyncProc(SyncRunDriver* param, ISyncHost* host);
