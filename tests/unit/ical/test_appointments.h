// Appointments in the host's store for the iCalendar tests, the third-party parser check, the fuzz
// target and the benchmark. Local time is Europe/Berlin (set before any test runs), so local and UTC
// differ.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/application_object.h"
#include "outlook/appointment_item.h"
#include "outlook/folder.h"
#include "support/temp_home.h"

namespace testdata {

using outlook::ComPtr;
using platform::DateTime;
using Appointment = ComPtr<outlook::AppointmentItem>;

inline constexpr const char* kOwner = "me@example.com";

// Sets TZ to Europe/Berlin for the whole program.
void UseBerlinTime();

// A fresh store in a temporary home, with its calendar; sets Berlin time unless told to keep the
// process's zone.
class Calendar {
  public:
    explicit Calendar(bool berlin_time = true);
    // Why the store did not open; "" when it did.
    const std::string& error() const { return error_; }
    outlook::Application* app() const { return app_.get(); }
    // A new appointment of the calendar, not saved.
    Appointment New();

  private:
    testing_support::TempHome home_;
    std::string error_;
    ComPtr<host::ApplicationObject> app_;
    ComPtr<outlook::MAPIFolder> calendar_;
};

// Saved appointments by name, each built as its file in tests/data/ical/appointments tells (timed,
// recurring, organizer_meeting...); all of them in the order of their names.
std::vector<std::pair<std::string, Appointment>> AllAppointments(Calendar& calendar);
Appointment Named(Calendar& calendar, const std::string& name);

// The writer's text (with VCALENDAR and kOwner).
std::string WriteICal(outlook::AppointmentItem* item, bool vcalendar = true, const std::string& uid = "");
// The text read into `item` as the sync does, and saved.
void ReadICal(const std::string& text, outlook::AppointmentItem* item);

// What the mapping carries of an appointment, by member, as text: times local "YYYYmmddTHHMMSS",
// enums as numbers. "Reminder" is minutes or "off"; "Pattern" the parts of a series; "Exceptions"
// "original=deleted" or "original=subject@start" each; "Recipients" "address/answer/flags" each in
// store order, "Addresses" their addresses sorted; "PatternEnd" the series' last date; "Sender" the
// sender's and the represented sender's address and name, "-" for none; "Named:<id>" the named
// properties the reader sets. With kUtc the times are the same in every process zone: UTC "YYYYmmddTHHMMSSZ",
// an all-day appointment's start and end its date "YYYYmmdd".
enum class Clock { kLocal, kUtc };
std::map<std::string, std::string> Fields(outlook::AppointmentItem* item, Clock clock = Clock::kLocal);

// The times the text must carry, from the appointment itself (not from the writer), as JSON:
// {"events":[{"dtstart":..,"dtend":..,"exdate":[..],"recurrence_id":..,"until":..}]}, times as
// "YYYY-MM-DDTHH:MM:SSZ" in UTC, dates as "YYYY-MM-DD".
std::string ExpectedTimesJson(outlook::AppointmentItem* item);

// Every line of an iCalendar text that the writer does not own, unfolded, with the path of components
// it stands in ("/VCALENDAR/VEVENT|URL:..."), sorted: what a local edit must leave as it was.
std::vector<std::string> NotOwnedLines(const std::string& text);

// The value of a property of the series master (the VEVENT without RECURRENCE-ID); "" when it has none.
std::string MasterValue(const std::string& text, const char* property);

}  // namespace testdata
