// The server side of CCalDavEvent: the calendar query, the upload and the deletion. It lives with the
// calendar synchronization because it needs the DAV transport, which the iCalendar mapping does not.
#include <set>

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

constexpr const char* kQueryBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\" ?><C:calendar-query xmlns:D=\"DAV:\" "
    "xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><D:prop><D:getetag/><C:calendar-data/></D:prop><C:filter>"
    "<C:comp-filter name=\"VCALENDAR\"><C:comp-filter name=\"VEVENT\"></C:comp-filter></C:comp-filter>"
    "</C:filter></C:calendar-query>";

constexpr const char* kProbeBody =
    "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/></d:prop></d:propfind>";

std::string FormatForLog(const platform::DateTime& value) {
    return value.IsValid() ? value.Format("%m/%d/%Y %H:%M:%S") : std::string();
}

// 410 comes as a bad status with its number in the text.
bool IsGoneStatus(CAddinException& error) {
    const std::string text = error.GetMessage();
    return error.GetCode() == kErrorBadStatus && text.size() >= 3 &&
           text.compare(text.size() - 3, 3, "410") == 0;
}

}  // namespace

void CCalDavEvent::LoadFromServer(CDavServer* server, const std::string& calendar_href,
                                  std::vector<std::shared_ptr<CCalDavEvent>>* events,
                                  std::vector<std::string>* unreadable) {
    // Without Depth, Xandikos answers for the collection alone (no events).
    const DavRequest request{"REPORT", calendar_href, kQueryBody, {{"Depth", "1"}}};
    const XmlNodePtr document = LoadXml(server->ProcessRequest(request));
    // A cut or garbled answer must not read as an empty calendar: that would delete every appointment.
    if (!HasNode(document, "/d:multistatus")) {
        Log("CCalDavEvent::LoadFromServer: Unable to parse the events of %s.",
            platform::SanitizeUtf8(calendar_href).c_str());
        throw CAddinException(kErrorParseXml);
    }
    std::set<std::string> seen;
    for (CXmlNodeIterator it = SelectNodes(document, "/d:multistatus/d:response"); !it.IsEnd(); it.Next()) {
        const XmlNodePtr& response = it.Current();
        if (!HasNode(response, "d:href")) {
            Log("CCalDavSynchronizer::GetCalendarEvents: Unable to get HREF for calendar.");
            continue;
        }
        const std::string href(platform::TrimWhitespace(SelectText(response, "d:href")));
        if (!IsUsableHref(href) || !IsBelowCollection(href, calendar_href)) {
            Log("CCalDavEvent::LoadFromServer: Skipped the event '%s'.",
                platform::SanitizeUtf8(href).c_str());
            continue;
        }
        if (!seen.insert(href).second) {
            Log("CCalDavEvent::LoadFromServer: The event '%s' is listed twice; the first is kept.",
                platform::SanitizeUtf8(href).c_str());
            continue;
        }
        auto event = std::make_shared<CCalDavEvent>(server, href);
        event->SetETag(
            std::string(platform::TrimWhitespace(SelectText(response, "d:propstat/d:prop/d:getetag"))));
        event->SetICal(SelectText(response, "d:propstat/d:prop/cal:calendar-data"));
        if (event->Lines().empty()) {
            Log("CCalDavEvent::LoadFromServer: The event '%s' has no readable VEVENT; it is left alone.",
                platform::SanitizeUtf8(href).c_str());
            if (unreadable != nullptr)
                unreadable->push_back(href);
            continue;
        }
        Log("summary = %s dtstart = %s last-mod = %s",
            platform::SanitizeUtf8(event->GetPropertyValue("SUMMARY")).c_str(),
            FormatForLog(ical::ParseICalDate(event->GetPropertyValue("DTSTART"), ical::kTimedUtc)).c_str(),
            FormatForLog(ical::ParseICalDate(event->GetPropertyValue("LAST-MODIFIED"), ical::kAlwaysUtc))
                .c_str());
        events->push_back(std::move(event));
    }
}

bool CCalDavEvent::Save() {
    DavRequest request{"PUT", m_href, m_text, {}};
    if (!m_etag.empty())
        request.headers.emplace_back("If-Match", m_etag);
    else
        request.headers.emplace_back("If-None-Match", "*");
    try {
        std::string new_etag;
        m_server->ProcessRequest(request, &new_etag);
        m_etag = std::move(new_etag);
        return true;
    } catch (CAddinException& error) {
        Log("CCalDavEvent::Save: Unable to upload event '%s'. Code: %u. %s",
            platform::SanitizeUtf8(m_href).c_str(), error.GetCode(), error.GetMessage().c_str());
        return false;
    }
}

bool CCalDavEvent::Delete() {
    try {
        m_server->ProcessRequest(DavRequest{"DELETE", m_href, "", {}});
        return true;
    } catch (CAddinException& error) {
        Log("Unable to delete event '%s'.", platform::SanitizeUtf8(m_href).c_str());
        if (IsGoneStatus(error))
            return true;
        if (error.GetCode() != kErrorForbiddenOrNotFound)
            return false;
    }
    // 403 and 404 share a code: only an event the server no longer has counts as deleted. Xandikos
    // answers a PROPFIND on a missing path with 207 and a 404 inside.
    try {
        const XmlNodePtr answer =
            LoadXml(m_server->ProcessRequest(DavRequest{"PROPFIND", m_href, kProbeBody, {{"Depth", "0"}}}));
        return HasNode(answer, "/d:multistatus") &&
               !HasNode(answer, "/d:multistatus/d:response/d:propstat[contains(d:status, ' 200')]");
    } catch (CAddinException& error) {
        return error.GetCode() == kErrorForbiddenOrNotFound || IsGoneStatus(error);
    }
}
