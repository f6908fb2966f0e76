// Two calendar runs against Radicale with 1,000 events on the server and 1,000 appointments in Outlook:
// the first run (everything pairs and crosses over) and a run with no change. Prints, for each, the wall
// time, the requests sent and the peak resident memory of the process during the run.
//
//   calendar_sync_bench [COUNT]
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "calendar_world.h"
#include "platform/file_system.h"

namespace {

// Resets the peak resident set (VmHWM) so that the next reading covers one run only.
void ResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

long PeakMemoryKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            long value = 0;
            const std::size_t digits = line.find_first_of("0123456789");
            if (digits != std::string::npos)
                std::from_chars(line.data() + digits, line.data() + line.size(), value);
            return value;
        }
    }
    return -1;
}

bool MeasureRun(calendar_test::CalendarWorld& world, const char* label) {
    auto counter = std::make_shared<calendar_test::RequestCounter>();
    ResetPeakMemory();
    const auto started = std::chrono::steady_clock::now();
    std::uint32_t code = 0;
    world.Run(&code, nullptr, calendar_test::RefusingFactory({}, 0, counter));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%-16s wall %.2f s, requests %ld (PUT %ld, REPORT %ld, PROPFIND %ld), peak RSS %ld KiB%s\n",
                label, seconds, counter->sent, counter->by_method["PUT"], counter->by_method["REPORT"],
                counter->by_method["PROPFIND"], PeakMemoryKiB(), code == 0 ? "" : " (run failed)");
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
    // The server's events go straight into Radicale's storage, as another client's uploads would leave them.
    const std::string folder =
        world.server().state_dir() + "/radicale/collections/collection-root/alice/calendar/";
    for (int i = 0; i < count; ++i) {
        const std::string uid = "bench-server-" + std::to_string(i);
        const int day = 1 + i % 28;
        const std::string date = "2033" + std::string(i % 12 < 9 ? "0" : "") + std::to_string(1 + i % 12) +
                                 (day < 10 ? "0" : "") + std::to_string(day);
        const std::string text =
            calendar_test::EventText(uid, "Server event " + std::to_string(i), date + "T090000Z",
                                     date + "T100000Z", "20300101T000000Z");
        if (platform::WriteFileAtomically(folder + uid + ".ics", text) != 0) {
            std::fprintf(stderr, "cannot write %s\n", (folder + uid + ".ics").c_str());
            return 2;
        }
    }
    const auto calendar = world.DefaultCalendar();
    const auto filled = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        world.AddAppointment(calendar.get(), "Outlook appointment " + std::to_string(i),
                             platform::DateTime::FromParts(2034, 1 + i % 12, 1 + i % 28, 8 + i % 10));
    std::printf("%d server events listed: %zu; %d appointments made in %.2f s\n", count,
                world.other().List("/alice/calendar/").size(), count,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - filled).count());

    const bool first = MeasureRun(world, "first run");
    const bool second = MeasureRun(world, "no-change run");
    std::printf("afterwards: %zu events on the server, %zu appointments in Outlook\n",
                world.other().List("/alice/calendar/").size(), world.Appointments(calendar.get()).size());
    return first && second ? 0 : 1;
}
