#include "calendar/cal_dav_synchronizer.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <tuple>

#include "calendar/calendar_bidirectional_sync_strategy.h"
#include "calendar/calendar_master_server_sync_strategy.h"
#include "calendar/calendar_sync_unit.h"
#include "calendar/event_sync_unit.h"
#include "calendar/internal/settled_pairs.h"
#include "calendar/internal/unrecorded_events.h"
#include "dav/xml_helpers.h"
#include "index/change_detection.h"
#include "index/index_store.h"
#include "outlook/namespace.h"
#include "platform/message_box.h"
#include "platform/status_bar.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "settings/messages.h"
#include "settings/partial_failure.h"
#include "ui/sync_exists_warning_dialog.h"

namespace {

std::shared_ptr<CCalDavCalendar> FindCalendar(const std::vector<std::shared_ptr<CCalDavCalendar>>& calendars,
                                              const std::string& href) {
    for (const auto& calendar : calendars) {
        if (platform::EqualsIgnoreAsciiCase(calendar->GetHref(), href))
            return calendar;
    }
    return nullptr;
}

// A server calendar of that display name that no folder is paired with yet.
std::shared_ptr<CCalDavCalendar> FindUnpairedByName(
    const std::vector<std::shared_ptr<CCalDavCalendar>>& calendars, const std::string& folder_name,
    const SyncIndex& index) {
    for (const auto& calendar : calendars) {
        if (calendar->GetDisplayName() == folder_name && !index.FindByServerId(calendar->GetHref()).IsFound())
            return calendar;
    }
    return nullptr;
}

// "calendar" of "/alice/calendar/".
std::string LastSegment(const std::string& href) {
    const std::size_t end = href.find_last_not_of('/');
    if (end == std::string::npos)
        return std::string();
    const std::size_t slash = href.rfind('/', end);
    const std::size_t first = slash == std::string::npos ? 0 : slash + 1;
    return href.substr(first, end + 1 - first);
}

constexpr const char* kHomeSetBody =
    "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\"><d:prop><x:calendar-home-set "
    "xmlns:x=\"urn:ietf:params:xml:ns:caldav\"/></d:prop></d:propfind>";

// The message with its "%s" replaced by `value`.
std::string FormatMessageWith(unsigned id, const std::string& value) {
    std::string text = LoadMessage(id);
    const std::size_t place = text.find("%s");
    if (place != std::string::npos)
        text.replace(place, 2, value);
    return text;
}

[[noreturn]] void ThrowCanceled() {
    Log("CCalDavSynchronizer::Synchronize: Canceled by the user.");
    throw CAddinException(kErrorCanceled, LoadMessage(IDS_CANCELED_BY_USER));
}

// Yes (the first button) deletes, No (the default) restores, Cancel and anything else cancel.
int AskAboutLostCalendar(unsigned question_id, const std::string& name, unsigned restore_caption_id) {
    CSyncExistsWarningDialog dialog(FormatMessageWith(question_id, name), IDS_BUTTON_DELETE,
                                    restore_caption_id, IDS_BUTTON_CANCEL);
    const int answer = dialog.DoModal();
    if (answer != platform::IDYES && answer != platform::IDNO)
        ThrowCanceled();
    return answer;
}

bool SaveIndex(SyncIndex& index) {
    if (index.Save())
        return true;
    Log("CCalDavSynchronizer::Synchronize: Unable to save %s.", index.Path().c_str());
    return false;
}

// True when the folder is as its index recorded it after the last run: every appointment recorded with
// the modification time it has now, and no record without its appointment.
// Reads only each appointment's key and modification time: a calendar left as it was is not decoded.
bool IsFolderAsRecorded(const COutlookCalendar& calendar) {
    std::vector<COutlookCalendar::Stamp> stamps;
    if (!calendar.ReadStamps(&stamps))
        return false;
    const SyncIndex index = OpenCalendarIndex(calendar.GetEntryID());
    if (index.Size() != stamps.size())
        return false;
    std::set<std::string> seen;
    for (const COutlookCalendar::Stamp& stamp : stamps) {
        const std::string key = platform::AsciiLower(stamp.globalAppointmentId);
        if (key.empty() || !seen.insert(key).second)
            return false;
        if (!IsUnchangedSinceRecorded(index.FindByOutlookId(key), stamp.lastModified))
            return false;
    }
    return true;
}

// True when the folder's index records every event the calendar listed, with the ETag it listed, and
// nothing else: a run may leave the sides apart on purpose (an appointment deleted from a read-only
// calendar comes back only at the run after).
bool IsServerAsRecorded(const CCalDavCalendar& calendar, const std::string& folder_id) {
    const SyncIndex index = OpenCalendarIndex(folder_id);
    if (index.Size() != calendar.GetListing().size())
        return false;
    for (const CCalDavEvent::Listed& listed : calendar.GetListing()) {
        if (!IsServerUnchangedSinceRecorded(index.FindByServerId(listed.href), listed.etag))
            return false;
    }
    return true;
}

// Reads both sides of a calendar whose tag changed. With pairs recorded, only what may need handling is
// read: the server's events by a listing of ETags and multigets, and the appointments of pairs that are
// not as recorded.
void ReadBothSides(CCalDavCalendar& dav_calendar, COutlookCalendar& outlook_calendar) {
    const SyncIndex index = OpenCalendarIndex(outlook_calendar.GetEntryID());
    if (index.Size() == 0) {
        dav_calendar.LoadEvents();
        return;
    }
    dav_calendar.ListEvents();
    const calendar::SettledPairs pairs(index, dav_calendar.GetListing());
    const std::set<std::string> settled = outlook_calendar.LoadEventsExcept(
        [&](const COutlookCalendar::Stamp& stamp) { return pairs.IsSettled(stamp); });
    dav_calendar.ReadListedEvents(pairs.HrefsToRead(settled));
}

// The collection tag a calendar had when a run left both sides equal, kept as the ETag of its pair
// record (any other write of the record drops it); "" forgets it.
void RecordCollectionTag(SyncIndex& index, const std::string& href, const std::string& folder_id,
                         const std::string& ctag) {
    IndexRecord record = index.FindByOutlookId(folder_id);
    if (!record.IsFound() || !platform::EqualsIgnoreAsciiCase(record.ServerId, href) ||
        record.serverETag == ctag)
        return;
    record.serverETag = ctag;
    index.Add(std::move(record));
    SaveIndex(index);
}

// Pairs reach the journal in groups, each after one flush of the store. A run that ends before a group
// is written leaves appointments without records, and the next run pairs them again by identity.
constexpr int kPairsPerJournalWrite = 32;

void JournalIndex(SyncIndex& index) {
    if (!index.AppendChangesToJournal())
        Log("CCalDavSynchronizer::Synchronize: Unable to record a pair of %s.", index.Path().c_str());
}

}  // namespace

