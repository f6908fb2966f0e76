#include "calendar/cal_dav_calendar.h"

#include <algorithm>

#include "dav/dav_server.h"
#include "dav/href_check.h"
#include "dav/xml_helpers.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

constexpr std::uint32_t kErrorParseXml = 600;

constexpr const char* kListBody =
    "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype /><d:displayname /><d:owner "
    "/>"
    "<d:current-user-privilege-set/><x:getctag xmlns:x=\"http://calendarserver.org/ns/\" />"
    "<x:calendar-description xmlns:x=\"urn:ietf:params:xml:ns:caldav\"/>"
    "<x:calendar-color xmlns:x=\"http://apple.com/ns/ical/\" />"
    "<x:calendar-order xmlns:x=\"http://apple.com/ns/ical/\" /></d:prop></d:propfind>";

// RFC 3744: DAV:all aggregates DAV:write, and Xandikos reports only DAV:all. Only a privilege set the
// server actually gave (status 200) can make a calendar read-only: a server that does not report one
// still refuses what the user may not write, and reading its calendars as read-only would delete the
// user's own appointments.
bool PrivilegesDenyWrite(const XmlNodePtr& response) {
    const std::string set = "d:propstat[contains(d:status, ' 200')]/d:prop/d:current-user-privilege-set";
    if (!HasNode(response, set))
        return false;
    return !HasNode(response, set + "/d:privilege/d:write") && !HasNode(response, set + "/d:privilege/d:all");
}

}  // namespace

CCalDavCalendar::CCalDavCalendar(std::string href, bool read_only, bool shared, CDavServer* server)
    : m_server(server), m_href(std::move(href)), m_read_only(read_only), m_shared(shared) {}

void CCalDavCalendar::LoadEvents() {
    m_events.clear();
    m_unreadable.clear();
    m_listing.clear();
    CCalDavEvent::LoadFromServer(m_server, m_href, &m_events, &m_unreadable);
    for (const std::shared_ptr<CCalDavEvent>& event : m_events)
        m_listing.push_back(CCalDavEvent::Listed{event->GetHref(), event->GetETag()});
    for (const std::string& href : m_unreadable)
        m_listing.push_back(CCalDavEvent::Listed{href, std::string()});
}

void CCalDavCalendar::ListEvents() {
    m_events.clear();
    m_unreadable.clear();
    m_listing = CCalDavEvent::ListFromServer(m_server, m_href);
}

void CCalDavCalendar::ReadListedEvents(const std::vector<std::string>& hrefs) {
    Log("CCalDavCalendar::ReadListedEvents: %zu of the %zu events of %s are read.", hrefs.size(),
        m_listing.size(), platform::SanitizeUtf8(m_href).c_str());
    m_unreadable = CCalDavEvent::LoadListed(m_server, m_href, hrefs, &m_events);
}

bool CCalDavCalendar::IsUnreadable(const std::string& href) const {
    return std::find(m_unreadable.begin(), m_unreadable.end(), href) != m_unreadable.end();
}

