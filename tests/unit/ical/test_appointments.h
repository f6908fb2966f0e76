// The appointments the writer tests, the round trip and the third-party parser check share. Local time
// in these tests is Europe/Berlin (set before any test runs), so local and UTC differ.
#pragma once

#include <string>
#include <vector>

#include "fake_outlook.h"
#include "support/temp_home.h"

namespace testdata {

inline constexpr const char* kOwner = "me@example.com";

// Sets TZ to Europe/Berlin for the whole test program.
void UseBerlinTime();

// Logging switched on into a fresh APPDATA for the life of the object.
class CapturedLog {
  public:
    CapturedLog();
    ~CapturedLog();
    std::string Text() const;

  private:
    testing_support::TempHome m_home;
};

struct NamedAppointment {
    std::string name;
    outlook::ComPtr<fake::Appointment> appointment;
};

// timed, all_day, recurring (weekly, two deleted and one changed occurrence), all_day_yearly,
// organizer_meeting, attendee_meeting, long_texts.
std::vector<NamedAppointment> AllAppointments();

fake::ComPtr<fake::Appointment> Timed();
fake::ComPtr<fake::Appointment> AllDay();
fake::ComPtr<fake::Appointment> Recurring();
fake::ComPtr<fake::Appointment> AllDayYearly();
fake::ComPtr<fake::Appointment> OrganizerMeeting();
fake::ComPtr<fake::Appointment> AttendeeMeeting();
fake::ComPtr<fake::Appointment> LongTexts();

// The writer's text of an appointment (with VCALENDAR, no uid override, kOwner).
std::string WriteICal(const outlook::ComPtr<fake::Appointment>& appointment);

// The times the text must carry, from the appointment itself (not from the writer), as JSON:
// {"events":[{"dtstart":..,"dtend":..,"exdate":[..],"recurrence_id":..,"until":..}]}, times as
// "YYYY-MM-DDTHH:MM:SSZ" in UTC, dates as "YYYY-MM-DD".
std::string ExpectedTimesJson(const outlook::ComPtr<fake::Appointment>& appointment);

}  // namespace testdata