CCalDavSynchronizer::CCalDavSynchronizer(const std::string& server_url, const std::string& user,
                                         const std::string& password,
                                         outlook::ComPtr<outlook::Application> application,
                                         ICalendarReadonlyGuards* guards)
    : CCalDavSynchronizer(server_url, user, password, std::move(application), guards, HttpRequestFactory()) {}

CCalDavSynchronizer::CCalDavSynchronizer(const std::string& server_url, const std::string& user,
                                         const std::string& password,
                                         outlook::ComPtr<outlook::Application> application,
                                         ICalendarReadonlyGuards* guards, HttpRequestFactory factory)
    : m_application(std::move(application)),
      m_guards(guards),
      m_server(server_url, user, password, std::move(factory)),
      m_user(user) {
    GetHomeSet();
}

void CCalDavSynchronizer::GetHomeSet() {
    const std::string principal = m_server.GetCurrentUserPrincipal();
    if (principal.empty()) {
        Log("CCalDavSynchronizer::GetHomeSet: The server names no principal.");
        throw CAddinException(kErrorNotDavServer);
    }
    const DavRequest request{"PROPFIND", principal, kHomeSetBody, {{"Depth", "0"}}};
    const XmlNodePtr document = LoadXml(m_server.ProcessRequest(request));
    const std::string home(platform::TrimWhitespace(
        SelectText(document, "/d:multistatus/d:response/d:propstat/d:prop/cal:calendar-home-set/d:href")));
    if (home.empty()) {
        Log("CCalDavSynchronizer::GetHomeSet: The principal %s names no calendar home set.",
            platform::SanitizeUtf8(principal).c_str());
        throw CAddinException(kErrorNotDavServer);
    }
    m_home_set.clear();
    for (const char c : home) {
        if (c == '@')
            m_home_set += "%40";
        else
            m_home_set += c;
    }
}

