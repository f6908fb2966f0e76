// One test world for whole calendar runs: a fresh velsync home with the host's store (Outlook), a real
// DAV server started by the repository's scripts, scripted answers to the run's questions, and curl as
// the other client of the server.
#pragma once

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addin/sync_host.h"
#include "calendar/calendar_readonly_guards.h"
#include "dav/web_client.h"
#include "host/application_object.h"
#include "outlook/appointment_item.h"
#include "outlook/folder.h"
#include "platform/date_time.h"
#include "platform/dialog.h"
#include "platform/message_box.h"
#include "support/dav_servers.h"
#include "support/temp_home.h"

namespace calendar_test {

// Answers each question from a queue; an empty queue answers Cancel. Records every question asked.
class ScriptedQuestions : public platform::DialogService, public platform::MessageBoxService {
  public:
    int RunModal(int template_id, platform::DialogHandler& handler) override;
    int Show(const std::string& text, const std::string& caption, unsigned flags) override;

    std::deque<int> answers;
    std::vector<std::string> asked;

  private:
    int NextAnswer();
};

// Records the folders made read-only, in order.
class RecordingGuards : public ICalendarReadonlyGuards {
  public:
    void SetFolderReadonly(const std::string& folder_entry_id, bool readonly) override {
        if (readonly)
            readonly_folders.push_back(folder_entry_id);
    }
    void RegisterOwnChange(const std::string& /*item_id*/) override {}
    void ClearOwnChanges() override {}
    std::vector<std::string> readonly_folders;
};

struct HttpAnswer {
    int status = 0;
    std::string body;
};

// The other client: curl with the account's credentials (Digest for the Apache front).
class OtherClient {
  public:
    OtherClient(std::string base_url, bool digest) : m_base(std::move(base_url)), m_digest(digest) {}
    // `path` is joined to the server URL ("/alice/calendar/x.ics"). Waits at most 20 seconds.
    HttpAnswer Send(const std::string& method, const std::string& path, const std::string& body = "",
                    const std::vector<std::string>& headers = {}) const;
    // The .ics resources of a collection (PROPFIND, Depth: 1).
    std::vector<std::string> List(const std::string& collection) const;
    // The calendar collections of a home.
    std::vector<std::string> Calendars(const std::string& home) const;
    // MKCALENDAR with a display name; the status.
    int MakeCalendar(const std::string& href, const std::string& name) const;
    // PUT of an event text; the status.
    int PutEvent(const std::string& href, const std::string& ics) const;
    // PUT of a one-hour event at 09:00 UTC on `day` ("20310405"), changed `seconds_ago` seconds ago.
    int PutEvent(const std::string& href, const std::string& uid, const std::string& summary,
                 const std::string& day, int seconds_ago = 600) const;

  private:
    // The hrefs of the Depth: 1 responses to a PROPFIND of `prop` that contain `marker`.
    std::vector<std::string> Propfind(const std::string& collection, const std::string& prop,
                                      const std::string& marker) const;

    std::string m_base;
    bool m_digest;
};

// An iCalendar object with one VEVENT; LAST-MODIFIED is `modified_utc` ("%Y%m%dT%H%M%SZ").
std::string EventText(const std::string& uid, const std::string& summary, const std::string& start_utc,
                      const std::string& end_utc, const std::string& modified_utc);

class CalendarWorld {
  public:
    explicit CalendarWorld(testing_support::DavServerKind kind);
    ~CalendarWorld();
    CalendarWorld(const CalendarWorld&) = delete;
    CalendarWorld& operator=(const CalendarWorld&) = delete;

    // False (with the reason) when the server could not start.
    bool Start(std::string* error);

    // One calendar run with the account; the exception of a failed run is returned in `error_code`
    // (0 when the run succeeded). Results of the run go to `results`.
    void Run(std::uint32_t* error_code = nullptr, SyncResultList* results = nullptr,
             HttpRequestFactory factory = HttpRequestFactory());

    outlook::ComPtr<outlook::MAPIFolder> DefaultCalendar() const;
    // The sub-folder of the default calendar with that name, or null.
    outlook::ComPtr<outlook::MAPIFolder> SubFolder(const std::string& name) const;
    std::vector<std::string> SubFolderNames() const;
    outlook::ComPtr<outlook::MAPIFolder> AddSubFolder(const std::string& name) const;
    // A saved appointment; recurring daily for `daily_count` occurrences when it is not 0.
    outlook::ComPtr<outlook::AppointmentItem> AddAppointment(outlook::MAPIFolder* folder,
                                                             const std::string& subject,
                                                             const platform::DateTime& start,
                                                             int daily_count = 0) const;
    // The subjects of the folder's appointments, sorted.
    std::vector<std::string> Subjects(outlook::MAPIFolder* folder) const;
    outlook::ComPtr<outlook::AppointmentItem> FindAppointment(outlook::MAPIFolder* folder,
                                                              const std::string& subject) const;

    const testing_support::DavServerProcess& server() const { return m_server; }
    const OtherClient& other() const { return *m_other; }
    // The home of the account: "/alice/" (Radicale), "/alice/calendars/" (Xandikos).
    std::string Home() const;
    // The server calendar the default calendar was paired with (from calendars.dat).
    std::string PairedHref(outlook::MAPIFolder* folder) const;

    ScriptedQuestions questions;
    RecordingGuards guards;

  private:
    std::vector<std::pair<std::string, outlook::ComPtr<outlook::MAPIFolder>>> SubFolders() const;
    std::vector<outlook::ComPtr<outlook::AppointmentItem>> Appointments(outlook::MAPIFolder* folder) const;

    testing_support::TempHome m_home;
    testing_support::DavServerProcess m_server;
    std::unique_ptr<OtherClient> m_other;
    outlook::ComPtr<host::ApplicationObject> m_application;
};

// Turns the platform request objects into ones that refuse every request of the `methods` with `status`
// (the server answering so), and counts the requests sent.
struct RequestCounter {
    long sent = 0;
    long refused = 0;
    std::map<std::string, long> by_method;
};
HttpRequestFactory RefusingFactory(std::vector<std::string> methods, int status,
                                   std::shared_ptr<RequestCounter> counter);

// The text with folded lines joined again.
std::string Unfold(const std::string& text);

}  // namespace calendar_test
