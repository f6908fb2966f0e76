// Appointment -> ToICal -> ParseICal -> InitOutlookEvent on a fresh appointment gives the same
// appointment back.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "ical/cal_dav_event.h"
#include "ical/outlook_event.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;

std::string Local(const DateTime& value) {
    return value.IsValid() ? value.Format("%Y%m%dT%H%M%S") : "invalid";
}

// iCalendar has one newline; a lone LF comes back as CR LF.
std::string CrLf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            out += '\r';
        out += text[i];
    }
    return out;
}

std::set<std::string> Addresses(const fake::Appointment& item, const std::string& without) {
    std::set<std::string> addresses;
    for (const auto& recipient : item.recipients) {
        if (recipient->address != without)
            addresses.insert(recipient->address);
    }
    return addresses;
}

struct Occurrence {
    std::string original;
    bool deleted;
    std::string subject;
    std::string start;
    bool operator<(const Occurrence& other) const { return original < other.original; }
    bool operator==(const Occurrence& other) const {
        return original == other.original && deleted == other.deleted && subject == other.subject &&
               start == other.start;
    }
};

std::vector<Occurrence> Occurrences(const fake::Appointment& item) {
    std::vector<Occurrence> list;
    if (!item.pattern)
        return list;
    for (const fake::ExceptionData& exception : item.pattern->exceptions) {
        list.push_back({Local(exception.original_date), exception.deleted,
                        exception.item ? exception.item->subject : std::string(),
                        exception.item ? Local(exception.item->start) : std::string()});
    }
    std::sort(list.begin(), list.end());
    return list;
}

void ExpectSameAppointment(const fake::Appointment& original, const fake::Appointment& copy) {
    EXPECT_EQ(copy.subject, original.subject);
    EXPECT_EQ(Local(copy.start), Local(original.start));
    EXPECT_EQ(Local(copy.end), Local(original.end));
    EXPECT_EQ(copy.all_day, original.all_day);
    EXPECT_EQ(copy.location, original.location);
    EXPECT_EQ(copy.body, CrLf(original.body));
    EXPECT_EQ(copy.importance, original.importance);
    EXPECT_EQ(copy.busy, original.busy);
    EXPECT_EQ(copy.reminder_set, original.reminder_set);
    if (original.reminder_set) {
        EXPECT_EQ(copy.reminder_minutes, original.reminder_minutes);
    }
}

class RoundTrip : public ::testing::Test {
  protected:
    void SetUp() override { testdata::UseBerlinTime(); }
};

TEST_F(RoundTrip, EveryTestAppointmentComesBackTheSame) {
    for (const auto& [name, original] : testdata::AllAppointments()) {
        SCOPED_TRACE(name);
        const std::string text = testdata::WriteICal(original);
        CCalDavEvent event;
        event.SetICal(text);
        event.SetOwnerAddress(testdata::kOwner);
        auto copy = fake::Make<fake::Appointment>();
        const auto target = COutlookEvent::CreateFromOutlookObject(copy.get());
        ASSERT_NE(target, nullptr);
        event.InitOutlookEvent(target);

        ExpectSameAppointment(*original, *copy);
        EXPECT_EQ(copy->state, original->state);
        ASSERT_EQ(static_cast<bool>(copy->pattern), static_cast<bool>(original->pattern));
        if (original->pattern) {
            const fake::Pattern& want = *original->pattern;
            const fake::Pattern& got = *copy->pattern;
            EXPECT_EQ(got.type, want.type);
            EXPECT_EQ(got.interval, want.interval);
            EXPECT_EQ(got.day_of_week_mask, want.day_of_week_mask);
            EXPECT_EQ(got.day_of_month, want.day_of_month);
            EXPECT_EQ(got.month_of_year, want.month_of_year);
            EXPECT_EQ(got.instance, want.instance);
            EXPECT_EQ(got.no_end, want.no_end);
            EXPECT_EQ(got.occurrences, want.occurrences);
            EXPECT_EQ(Local(got.pattern_end), Local(want.pattern_end));
            EXPECT_EQ(Occurrences(*copy), Occurrences(*original));
            for (const fake::ExceptionData& exception : want.exceptions) {
                if (exception.deleted)
                    continue;
                const auto match = std::find_if(
                    got.exceptions.begin(), got.exceptions.end(),
                    [&](const auto& e) { return Local(e.original_date) == Local(exception.original_date); });
                ASSERT_NE(match, got.exceptions.end());
                ASSERT_TRUE(match->item);
                ExpectSameAppointment(*exception.item, *match->item);
            }
        }
        EXPECT_EQ(copy->meeting, original->meeting);
        // The organizer is never a recipient of the organizer's own copy.
        const std::string organizer =
            original->response == outlook::olResponseOrganized ? testdata::kOwner : "";
        EXPECT_EQ(Addresses(*copy, organizer), Addresses(*original, organizer));
    }
}

TEST_F(RoundTrip, ServerUidIsKeptWhenTheAppointmentIsWrittenBack) {
    CCalDavEvent event;
    event.SetICal(
        "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:server-made-uid@example.org\r\nSUMMARY:From the server\r\n"
        "DTSTART:20240110T080000Z\r\nDTEND:20240110T090000Z\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    auto copy = fake::Make<fake::Appointment>();
    const auto target = COutlookEvent::CreateFromOutlookObject(copy.get());
    event.InitOutlookEvent(target);
    const std::string text = target->ToICal(true, event.GetPropertyValue("UID"), testdata::kOwner);
    EXPECT_NE(text.find("\r\nUID:server-made-uid@example.org\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nDTSTART:20240110T080000Z\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nSUMMARY:From the server\r\n"), std::string::npos);
}

}  // namespace
