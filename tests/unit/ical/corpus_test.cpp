// Events as other calendar programs write them (tests/data/ical/corpus): each is read into the host's
// store and checked against the fields beside it (<name>.expect, times in UTC so that every process
// zone expects the same), then edited locally and written back over the original: only the properties
// the writer owns may differ, and the result reads back to the same appointment.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "ical/event_merge.h"
#include "outlook/exception.h"
#include "outlook/exceptions.h"
#include "outlook/recipient.h"
#include "outlook/recipients.h"
#include "outlook/recurrence_pattern.h"
#include "support/temp_home.h"
#include "test_appointments.h"

namespace {

using platform::DateTime;
using Fields = std::map<std::string, std::string>;

std::string Utc(const DateTime& local) {
    return local.IsValid() ? local.LocalToUtc().Format("%Y%m%dT%H%M%SZ") : "invalid";
}

// The enum a getter reads, as a number.
template <class T>
std::string Number(outlook::AppointmentItem* item, HRESULT (outlook::AppointmentItem::*get)(T*)) {
    T value{};
    return SUCCEEDED((item->*get)(&value)) ? std::to_string(static_cast<int>(value)) : "failed";
}

std::string ExceptionsOf(outlook::AppointmentItem* item) {
    outlook::ComPtr<outlook::RecurrencePattern> pattern;
    outlook::ComPtr<outlook::Exceptions> exceptions;
    std::int32_t count = 0;
    if (FAILED(item->GetRecurrencePattern(&pattern)) || FAILED(pattern->get_Exceptions(&exceptions)) ||
        FAILED(exceptions->get_Count(&count)))
        return "failed";
    std::string text;
    for (std::int32_t i = 1; i <= count && i <= 100; ++i) {
        outlook::ComPtr<outlook::Exception> exception;
        DateTime original;
        bool deleted = false;
        outlook::ComPtr<outlook::AppointmentItem> changed;
        std::string subject;
        DateTime start;
        if (FAILED(exceptions->Item(i, &exception)) || FAILED(exception->get_OriginalDate(&original)) ||
            FAILED(exception->get_Deleted(&deleted)))
            return "failed";
        text += (text.empty() ? "" : " ") + Utc(original) + "=";
        if (deleted)
            text += "deleted";
        else if (SUCCEEDED(exception->get_AppointmentItem(&changed)) &&
                 SUCCEEDED(changed->get_Subject(&subject)) && SUCCEEDED(changed->get_Start(&start)))
            text += subject + "@" + Utc(start);
    }
    return text;
}

// What the mapping carries, by name: times in UTC; a whole day as its local date.
Fields Read(outlook::AppointmentItem* item) {
    Fields fields;
    std::string text;
    DateTime date;
    bool flag = false;
    const bool all_day = SUCCEEDED(item->get_AllDayEvent(&flag)) && flag;
    fields["AllDay"] = all_day ? "1" : "0";
    fields["Subject"] = SUCCEEDED(item->get_Subject(&text)) ? text : "failed";
    fields["Location"] = SUCCEEDED(item->get_Location(&text)) ? text : "failed";
    fields["Body"] = SUCCEEDED(item->get_Body(&text)) ? text : "failed";
    fields["Categories"] = SUCCEEDED(item->get_Categories(&text)) ? text : "failed";
    for (const auto& [name, get] : {std::pair{"Start", &outlook::AppointmentItem::get_Start},
                                    {"End", &outlook::AppointmentItem::get_End}}) {
        const bool read = SUCCEEDED((item->*get)(&date));
        fields[name] = !read ? "failed" : all_day ? date.Format("%Y%m%d") : Utc(date);
    }
    std::int32_t minutes = 0;
    fields["Importance"] = Number(item, &outlook::AppointmentItem::get_Importance);
    fields["BusyStatus"] = Number(item, &outlook::AppointmentItem::get_BusyStatus);
    fields["Sensitivity"] = Number(item, &outlook::AppointmentItem::get_Sensitivity);
    fields["MeetingStatus"] = Number(item, &outlook::AppointmentItem::get_MeetingStatus);
    fields["Reminder"] = SUCCEEDED(item->get_ReminderSet(&flag)) && flag &&
                                 SUCCEEDED(item->get_ReminderMinutesBeforeStart(&minutes))
                             ? std::to_string(minutes)
                             : "off";
    outlook::ComPtr<outlook::Recipients> recipients;
    std::int32_t count = 0;
    std::vector<std::string> addresses;
    if (SUCCEEDED(item->get_Recipients(&recipients)) && SUCCEEDED(recipients->get_Count(&count))) {
        for (std::int32_t i = 1; i <= count && i <= 100; ++i) {
            outlook::ComPtr<outlook::Recipient> recipient;
            if (SUCCEEDED(recipients->Item(i, &recipient)) && SUCCEEDED(recipient->get_Address(&text)))
                addresses.push_back(text);
        }
    }
    std::sort(addresses.begin(), addresses.end());
    for (const std::string& address : addresses)
        fields["Recipients"] += (fields["Recipients"].empty() ? "" : " ") + address;
    fields["Recurring"] = SUCCEEDED(item->get_IsRecurring(&flag)) && flag ? "1" : "0";
    if (flag) {
        fields["Exceptions"] = ExceptionsOf(item);
        // The date of the last occurrence, in the series' own zone.
        outlook::ComPtr<outlook::RecurrencePattern> pattern;
        fields["PatternEnd"] =
            SUCCEEDED(item->GetRecurrencePattern(&pattern)) && SUCCEEDED(pattern->get_PatternEndDate(&date))
                ? date.Format("%Y%m%d")
                : "failed";
    }
    return fields;
}

Fields ReadExpect(const std::string& path) {
    Fields fields;
    const std::string text = testing_support::ReadFileOrEmpty(path);
    for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        const std::size_t equals = line.find('=');
        if (!line.empty() && line[0] != '#' && equals != std::string::npos)
            fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

class IcalCorpus : public ::testing::Test {
  protected:
    testdata::Calendar calendar_{false};
};

TEST_F(IcalCorpus, EventsOfOtherClientsReadRightAndKeepWhatTheWriterDoesNotOwn) {
    const std::filesystem::path folder = VELSYNC_ICAL_DATA "/corpus";
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".ics")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_GE(files.size(), 8u);
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        const std::string original = testing_support::ReadFileOrEmpty(file.string());
        const Fields want = ReadExpect(std::filesystem::path(file).replace_extension(".expect").string());
        ASSERT_FALSE(want.empty()) << "no .expect beside it";
        const auto item = calendar_.New();
        testdata::ReadICal(original, item.get());
        const Fields got = Read(item.get());
        for (const auto& [key, value] : want) {
            ASSERT_TRUE(got.contains(key)) << key;
            EXPECT_EQ(got.at(key), value) << key;
        }

        // A local edit written back over the original.
        ASSERT_EQ(item->put_Subject(want.at("Subject") + " (edited)"), S_OK);
        ASSERT_EQ(item->Save(), S_OK);
        const std::string merged = ical::MergeWrittenEvent(
            original, testdata::WriteICal(item.get(), true, testdata::MasterValue(original, "UID")));
        EXPECT_EQ(testdata::NotOwnedLines(merged), testdata::NotOwnedLines(original)) << merged;
        EXPECT_EQ(testdata::MasterValue(merged, "SUMMARY"), want.at("Subject") + " (edited)");
        EXPECT_EQ(testdata::MasterValue(merged, "SEQUENCE"), testdata::MasterValue(original, "SEQUENCE"));

        const auto copy = calendar_.New();
        testdata::ReadICal(merged, copy.get());
        Fields again = Read(copy.get());
        again["Subject"] = want.at("Subject");
        for (const auto& [key, value] : want)
            EXPECT_EQ(again[key], value) << "read back: " << key << "\n" << merged;
    }
}

}  // namespace