std::vector<std::shared_ptr<CCalDavCalendar>> CCalDavSynchronizer::GetCalendars() {
    std::vector<std::shared_ptr<CCalDavCalendar>> calendars;
    CCalDavCalendar::GetCalendarsFromHomeSet(&m_server, m_home_set, &calendars);
    return calendars;
}

void CCalDavSynchronizer::ValidateIndexes(const std::shared_ptr<COutlookCalendar>& root,
                                          const std::vector<std::shared_ptr<CCalDavCalendar>>& calendars) {
    const SyncIndex index = OpenCalendarsIndex();
    const IndexRecord record = index.FindByOutlookId(root->GetEntryID());
    if (!record.IsFound())
        return;
    // A server that lists nothing for a moment must not make the next run pair and copy everything anew.
    if (calendars.empty()) {
        Log("CCalDavSynchronizer::ValidateIndexes: The server lists no calendar; the indexes are kept.");
        throw CAddinException(kErrorSubcalendars);
    }
    for (const auto& calendar : calendars) {
        if (calendar->GetHref() == record.ServerId)
            return;
    }
    Log("CCalDavSynchronizer::ValidateIndexes: %s is not on the server; every index is discarded.",
        platform::SanitizeUtf8(record.ServerId).c_str());
    DeleteAllIndexes();
}

std::shared_ptr<CCalDavCalendar> CCalDavSynchronizer::ChooseDefaultCalendar(
    const std::vector<std::shared_ptr<CCalDavCalendar>>& calendars) {
    // Servers list a home set in no fixed order (Radicale: the file system's), so the rank decides:
    // the user's own writable calendars first, among them the one named as servers name the default,
    // then the least href.
    const auto rank = [](const std::shared_ptr<CCalDavCalendar>& calendar) {
        const bool own = !calendar->IsReadOnly() && !calendar->IsShared();
        const std::string last = platform::AsciiLower(LastSegment(calendar->GetHref()));
        const bool default_name = last == "calendar" || last == "default" || last == "personal";
        return std::make_tuple(!own, !default_name, calendar->GetHref());
    };
    const auto best = std::min_element(calendars.begin(), calendars.end(),
                                       [&](const auto& a, const auto& b) { return rank(a) < rank(b); });
    return best == calendars.end() ? nullptr : *best;
}

