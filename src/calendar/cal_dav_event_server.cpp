// The server side of CCalDavEvent: the calendar query, the upload and the deletion. It lives with the
// calendar synchronization because it needs the DAV transport, which the iCalendar mapping does not.
#include <iterator>
#include <optional>
#include <set>
#include <utility>

#include "dav/batched_multiget.h"
#include "dav/dav_server.h"
#include "dav/href_check.h"
#include "dav/xml_helpers.h"
#include "ical/cal_dav_event.h"
#include "ical/ical_date.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

constexpr std::uint32_t kErrorParseXml = 600;

// A calendar-query for every VEVENT object of a calendar, asking for `props`.
std::string QueryBody(const char* props) {
    return std::string(
               "<?xml version=\"1.0\" encoding=\"utf-8\" ?><C:calendar-query xmlns:D=\"DAV:\" "
               "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop>") +
           props +
           "</D:prop><C:filter><C:comp-filter name=\"VCALENDAR\"><C:comp-filter name=\"VEVENT\">"
           "</C:comp-filter></C:comp-filter></C:filter></C:calendar-query>";
}

constexpr const char* kMultigetHead =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?><C:calendar-multiget xmlns:D=\"DAV:\" "
    "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop><D:getetag/><C:calendar-data/></D:prop>";

std::string FormatForLog(const platform::DateTime& value) {
    return value.IsValid() ? value.Format("%m/%d/%Y %H:%M:%S") : std::string();
}

// The href of a response when it is usable; `seen` holds the hrefs taken before. Skipped with a log
// line: a response without href, hrefs that are not below the calendar or hold control characters or dot
// segments, and a second response for an href (the first is kept).
std::optional<std::string> UsableHref(const XmlNodePtr& response, const std::string& calendar_href,
                                      std::set<std::string>* seen) {
    if (!HasNode(response, "d:href")) {
        Log("CCalDavSynchronizer::GetCalendarEvents: Unable to get HREF for calendar.");
        return std::nullopt;
    }
    std::string href(platform::TrimWhitespace(SelectText(response, "d:href")));
    if (!IsUsableHref(href) || !IsBelowCollection(href, calendar_href)) {
        Log("CCalDavEvent::LoadFromServer: Skipped the event '%s'.", platform::SanitizeUtf8(href).c_str());
        return std::nullopt;
    }
    if (!seen->insert(href).second) {
        Log("CCalDavEvent::LoadFromServer: The event '%s' is listed twice; the first is kept.",
            platform::SanitizeUtf8(href).c_str());
        return std::nullopt;
    }
    return href;
}

// The event of one response (null reads as one without calendar data); false when it holds no VEVENT.
bool AddEvent(CDavServer* server, const std::string& href, const XmlNodePtr& response,
              std::vector<std::shared_ptr<CCalDavEvent>>* events) {
    auto event = std::make_shared<CCalDavEvent>(server, href);
    event->SetETag(
        std::string(platform::TrimWhitespace(SelectText(response, "d:propstat/d:prop/d:getetag"))));
    event->SetICal(SelectText(response, "d:propstat/d:prop/cal:calendar-data"));
    if (event->Lines().empty()) {
        Log("CCalDavEvent::LoadFromServer: The event '%s' has no readable VEVENT; it is left alone.",
            platform::SanitizeUtf8(href).c_str());
        return false;
    }
    Log("summary = %s dtstart = %s last-mod = %s",
        platform::SanitizeUtf8(event->GetPropertyValue("SUMMARY")).c_str(),
        FormatForLog(ical::ParseICalDate(event->GetPropertyValue("DTSTART"), ical::kTimedUtc)).c_str(),
        FormatForLog(ical::ParseICalDate(event->GetPropertyValue("LAST-MODIFIED"), ical::kAlwaysUtc))
            .c_str());
    events->push_back(std::move(event));
    return true;
}

}  // namespace

