// Figures for the iCalendar mapping: reading a server text, applying it to an appointment of the host's
// store, and writing an appointment. Prints the numbers; asserts nothing.
#include <benchmark/benchmark.h>

#include "ical/cal_dav_event.h"
#include "test_appointments.h"

namespace {

testdata::Calendar& Store() {
    static testdata::Calendar calendar;
    return calendar;
}

const std::string& ServerText() {
    static const std::string text = [] {
        testdata::UseBerlinTime();
        std::string ics = testdata::WriteICal(testdata::Named(Store(), "recurring").get());
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

// Includes the store's saves and the appointment's deletion afterwards.
void ReadIntoStore(benchmark::State& state) {
    const std::string& text = ServerText();
    for (auto _ : state) {
        const auto appointment = Store().New();
        testdata::ReadICal(text, appointment.get());
        benchmark::DoNotOptimize(appointment->Delete());
    }
}
BENCHMARK(ReadIntoStore);

void ToICal(benchmark::State& state) {
    (void)ServerText();
    const auto appointment = testdata::Named(Store(), "recurring");
    for (auto _ : state)
        benchmark::DoNotOptimize(testdata::WriteICal(appointment.get()).size());
}
BENCHMARK(ToICal);

}  // namespace

BENCHMARK_MAIN();