void CCalDavSynchronizer::Synchronize(SyncResultList* results) {
    outlook::ComPtr<outlook::NameSpace> session;
    outlook::ComPtr<outlook::MAPIFolder> folder;
    if (!m_application || FAILED(m_application->get_Session(&session)) || !session ||
        FAILED(session->Logon("", "", false, false)) ||
        FAILED(session->GetDefaultFolder(outlook::olFolderCalendar, &folder)) || !folder) {
        Log("CCalDavSynchronizer::Synchronize: No default Calendar folder.");
        return;
    }
    const std::shared_ptr<COutlookCalendar> root = COutlookCalendar::Create(folder);
    const std::vector<std::shared_ptr<COutlookCalendar>> outlook_calendars = root->EnumerateCalendars();
    const std::vector<std::shared_ptr<CCalDavCalendar>> dav_calendars = GetCalendars();
    ValidateIndexes(root, dav_calendars);
    SyncIndex index = OpenCalendarsIndex();
    // The pairs as the last run left them, with their collection tags: this run rewrites the records.
    const SyncIndex last_pairs = index;

    const std::string root_id = root->GetEntryID();
    if (!index.FindByOutlookId(root_id).IsFound()) {
        // A calendar made earlier for one of the sub-folders (named by its EntryID) is never the default.
        std::vector<std::shared_ptr<CCalDavCalendar>> candidates;
        for (const auto& dav_calendar : dav_calendars) {
            const bool owned_by_sub_folder = std::any_of(
                outlook_calendars.begin() + 1, outlook_calendars.end(), [&](const auto& calendar) {
                    return platform::EqualsIgnoreAsciiCase(dav_calendar->GetHref(),
                                                           m_home_set + calendar->GetEntryID() + "/");
                });
            if (!owned_by_sub_folder)
                candidates.push_back(dav_calendar);
        }
        if (const auto chosen = ChooseDefaultCalendar(candidates)) {
            index.Add(chosen->GetHref(), root_id, platform::DateTime::NowLocal());
            SaveIndex(index);
        }
    }

    // Outlook pass: every folder forms a unit; unpaired folders of the user's own get a server calendar.
    std::vector<CalendarSyncUnit> units;
    std::map<std::string, std::size_t> by_server_id;
    for (const auto& calendar : outlook_calendars) {
        units.push_back(CalendarSyncUnit{calendar, nullptr});
        const std::string id = calendar->GetEntryID();
        const IndexRecord record = index.FindByOutlookId(id);
        if (record.IsFound()) {
            by_server_id.emplace(record.ServerId, units.size() - 1);
        } else if (const auto own = FindCalendar(dav_calendars, m_home_set + id + "/")) {
            // The server calendar made for this folder earlier is still there (the index was lost):
            // pair with it again instead of failing to create it a second time.
            Log("CCalDavSynchronizer::Synchronize: %s pairs again with its calendar %s.", id.c_str(),
                platform::SanitizeUtf8(own->GetHref()).c_str());
            index.Add(own->GetHref(), id, platform::DateTime::NowLocal());
            SaveIndex(index);
            by_server_id.emplace(own->GetHref(), units.size() - 1);
        } else if (const auto named = FindUnpairedByName(dav_calendars, calendar->GetName(), index);
                   named && calendar != outlook_calendars.front()) {
            // Folders take their calendar's display name at every run: an unpaired folder and an unpaired
            // calendar of the same name are one pair whose record was lost (or never written).
            Log("CCalDavSynchronizer::Synchronize: %s pairs again with the calendar %s of the same name.",
                id.c_str(), platform::SanitizeUtf8(named->GetHref()).c_str());
            index.Add(named->GetHref(), id, platform::DateTime::NowLocal());
            SaveIndex(index);
            by_server_id.emplace(named->GetHref(), units.size() - 1);
        } else if (!calendar->IsShared()) {
            units.back().davCalendar = CCalDavCalendar::CreateCalendar(
                &m_server, m_home_set, id, calendar->GetName(), calendar->GetDescription());
            index.RemoveByOutlookId(id);
            index.Add(units.back().davCalendar->GetHref(), id, platform::DateTime::NowLocal());
            SaveIndex(index);
        }
    }

    // Server pass: calendars without a folder get one when they were never paired or are shared.
    for (const auto& calendar : dav_calendars) {
        std::size_t place = 0;
        const auto found = by_server_id.find(calendar->GetHref());
        if (found != by_server_id.end() && !units[found->second].davCalendar) {
            place = found->second;
        } else {
            const IndexRecord record = index.FindByServerId(calendar->GetHref());
            units.push_back(CalendarSyncUnit{});
            place = units.size() - 1;
            if (!record.IsFound() || calendar->IsShared())
                units[place].outlookCalendar = root->CreateCalendar(
                    calendar->GetDisplayName(), calendar->GetDescription(), calendar->IsShared());
        }
        CalendarSyncUnit& unit = units[place];
        unit.davCalendar = calendar;
        if (unit.outlookCalendar) {
            index.RemoveByServerId(calendar->GetHref());
            index.Add(calendar->GetHref(), unit.outlookCalendar->GetEntryID(),
                      platform::DateTime::NowLocal());
            SaveIndex(index);
        }
    }

    for (CalendarSyncUnit& unit : units) {
        if (!unit.davCalendar) {
            const std::string id = unit.outlookCalendar->GetEntryID();
            if (AskAboutLostCalendar(IDS_CALENDAR_REMOVED_ON_SERVER, unit.outlookCalendar->GetName(),
                                     IDS_BUTTON_RESTORE_ON_SERVER) == platform::IDNO) {
                unit.davCalendar = CCalDavCalendar::CreateCalendar(&m_server, m_home_set, id,
                                                                   unit.outlookCalendar->GetName(),
                                                                   unit.outlookCalendar->GetDescription());
                index.RemoveByOutlookId(id);
                index.Add(unit.davCalendar->GetHref(), id, platform::DateTime::NowLocal());
                SaveIndex(index);
                // Restoring means uploading every appointment again: with the old event records the
                // empty new calendar would read as emptied on the server.
                DeleteCalendarIndex(id);
            } else {
                if (m_guards != nullptr)
                    m_guards->SetFolderReadonly(id, false);
                (void)unit.outlookCalendar->Delete();
                index.RemoveByOutlookId(id);
                SaveIndex(index);
                continue;
            }
        } else if (!unit.outlookCalendar) {
            const std::shared_ptr<CCalDavCalendar>& calendar = unit.davCalendar;
            // A folder that could not be read is not one the user deleted.
            if (root->HasUnreadFolders()) {
                Log("CCalDavSynchronizer::Synchronize: Outlook folders could not be read; %s waits for the "
                    "next run.",
                    platform::SanitizeUtf8(calendar->GetHref()).c_str());
                continue;
            }
            if (AskAboutLostCalendar(IDS_CALENDAR_REMOVED_IN_OUTLOOK, calendar->GetDisplayName(),
                                     IDS_BUTTON_RESTORE_IN_OUTLOOK) == platform::IDNO) {
                unit.outlookCalendar = root->CreateCalendar(calendar->GetDisplayName(),
                                                            calendar->GetDescription(), calendar->IsShared());
                index.RemoveByServerId(calendar->GetHref());
                index.Add(calendar->GetHref(), unit.outlookCalendar->GetEntryID(),
                          platform::DateTime::NowLocal());
                SaveIndex(index);
            } else {
                calendar->Delete();
                index.RemoveByServerId(calendar->GetHref());
                SaveIndex(index);
                continue;
            }
        }

        const std::shared_ptr<COutlookCalendar>& outlook_calendar = unit.outlookCalendar;
        const std::shared_ptr<CCalDavCalendar>& dav_calendar = unit.davCalendar;
        const std::string id = outlook_calendar->GetEntryID();
        // A server changes the tag with every event, so an equal tag and a folder as recorded leave
        // nothing to read or write.
        const std::string& ctag = dav_calendar->GetCTag();
        const IndexRecord pair = last_pairs.FindByOutlookId(id);
        const bool unchanged = !ctag.empty() && pair.serverETag == ctag &&
                               platform::EqualsIgnoreAsciiCase(pair.ServerId, dav_calendar->GetHref()) &&
                               IsFolderAsRecorded(*outlook_calendar);
        if (!unchanged)
            ReadBothSides(*dav_calendar, *outlook_calendar);
        // A calendar whose events could not be read is not empty.
        if (!unchanged && outlook_calendar->GetEventCount() > 0 && dav_calendar->GetListing().empty()) {
            const SyncIndex events = OpenCalendarIndex(id);
            for (std::size_t i = 0; i < outlook_calendar->GetEventCount(); ++i) {
                const std::string key = outlook_calendar->GetEvent(i)->GetGlobalAppointmentID();
                if (key.empty() || !events.FindByOutlookId(key).IsFound())
                    continue;
                const int answer = platform::ShowMessageBox(
                    FormatMessageWith(IDS_CALENDAR_EMPTY_ON_SERVER, outlook_calendar->GetName()),
                    LoadMessage(IDS_WARNING),
                    platform::MB_YESNOCANCEL | platform::MB_ICONQUESTION | platform::MB_DEFBUTTON2);
                if (answer == platform::IDNO) {
                    DeleteCalendarIndex(id);
                    index.Add(dav_calendar->GetHref(), id, platform::DateTime::NowLocal());
                    SaveIndex(index);
                } else if (answer != platform::IDYES) {
                    ThrowCanceled();
                }
                break;
            }
        }
        const std::string display_name = dav_calendar->GetDisplayName();
        if (!display_name.empty() && outlook_calendar->GetName() != display_name)
            outlook_calendar->SetName(display_name);
        if (outlook_calendar->GetDescription() != dav_calendar->GetDescription())
            outlook_calendar->SetDescription(dav_calendar->GetDescription());
        if (m_guards != nullptr)
            m_guards->SetFolderReadonly(id, dav_calendar->IsReadOnly());
        SyncCounters counters;
        if (unchanged) {
            Log("CCalDavSynchronizer::Synchronize: %s is unchanged on both sides.",
                platform::SanitizeUtf8(dav_calendar->GetHref()).c_str());
            RecordCollectionTag(index, dav_calendar->GetHref(), id, ctag);
        } else {
            const std::uint64_t changes_sent = m_server.GetChangesSent();
            const int failed_items = m_failed_items;
            counters = SynchronizeCalendars(dav_calendar, outlook_calendar);
            // Server events that could not be read are not synchronized, whatever became of the rest.
            const int unreadable = static_cast<int>(dav_calendar->GetUnreadableCount());
            m_failed_items += unreadable;
            counters.failures += unreadable;
            // A tag read before this run's own writes would hide another client's change made among them.
            const bool equal = m_server.GetChangesSent() == changes_sent && m_failed_items == failed_items &&
                               IsServerAsRecorded(*dav_calendar, id);
            RecordCollectionTag(index, dav_calendar->GetHref(), id, equal ? ctag : std::string());
        }
        results->push_back(
            SyncResultEntry{id, dav_calendar->IsReadOnly(), outlook_calendar->GetName(), counters});
    }
    // Everything else was done; the run still must not read as a success.
    if (m_failed_items > 0)
        throw CAddinException(kErrorUnknown, PartialFailureMessage(m_failed_items, "calendar item(s)"));
}

