// Figures for the iCalendar mapping: reading a server text, applying it to an appointment, writing an
// appointment, and one tzids.csv lookup. Prints the numbers; asserts nothing.
#include <benchmark/benchmark.h>

#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "ical/tzid_map.h"
#include "test_appointments.h"

namespace {

const std::string& ServerText() {
    static const std::string text = [] {
        testdata::UseBerlinTime();
        std::string ics = testdata::WriteICal(testdata::Recurring());
        // A VTIMEZONE and zoned times as servers send them.
        ics.insert(ics.find("BEGIN:VEVENT"),
                   "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\n"
                   "TZOFFSETTO:+0200\r\nDTSTART:19810329T020000\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
                   "END:DAYLIGHT\r\nBEGIN:STANDARD\r\nTZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\n"
                   "DTSTART:19961027T030000\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\n"
                   "END:VTIMEZONE\r\n");
        return ics;
    }();
    return text;
}

void SetICal(benchmark::State& state) {
    const std::string& text = ServerText();
    for (auto _ : state) {
        CCalDavEvent event;
        event.SetICal(text);
        benchmark::DoNotOptimize(event.Lines().size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(SetICal);

void InitOutlookEvent(benchmark::State& state) {
    CCalDavEvent event;
    event.SetICal(ServerText());
    event.SetOwnerAddress(testdata::kOwner);
    for (auto _ : state) {
        auto appointment = fake::Make<fake::Appointment>();
        event.InitOutlookEvent(COutlookEvent::CreateFromOutlookObject(appointment.get()));
        benchmark::DoNotOptimize(appointment->subject.size());
    }
}
BENCHMARK(InitOutlookEvent);

void ToICal(benchmark::State& state) {
    testdata::UseBerlinTime();
    const auto appointment = testdata::Recurring();
    for (auto _ : state) {
        const auto event = COutlookEvent::CreateFromOutlookObject(appointment.get());
        benchmark::DoNotOptimize(event->ToICal(true, "", testdata::kOwner).size());
    }
}
BENCHMARK(ToICal);

void MapTzidLookup(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(MapTzid("America/New_York").size());
}
BENCHMARK(MapTzidLookup);

}  // namespace

BENCHMARK_MAIN();
