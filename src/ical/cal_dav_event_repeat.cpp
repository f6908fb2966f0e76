#include "ical/cal_dav_event_repeat.h"

#include "ical/outlook_event.h"
#include "outlook/appointment_item.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "settings/log.h"

std::unique_ptr<COutlookEventRepeat> CCalDavEventRepeat::CreateFromOutlookObject(
    outlook::IDispatch* pattern) {
    outlook::ComPtr<outlook::RecurrencePattern> rec_pattern;
    if (pattern == nullptr || FAILED(outlook::ComPtr<outlook::IDispatch>(pattern).As(&rec_pattern)) ||
        !rec_pattern) {
        Log("CCalDavEventRepeat::CreateFromOutlookObject: spRecPattern is NULL.");
        return nullptr;
    }
    outlook::ComPtr<outlook::Exceptions> exceptions;
    std::int32_t count = 0;
    HRESULT hr = rec_pattern->get_Exceptions(&exceptions);
    if (FAILED(hr) || !exceptions) {
        Log("CCalDavEventRepeat::CreateFromOutlookObject: Failed to get exceptions. HRESULT: %d.", hr);
    } else if (FAILED(exceptions->get_Count(&count))) {
        count = 0;
    }
    auto repeat = std::make_unique<COutlookEventRepeat>(rec_pattern);
    for (std::int32_t i = 1; i <= count; ++i) {
        outlook::ComPtr<outlook::Exception> exception;
        hr = exceptions->Item(i, &exception);
        if (FAILED(hr) || !exception) {
            Log("CCalDavEventRepeat::CreateFromOutlookObject: Failed to get exception. HRESULT: %d.", hr);
            continue;
        }
        outlook::ComPtr<outlook::AppointmentItem> appointment;
        hr = exception->get_AppointmentItem(&appointment);
        if (FAILED(hr)) {
            Log("CCalDavEventRepeat::CreateFromOutlookObject: Failed to get appointment. HRESULT: %d.", hr);
            continue;
        }
        if (!appointment) {
            Log("CCalDavEventRepeat::CreateFromOutlookObject: spAppointment is NULL.");
            continue;
        }
        platform::DateTime original;
        if (FAILED(exception->get_OriginalDate(&original)))
            original = platform::DateTime::Invalid();
        auto event = COutlookEvent::CreateFromOutlookObject(appointment.get(), original.LocalToUtc());
        if (!event) {
            Log("CCalDavEventRepeat::CreateFromOutlookObject: pEvent is NULL.");
            continue;
        }
        repeat->AddChangedOccurrence(std::move(event));
    }
    return repeat;
}