SyncCounters CCalDavSynchronizer::SynchronizeCalendars(
    const std::shared_ptr<CCalDavCalendar>& dav_calendar,
    const std::shared_ptr<COutlookCalendar>& outlook_calendar) {
    SyncIndex index = OpenCalendarIndex(outlook_calendar->GetEntryID());

    std::vector<EventSyncUnit> units;
    std::map<std::string, std::size_t> by_outlook_id;
    calendar::UnrecordedEvents unrecorded;
    for (std::size_t i = 0; i < dav_calendar->GetEventCount(); ++i) {
        EventSyncUnit unit;
        unit.davEvent = dav_calendar->GetEvent(i);
        const IndexRecord record = index.FindByServerId(unit.davEvent->GetHref());
        unit.ServerId = record.ServerId;
        unit.OutlookId = record.OutlookId;
        unit.synchDate = record.synchDate;
        unit.recordedETag = record.serverETag;
        unit.recordedOutlookModified = record.outlookLastModified;
        units.push_back(std::move(unit));
        if (record.IsFound() && !record.OutlookId.empty())
            by_outlook_id.emplace(record.OutlookId, units.size() - 1);
        else if (!record.IsFound())
            unrecorded.Add(*units.back().davEvent, units.size() - 1);
    }
    for (std::size_t i = 0; i < outlook_calendar->GetEventCount(); ++i) {
        const std::shared_ptr<COutlookEvent> appointment = outlook_calendar->GetEvent(i);
        const std::string key = appointment->GetGlobalAppointmentID();
        if (key.empty()) {
            Log("CCalDavSynchronizer::SynchronizeCalendars: An appointment without GlobalAppointmentID is "
                "skipped.");
            continue;
        }
        const auto found = by_outlook_id.find(key);
        if (found != by_outlook_id.end() && !units[found->second].outlookEvent) {
            units[found->second].outlookEvent = appointment;
            continue;
        }
        const IndexRecord record = index.FindByOutlookId(key);
        if (!record.IsFound()) {
            const std::optional<std::size_t> twin =
                unrecorded.Find(calendar::ReadIdentity(*appointment),
                                [&](std::size_t place) { return !units[place].outlookEvent; });
            if (twin) {
                // The server event this appointment was made from or uploaded as, whose record was lost
                // (a run ended before writing it): compare the two instead of copying each to the other
                // side a second time. The zero date makes both count as changed.
                EventSyncUnit& unit = units[*twin];
                Log("CCalDavSynchronizer::SynchronizeCalendars: %s pairs again with %s.", key.c_str(),
                    platform::SanitizeUtf8(unit.davEvent->GetHref()).c_str());
                unit.outlookEvent = appointment;
                unit.ServerId = unit.davEvent->GetHref();
                unit.OutlookId = key;
                unit.synchDate = platform::DateTime::FromValue(0.0);
                unit.pairedByIdentity = true;
                continue;
            }
        }
        EventSyncUnit unit;
        unit.outlookEvent = appointment;
        unit.ServerId = record.ServerId;
        unit.OutlookId = record.OutlookId;
        unit.synchDate = record.synchDate;
        unit.recordedETag = record.serverETag;
        unit.recordedOutlookModified = record.outlookLastModified;
        units.push_back(std::move(unit));
    }

    std::unique_ptr<ICalendarsSyncStrategy> strategy;
    if (dav_calendar->IsReadOnly())
        strategy = std::make_unique<CCalendarMasterServerSyncStrategy>(m_user, m_guards);
    else
        strategy = std::make_unique<CCalendarBidirectionalSyncStrategy>(m_user, m_guards);
    strategy->Initialize(outlook_calendar, dav_calendar);

    // A run canceled or failed half way still writes the pairs it made.
    struct JournalAtExit {
        SyncIndex& index;
        ~JournalAtExit() { JournalIndex(index); }
    } journal_at_exit{index};
    int unjournaled = 0;
    const auto journal = [&] {
        if (++unjournaled < kPairsPerJournalWrite)
            return;
        JournalIndex(index);
        unjournaled = 0;
    };

    int failures = 0;
    const std::string progress = "Calendar \"" + outlook_calendar->GetName() + "\"";
    const int total = static_cast<int>(units.size());
    int done = 0;
    for (EventSyncUnit& unit : units) {
        // Nothing reads a handled appointment again: a first sync holds only the one it is making.
        struct DropAppointment {
            EventSyncUnit& unit;
            ~DropAppointment() { unit.outlookEvent.reset(); }
        } drop_appointment{unit};
        platform::SetStatusBarProgress(progress, done++, total);
        const bool recorded = !unit.ServerId.empty() || !unit.OutlookId.empty();
        if (!recorded) {
            if (unit.davEvent)
                strategy->OnNewOnServer(unit);
            else if (unit.outlookEvent)
                strategy->OnNewInOutlook(unit);
        } else if (unit.davEvent && unit.outlookEvent) {
            strategy->OnSynchronize(unit);
        } else if (unit.davEvent) {
            if (outlook_calendar->HasUnreadItems()) {
                Log("CCalDavSynchronizer::SynchronizeCalendars: Appointments could not be read; %s is kept.",
                    platform::SanitizeUtf8(unit.ServerId).c_str());
                continue;
            }
            strategy->OnDeleteFromOutlook(unit);
            if (unit.keepRecord) {
                ++failures;
                continue;
            }
            index.RemoveByOutlookId(unit.OutlookId);
            unit.ServerId.clear();
            unit.OutlookId.clear();
            journal();
        } else if (unit.outlookEvent) {
            // An event the server still has but that could not be read this run is not deleted here.
            if (dav_calendar->IsUnreadable(unit.ServerId)) {
                Log("CCalDavSynchronizer::SynchronizeCalendars: %s is unreadable; its appointment is kept.",
                    platform::SanitizeUtf8(unit.ServerId).c_str());
                continue;
            }
            strategy->OnDeleteFromServer(unit);
            if (unit.keepRecord) {
                ++failures;
                continue;
            }
            index.RemoveByServerId(unit.ServerId);
            unit.ServerId.clear();
            unit.OutlookId.clear();
            journal();
        }
        if (unit.keepRecord)
            ++failures;
        if (unit.keepRecord || (unit.ServerId.empty() && unit.OutlookId.empty()))
            continue;
        index.RemoveByOutlookId(unit.OutlookId);
        // Both sides as they are now, after this run's writes, so that only a later edit counts as one.
        IndexRecord record{unit.ServerId, unit.OutlookId, platform::DateTime::NowLocal()};
        if (unit.davEvent)
            record.serverETag = unit.davEvent->GetETag();
        if (unit.outlookEvent)
            record.outlookLastModified =
                OutlookModificationToKeep(unit.outlookEvent->GetLastModificationTime());
        index.Add(std::move(record));
        journal();
    }
    platform::SetStatusBarProgress(progress, total, total);
    // Unsaved pairs are paired again by identity next run, but this run did not do everything.
    if (!SaveIndex(index))
        ++failures;
    m_failed_items += failures;
    SyncCounters counters = strategy->Counters();
    counters.failures = failures;
    return counters;
}
