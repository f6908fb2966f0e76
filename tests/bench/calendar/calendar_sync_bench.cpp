// Two calendar runs against Radicale with COUNT events on the server and COUNT appointments in Outlook:
// the first run (everything pairs and crosses over) and a run with no change. Prints the wall time and
// the requests of each.
//
//   calendar_sync_bench [COUNT]
#include <charconv>
#include <chrono>
#include <cstdio>
#include <string>

#include "calendar_world.h"
#include "platform/file_system.h"

namespace {

bool MeasureRun(calendar_test::CalendarWorld& world, const char* label) {
    auto counter = std::make_shared<calendar_test::RequestCounter>();
    const auto started = std::chrono::steady_clock::now();
    std::uint32_t code = 0;
    world.Run(&code, nullptr, calendar_test::RefusingFactory({}, 0, counter));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%-14s wall %.2f s, requests %ld (PUT %ld, REPORT %ld)%s\n", label, seconds, counter->sent,
                counter->by_method["PUT"], counter->by_method["REPORT"], code == 0 ? "" : " (run failed)");
    return code == 0;
}

}  // namespace

int main(int argc, char** argv) {
    int count = 1000;
    if (argc > 1)
        std::from_chars(argv[1], argv[1] + std::char_traits<char>::length(argv[1]), count);
    calendar_test::CalendarWorld world(testing_support::DavServerKind::kRadicale);
    std::string error;
    if (!world.Start(&error)) {
        std::fprintf(stderr, "Radicale did not start: %s\n", error.c_str());
        return 2;
    }
    // The server's events go straight into Radicale's storage, as another client's uploads leave them.
    const std::string folder =
        world.server().state_dir() + "/radicale/collections/collection-root/alice/calendar/";
    const auto calendar = world.DefaultCalendar();
    for (int i = 0; i < count; ++i) {
        const std::string uid = "bench-" + std::to_string(i);
        const std::string day = "203301" + std::to_string(10 + i % 20);
        const std::string text = calendar_test::EventText(
            uid, "Server event " + std::to_string(i), day + "T090000Z", day + "T100000Z", "20300101T000000Z");
        if (platform::WriteFileAtomically(folder + uid + ".ics", text) != 0)
            return 2;
        world.AddAppointment(calendar.get(), "Outlook appointment " + std::to_string(i),
                             platform::DateTime::FromParts(2034, 1 + i % 12, 1 + i % 28, 8 + i % 10));
    }
    const bool first = MeasureRun(world, "first run");
    const bool second = MeasureRun(world, "no-change run");
    return first && second ? 0 : 1;
}
