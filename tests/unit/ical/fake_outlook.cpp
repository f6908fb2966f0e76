#include "fake_outlook.h"

#include "outlook/status.h"
#include "platform/text.h"

namespace fake {
namespace {

std::int64_t DayNumber(const DateTime& value) {
    const std::int64_t seconds = value.ToUnixSeconds();
    return seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
}

DateTime AtTimeOf(const DateTime& date, const DateTime& time) {
    platform::DateParts d;
    platform::DateParts t;
    if (!date.ToParts(&d) || !time.ToParts(&t))
        return DateTime::Invalid();
    return DateTime::FromParts(d.year, d.month, d.day, t.hour, t.minute, t.second);
}

bool SameMinute(const DateTime& a, const DateTime& b) {
    return a.IsValid() && b.IsValid() && a.ToUnixSeconds() / 60 == b.ToUnixSeconds() / 60;
}

}  // namespace

TimeZones::TimeZones() : m_current(Make<TimeZone>("Local", 0, true)) {
    m_zones = {Make<TimeZone>("W. Europe Standard Time", 60), Make<TimeZone>("Eastern Standard Time", -300),
               Make<TimeZone>("India Standard Time", 330), Make<TimeZone>("UTC", 0)};
}

HRESULT TimeZones::Item(std::int32_t index, ComPtr<outlook::TimeZone>* out) {
    if (index < 1 || index > static_cast<std::int32_t>(m_zones.size()))
        return outlook::DISP_E_BADINDEX;
    *out = m_zones[static_cast<std::size_t>(index - 1)];
    return S_OK;
}

HRESULT TimeZones::Item(const std::string& id, ComPtr<outlook::TimeZone>* out) {
    for (const auto& zone : m_zones) {
        std::string zone_id;
        if (SUCCEEDED(zone->get_ID(&zone_id)) && zone_id == id) {
            *out = zone;
            return S_OK;
        }
    }
    return outlook::MAPI_E_NOT_FOUND;
}

HRESULT TimeZones::get_CurrentTimeZone(ComPtr<outlook::TimeZone>* out) {
    *out = m_current;
    return S_OK;
}

HRESULT TimeZones::ConvertTime(const DateTime& source_time, outlook::TimeZone* source,
                               outlook::TimeZone* destination, DateTime* out) {
    auto* from = dynamic_cast<TimeZone*>(source);
    auto* to = dynamic_cast<TimeZone*>(destination);
    if (from == nullptr || to == nullptr || !source_time.IsValid())
        return E_INVALIDARG;
    *out = to->FromUtc(from->ToUtc(source_time));
    return S_OK;
}

HRESULT Recipient::Resolve(bool* out) {
    if (m_data->address.empty() && m_data->name.find('@') != std::string::npos)
        m_data->address = m_data->name;
    if (!m_data->address.empty() && m_data->entry_id.empty())
        m_data->entry_id = "EID:" + platform::AsciiLower(m_data->address);
    *out = !m_data->address.empty();
    return S_OK;
}

HRESULT Recipients::Item(std::int32_t index, ComPtr<outlook::Recipient>* out) {
    if (index < 1 || index > static_cast<std::int32_t>(m_list->size()))
        return outlook::DISP_E_BADINDEX;
    *out = Make<Recipient>((*m_list)[static_cast<std::size_t>(index - 1)]);
    return S_OK;
}

HRESULT Recipients::Add(const std::string& name, ComPtr<outlook::Recipient>* out) {
    if (name.empty())
        return E_INVALIDARG;
    auto data = std::make_shared<RecipientData>();
    data->name = name;
    m_list->push_back(data);
    *out = Make<Recipient>(data);
    return S_OK;
}

HRESULT Recipients::Remove(std::int32_t index) {
    if (index < 1 || index > static_cast<std::int32_t>(m_list->size()))
        return outlook::DISP_E_BADINDEX;
    m_list->erase(m_list->begin() + (index - 1));
    return S_OK;
}

HRESULT Recipients::ResolveAll(bool* out) {
    bool all = true;
    for (const auto& data : *m_list) {
        bool resolved = false;
        (void)Recipient(data).Resolve(&resolved);
        all = all && resolved;
    }
    *out = all;
    return S_OK;
}

HRESULT PropertyAccessor::GetProperty(const std::string& name, outlook::Variant* out) {
    const auto found = m_values->find(name);
    if (found == m_values->end())
        return outlook::MAPI_E_NOT_FOUND;
    *out = found->second;
    return S_OK;
}

HRESULT PropertyAccessor::SetProperty(const std::string& name, const outlook::Variant& value) {
    (*m_values)[name] = value;
    return S_OK;
}

HRESULT MapiMessage::GetProp(outlook::PropTag tag, outlook::PropValue* out) {
    const auto found = m_owner->mapi.find(tag);
    if (found == m_owner->mapi.end())
        return outlook::MAPI_E_NOT_FOUND;
    *out = {tag, found->second};
    return S_OK;
}

HRESULT MapiMessage::SetProp(const outlook::PropValue& value) {
    m_owner->mapi[value.tag] = value.value;
    return S_OK;
}

HRESULT MapiMessage::GetRecipientTable(std::uint32_t, ComPtr<outlook::MapiTable>* out) {
    outlook::RowSet rows;
    std::int32_t id = 0;
    for (const auto& data : m_owner->recipients) {
        rows.push_back({{outlook::PR_ROWID, outlook::Variant(id++)},
                        {outlook::PR_DISPLAY_NAME_W, outlook::Variant(data->name)},
                        {outlook::PR_EMAIL_ADDRESS_W, outlook::Variant(data->address)},
                        {outlook::PR_RECIPIENT_FLAGS, outlook::Variant(data->flags)},
                        {outlook::PR_RECIPIENT_TRACKSTATUS,
                         outlook::Variant(static_cast<std::int32_t>(data->response))}});
    }
    *out = Make<MapiTable>(std::move(rows));
    return S_OK;
}

HRESULT MapiMessage::ModifyRecipients(std::uint32_t flags, const outlook::RowSet& rows) {
    if (flags != outlook::MODRECIP_MODIFY)
        return E_INVALIDARG;
    for (const outlook::PropRow& row : rows) {
        const outlook::PropValue* id = outlook::FindColumn(row, outlook::PR_ROWID);
        std::int32_t index = -1;
        if (id == nullptr || FAILED(id->value.ToLong(&index)))
            return E_INVALIDARG;
        if (index < 0 || index >= static_cast<std::int32_t>(m_owner->recipients.size()))
            return outlook::MAPI_E_NOT_FOUND;
        RecipientData& data = *m_owner->recipients[static_cast<std::size_t>(index)];
        std::int32_t value = 0;
        if (const auto* track = outlook::FindColumn(row, outlook::PR_RECIPIENT_TRACKSTATUS);
            track != nullptr && SUCCEEDED(track->value.ToLong(&value)))
            data.response = static_cast<outlook::OlResponseStatus>(value);
        if (const auto* column = outlook::FindColumn(row, outlook::PR_RECIPIENT_FLAGS);
            column != nullptr && SUCCEEDED(column->value.ToLong(&value)))
            data.flags = value;
    }
    return S_OK;
}

Appointment::Appointment() = default;
Appointment::~Appointment() = default;

HRESULT Appointment::Save() {
    ++saves;
    if (parent != nullptr && !deleted)
        parent->OccurrenceChanged(this);
    return S_OK;
}

HRESULT Appointment::Delete() {
    deleted = true;
    if (parent != nullptr)
        parent->OccurrenceChanged(this);
    return S_OK;
}

HRESULT Appointment::put_Start(const DateTime& value) {
    if (!value.IsValid())
        return E_INVALIDARG;
    const std::int64_t length = platform::SecondsBetween(end, start);
    start = value;
    end = value.AddSeconds(length);
    return S_OK;
}

HRESULT Appointment::put_End(const DateTime& value) {
    if (!value.IsValid())
        return E_INVALIDARG;
    end = value;
    return S_OK;
}

HRESULT Appointment::get_Duration(std::int32_t* out) {
    *out = static_cast<std::int32_t>(platform::SecondsBetween(end, start) / 60);
    return S_OK;
}

HRESULT Appointment::put_StartTimeZone(outlook::TimeZone* value) {
    if (value == nullptr)
        return E_INVALIDARG;
    start_zone = ComPtr<outlook::TimeZone>(value);
    return S_OK;
}

HRESULT Appointment::put_EndTimeZone(outlook::TimeZone* value) {
    if (value == nullptr)
        return E_INVALIDARG;
    end_zone = ComPtr<outlook::TimeZone>(value);
    return S_OK;
}

HRESULT Appointment::put_StartInStartTimeZone(const DateTime& value) {
    auto* zone = dynamic_cast<TimeZone*>(start_zone.get());
    if (zone == nullptr || !value.IsValid())
        return E_INVALIDARG;
    return put_Start(zone->ToUtc(value).UtcToLocal());
}

HRESULT Appointment::put_EndInEndTimeZone(const DateTime& value) {
    auto* zone = dynamic_cast<TimeZone*>(end_zone.get());
    if (zone == nullptr || !value.IsValid())
        return E_INVALIDARG;
    return put_End(zone->ToUtc(value).UtcToLocal());
}

HRESULT Appointment::GetRecurrencePattern(ComPtr<outlook::RecurrencePattern>* out) {
    if (state == outlook::olApptOccurrence || state == outlook::olApptException)
        return outlook::MAPI_E_NO_SUPPORT;
    if (!pattern) {
        pattern = Make<Pattern>(this);
        pattern->pattern_start = start;
        pattern->start_time = start;
        pattern->end_time = end;
        state = outlook::olApptMaster;
    }
    *out = pattern;
    return S_OK;
}

HRESULT Appointment::ClearRecurrencePattern() {
    pattern = nullptr;
    state = outlook::olApptNotRecurring;
    return S_OK;
}

HRESULT Appointment::get_Recipients(ComPtr<outlook::Recipients>* out) {
    *out = Make<Recipients>(&recipients);
    return S_OK;
}

HRESULT Appointment::get_PropertyAccessor(ComPtr<outlook::PropertyAccessor>* out) {
    *out = Make<PropertyAccessor>(&named);
    return S_OK;
}

HRESULT Appointment::get_MAPIOBJECT(ComPtr<outlook::IUnknown>* out) {
    *out = Make<MapiMessage>(this);
    return S_OK;
}

HRESULT Exceptions::Item(std::int32_t index, ComPtr<outlook::Exception>* out) {
    if (index < 1 || index > static_cast<std::int32_t>(m_list.size()))
        return outlook::DISP_E_BADINDEX;
    *out = Make<Exception>(m_list[static_cast<std::size_t>(index - 1)]);
    return S_OK;
}

HRESULT Pattern::put_RecurrenceType(outlook::OlRecurrenceType value) {
    puts.emplace_back("RecurrenceType");
    type = value;
    // As Outlook does: the parts the new type does not use are reset.
    if (type != outlook::olRecursMonthNth && type != outlook::olRecursYearNth)
        instance = 0;
    if (type != outlook::olRecursMonthly && type != outlook::olRecursYearly)
        day_of_month = 0;
    if (type != outlook::olRecursYearly && type != outlook::olRecursYearNth)
        month_of_year = 0;
    if (type == outlook::olRecursMonthly || type == outlook::olRecursYearly)
        day_of_week_mask = 0;
    return S_OK;
}

HRESULT Pattern::put_Instance(std::int32_t value) {
    if (value < 0 || value > 5)
        return E_INVALIDARG;
    return Put("Instance", &instance, value);
}

HRESULT Pattern::put_NoEndDate(bool value) {
    puts.emplace_back("NoEndDate");
    no_end = value;
    if (value) {
        occurrences = 0;
        pattern_end = DateTime::Invalid();
    }
    return S_OK;
}

HRESULT Pattern::put_Occurrences(std::int32_t value) {
    if (value < 1 || value > 999)
        return E_INVALIDARG;
    no_end = false;
    pattern_end = DateTime::Invalid();
    return Put("Occurrences", &occurrences, value);
}

HRESULT Pattern::put_PatternEndDate(const DateTime& value) {
    puts.emplace_back("PatternEndDate");
    no_end = false;
    occurrences = 0;
    pattern_end = value;
    return S_OK;
}

HRESULT Pattern::GetOccurrence(const DateTime& start, ComPtr<outlook::AppointmentItem>* out) {
    if (!start.IsValid())
        return E_INVALIDARG;
    if (!pattern_start.IsValid() || DayNumber(start) < DayNumber(pattern_start))
        return outlook::MAPI_E_NOT_FOUND;
    const DateTime occurrence_start = AtTimeOf(start, start_time);
    platform::DateParts parts;
    const bool date_alone =
        start.ToParts(&parts) && parts.hour == 0 && parts.minute == 0 && parts.second == 0;
    if (!date_alone && !SameMinute(start, occurrence_start))
        return outlook::MAPI_E_NOT_FOUND;
    for (const ExceptionData& exception : exceptions) {
        if (SameMinute(exception.original_date, occurrence_start)) {
            if (exception.deleted)
                return outlook::MAPI_E_NOT_FOUND;
            *out = exception.item;
            return S_OK;
        }
    }
    auto occurrence = Make<Appointment>();
    occurrence->subject = m_master->subject;
    occurrence->location = m_master->location;
    occurrence->body = m_master->body;
    occurrence->global_id = m_master->global_id;
    occurrence->all_day = m_master->all_day;
    occurrence->application = m_master->application;
    occurrence->state = outlook::olApptOccurrence;
    occurrence->start = occurrence_start;
    occurrence->end = occurrence_start.AddSeconds(60LL * duration);
    occurrence->original_date = occurrence_start;
    occurrence->parent = this;
    *out = occurrence;
    return S_OK;
}

void Pattern::OccurrenceChanged(Appointment* occurrence) {
    for (ExceptionData& exception : exceptions) {
        if (SameMinute(exception.original_date, occurrence->original_date)) {
            exception.deleted = occurrence->deleted;
            exception.item = occurrence->deleted ? nullptr : ComPtr<Appointment>(occurrence);
            return;
        }
    }
    if (!occurrence->deleted)
        occurrence->state = outlook::olApptException;
    exceptions.push_back({occurrence->original_date, occurrence->deleted,
                          occurrence->deleted ? nullptr : ComPtr<Appointment>(occurrence)});
}

}  // namespace fake