void CCalDavCalendar::GetCalendarsFromHomeSet(CDavServer* server, const std::string& home_set,
                                              std::vector<std::shared_ptr<CCalDavCalendar>>* calendars) {
    // Without Depth, Radicale and DAViCal list the home alone and Xandikos every event as well.
    const DavRequest request{"PROPFIND", home_set, kListBody, {{"Depth", "1"}}};
    const XmlNodePtr document = LoadXml(server->ProcessRequest(request));
    if (!HasNode(document, "/d:multistatus")) {
        Log("CCalDavCalendar::GetCalendarsFromHomeSet: Unable to parse the listing of %s.",
            platform::SanitizeUtf8(home_set).c_str());
        throw CAddinException(kErrorParseXml);
    }
    std::vector<std::shared_ptr<CCalDavCalendar>> found;
    for (CXmlNodeIterator it = SelectNodes(document, "/d:multistatus/d:response"); !it.IsEnd(); it.Next()) {
        const XmlNodePtr& response = it.Current();
        if (!HasNode(response, "d:propstat/d:prop/d:resourcetype/cal:calendar"))
            continue;
        const std::string href(platform::TrimWhitespace(SelectText(response, "d:href")));
        if (href.empty()) {
            Log("CCalDavSynchronizer::GetCalendarsUrls: Unable to get HREF for calendar.");
            continue;
        }
        if (!IsUsableHref(href)) {
            Log("CCalDavSynchronizer::GetCalendarsUrls: Skipped the calendar '%s'.",
                platform::SanitizeUtf8(href).c_str());
            continue;
        }
        const bool shared = HasNode(response, "d:propstat/d:prop/d:resourcetype/cs:shared");
        auto calendar =
            std::make_shared<CCalDavCalendar>(href, PrivilegesDenyWrite(response), shared, server);
        calendar->m_display_name = SelectText(response, "d:propstat/d:prop/d:displayname");
        calendar->m_description = SelectText(response, "d:propstat/d:prop/cal:calendar-description");
        calendar->m_owner =
            OwnerOf(platform::TrimWhitespace(SelectText(response, "d:propstat/d:prop/d:owner")));
        calendar->m_ctag = std::string(platform::TrimWhitespace(
            SelectText(response, "d:propstat[contains(d:status, ' 200')]/d:prop/cs:getctag")));
        found.push_back(std::move(calendar));
    }
    calendars->insert(calendars->end(), found.begin(), found.end());
}

std::string CCalDavCalendar::OwnerOf(std::string_view owner_href) {
    std::string_view text = owner_href;
    if (!text.empty() && text.back() == '/')
        text.remove_suffix(1);
    const std::size_t slash = text.rfind('/');
    if (slash != std::string_view::npos)
        text = text.substr(slash + 1);
    std::string owner;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 3) == "%40") {
            owner += '@';
            i += 2;
        } else {
            owner += text[i];
        }
    }
    return owner;
}

std::shared_ptr<CCalDavCalendar> CCalDavCalendar::CreateCalendar(CDavServer* server,
                                                                 const std::string& home_set,
                                                                 const std::string& name,
                                                                 const std::string& display_name,
                                                                 const std::string& description) {
    const std::string href = home_set + name + "/";
    const std::string body =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?><C:mkcalendar xmlns:D=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:caldav\" xmlns:ic=\"http://apple.com/ns/ical/\"><D:set><D:prop>"
        "<D:displayname>" +
        EscapeXml(display_name) + "</D:displayname><C:calendar-description>" + EscapeXml(description) +
        "</C:calendar-description><ic:calendar-order>0</ic:calendar-order><ic:calendar-color>#ff0000"
        "</ic:calendar-color></D:prop></D:set></C:mkcalendar>";
    const DavRequest request{"MKCALENDAR", href, body, {{"If-None-Match", "*"}}};
    server->ProcessRequest(request);
    auto calendar = std::make_shared<CCalDavCalendar>(href, false, false, server);
    calendar->m_display_name = display_name;
    calendar->m_description = description;
    return calendar;
}

void CCalDavCalendar::Delete() {
    if (m_shared)
        return;
    m_server->ProcessRequest(DavRequest{"DELETE", m_href, "", {}});
}

std::shared_ptr<CCalDavEvent> CCalDavCalendar::LoadEvent(const std::string& href) const {
    return CCalDavEvent::LoadOne(m_server, m_href, href);
}

std::shared_ptr<CCalDavEvent> CCalDavCalendar::CreateEvent(const std::string& global_appointment_id) const {
    return std::make_shared<CCalDavEvent>(m_server, m_href + global_appointment_id + ".ics");
}

std::string CCalDavCalendar::GetDisplayName() const {
    std::string name = m_display_name;
    if (m_shared && !m_owner.empty())
        name += " - " + m_owner;
    if (m_read_only)
        name += " (read only)";
    return name;
}