void CCalDavEvent::LoadFromServer(CDavServer* server, const std::string& calendar_href,
                                  std::vector<std::shared_ptr<CCalDavEvent>>* events,
                                  std::vector<std::string>* unreadable) {
    // Each event is taken as its response is read: the answer is never held as one tree.
    std::vector<std::shared_ptr<CCalDavEvent>> read;
    std::vector<std::string> unread;
    std::set<std::string> seen;
    bool parsed = false;
    try {
        // Without Depth, Xandikos answers for the collection alone (no events).
        const std::string answer = server->ProcessRequest(DavRequest{
            "REPORT", calendar_href, QueryBody("<D:getetag/><C:calendar-data/>"), {{"Depth", "1"}}});
        parsed = ForEachResponse(answer, [&](const XmlNodePtr& response) {
            const std::optional<std::string> href = UsableHref(response, calendar_href, &seen);
            if (href && !AddEvent(server, *href, response, &read))
                unread.push_back(*href);
        });
    } catch (const CAddinException& error) {
        if (!CanReadOneByOne(&error))
            throw;
    }
    if (parsed) {
        events->insert(events->end(), std::make_move_iterator(read.begin()),
                       std::make_move_iterator(read.end()));
        if (unreadable != nullptr)
            unreadable->insert(unreadable->end(), unread.begin(), unread.end());
        return;
    }
    // One object spoils the whole answer: the XML parser refuses it (a raw control character in its text,
    // which Radicale and Xandikos store and hand back) or the server cannot serialize it (5xx). List the
    // hrefs alone and fetch the objects in batches.
    Log("CCalDavEvent::LoadFromServer: Unable to read the events of %s; they are fetched in batches.",
        platform::SanitizeUtf8(calendar_href).c_str());
    std::vector<std::string> hrefs;
    for (Listed& listed : ListFromServer(server, calendar_href))
        hrefs.push_back(std::move(listed.href));
    unread = LoadListed(server, calendar_href, hrefs, events);
    if (unreadable != nullptr)
        unreadable->insert(unreadable->end(), unread.begin(), unread.end());
}

// Read one response at a time. A cut or garbled answer must not read as an empty calendar: that would
// delete every appointment.
std::vector<CCalDavEvent::Listed> CCalDavEvent::ListFromServer(CDavServer* server,
                                                               const std::string& calendar_href) {
    const std::string answer = server->ProcessRequest(
        DavRequest{"REPORT", calendar_href, QueryBody("<D:getetag/>"), {{"Depth", "1"}}});
    std::vector<CCalDavEvent::Listed> listing;
    std::set<std::string> seen;
    const bool parsed = ForEachResponse(answer, [&](const XmlNodePtr& response) {
        if (std::optional<std::string> href = UsableHref(response, calendar_href, &seen))
            listing.push_back(CCalDavEvent::Listed{
                std::move(*href),
                std::string(platform::TrimWhitespace(SelectText(response, "d:propstat/d:prop/d:getetag")))});
    });
    if (!parsed) {
        Log("CCalDavEvent::ListFromServer: Unable to parse the events of %s.",
            platform::SanitizeUtf8(calendar_href).c_str());
        throw CAddinException(kErrorParseXml);
    }
    return listing;
}

// RFC 4791 7.9.
std::vector<std::string> CCalDavEvent::LoadListed(CDavServer* server, const std::string& calendar_href,
                                                  const std::vector<std::string>& hrefs,
                                                  std::vector<std::shared_ptr<CCalDavEvent>>* events) {
    return BatchedMultiget(server, calendar_href, kMultigetHead, "</C:calendar-multiget>", hrefs,
                           [&](const std::string& href, const XmlNodePtr& response) {
                               return AddEvent(server, href, response, events);
                           });
}

std::shared_ptr<CCalDavEvent> CCalDavEvent::LoadOne(CDavServer* server, const std::string& calendar_href,
                                                    const std::string& href) {
    std::vector<std::shared_ptr<CCalDavEvent>> events;
    (void)LoadListed(server, calendar_href, {href}, &events);
    return events.empty() ? nullptr : events.front();
}

FailureKind CCalDavEvent::Save() {
    DavRequest request{"PUT", m_href, m_text, {}};
    if (!m_etag.empty())
        request.headers.emplace_back("If-Match", m_etag);
    else
        request.headers.emplace_back("If-None-Match", "*");
    try {
        std::string new_etag;
        m_server->ProcessRequest(request, &new_etag);
        m_etag = std::move(new_etag);
        return FailureKind::kNone;
    } catch (CAddinException& error) {
        Log("CCalDavEvent::Save: Unable to upload event '%s'. Code: %u. %s",
            platform::SanitizeUtf8(m_href).c_str(), error.GetCode(), error.GetMessage().c_str());
        // A failure that is not the transport's still failed.
        return error.GetKind() == FailureKind::kNone ? FailureKind::kBadStatus : error.GetKind();
    }
}

bool CCalDavEvent::Delete() {
    try {
        m_server->ProcessRequest(DavRequest{"DELETE", m_href, "", {}});
        return true;
    } catch (CAddinException& error) {
        Log("Unable to delete event '%s'.", platform::SanitizeUtf8(m_href).c_str());
        // Only an event the server no longer has counts as deleted; 403 is a refusal.
        return error.GetKind() == FailureKind::kNotFound || error.GetKind() == FailureKind::kGone;
    }
}
