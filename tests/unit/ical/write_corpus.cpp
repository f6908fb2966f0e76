// Writes the writer's text of every test appointment, with the times it must carry, into a folder for
// scripts/check-ical.py: <name>.ics and <name>.json.
#include <cstdio>
#include <fstream>

#include "test_appointments.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ical_write_corpus <folder>\n");
        return 2;
    }
    testdata::UseBerlinTime();
    testdata::Calendar calendar;
    if (!calendar.error().empty()) {
        std::fprintf(stderr, "ical_write_corpus: %s\n", calendar.error().c_str());
        return 1;
    }
    const std::string folder = argv[1];
    for (const auto& [name, appointment] : testdata::AllAppointments(calendar)) {
        std::ofstream ics(folder + "/" + name + ".ics", std::ios::binary);
        ics << testdata::WriteICal(appointment.get());
        std::ofstream json(folder + "/" + name + ".json", std::ios::binary);
        json << testdata::ExpectedTimesJson(appointment.get());
        if (!ics || !json) {
            std::fprintf(stderr, "ical_write_corpus: cannot write into %s\n", folder.c_str());
            return 1;
        }
    }
    return 0;
}
