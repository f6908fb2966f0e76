#include "calendar/internal/unrecorded_events.h"

#include "calendar/internal/text_property.h"
#include "calendar/outlook_default_storage.h"
#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "platform/text.h"

namespace calendar {

EventIdentity ReadIdentity(const COutlookEvent& appointment) {
    COutlookDefaultStorage<outlook::AppointmentItem> storage(
        outlook::ComPtr<outlook::AppointmentItem>(appointment.Item()));
    return EventIdentity{ReadText(&storage, kHrefProperty), ReadText(&storage, kUidProperty),
                         appointment.GetGlobalAppointmentID()};
}

void UnrecordedEvents::Add(const CCalDavEvent& event, std::size_t place) {
    m_by_href.emplace(platform::AsciiLower(event.GetHref()), place);
    const std::string uid = event.GetPropertyValue("UID");
    if (!uid.empty())
        m_by_uid.emplace(uid, place);
}

std::optional<std::size_t> UnrecordedEvents::Find(const EventIdentity& identity,
                                                  const std::function<bool(std::size_t)>& is_free) const {
    const auto look_up = [&](const std::map<std::string, std::size_t>& places,
                             const std::string& key) -> std::optional<std::size_t> {
        if (key.empty())
            return std::nullopt;
        const auto found = places.find(key);
        if (found == places.end() || !is_free(found->second))
            return std::nullopt;
        return found->second;
    };
    if (auto place = look_up(m_by_href, platform::AsciiLower(identity.href)))
        return place;
    if (auto place = look_up(m_by_uid, identity.uid))
        return place;
    return look_up(m_by_uid, identity.global_id);
}

}  // namespace calendar
