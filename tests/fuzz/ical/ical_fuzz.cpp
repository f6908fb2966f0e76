// libFuzzer target: any text through ParseICal, the VTIMEZONE reader and InitOutlookEvent into an
// appointment, and the appointment written back with ToICal.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fake_outlook.h"
#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "test_appointments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool zone_set = [] {
        testdata::UseBerlinTime();
        return true;
    }();
    (void)zone_set;
    CCalDavEvent event;
    event.SetICal(std::string_view(reinterpret_cast<const char*>(data), size));
    event.SetOwnerAddress(testdata::kOwner);
    auto appointment = fake::Make<fake::Appointment>();
    const auto target = COutlookEvent::CreateFromOutlookObject(appointment.get());
    event.InitOutlookEvent(target);
    const auto written = COutlookEvent::CreateFromOutlookObject(appointment.get());
    (void)written->ToICal(true, event.GetPropertyValue("UID"), testdata::kOwner);
    return 0;
}
