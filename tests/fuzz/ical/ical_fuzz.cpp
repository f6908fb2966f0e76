// libFuzzer target: any text through ParseICal, the VTIMEZONE reader and InitOutlookEvent into an
// appointment of the host's store, and the appointment written back with ToICal.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "test_appointments.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One store for the whole run (in Berlin time); each input's appointment is deleted again so it stays
    // small.
    static testdata::Calendar calendar;
    if (!calendar.error().empty()) {
        std::fprintf(stderr, "ical_fuzz: %s\n", calendar.error().c_str());
        std::abort();
    }
    CCalDavEvent event;
    event.SetICal(std::string_view(reinterpret_cast<const char*>(data), size));
    event.SetOwnerAddress(testdata::kOwner);
    const auto appointment = calendar.New();
    event.InitOutlookEvent(COutlookEvent::CreateFromOutlookObject(appointment.get()));
    (void)testdata::WriteICal(appointment.get(), true, event.GetPropertyValue("UID"));
    (void)appointment->Delete();
    return 0;
}
