// Edits that a date comparison cannot see arrive all the same, on every server kind: one run pairs an
// event per case, the edits follow a second later, and the next run must carry each one across.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <thread>

#include "calendar_world.h"

namespace {

using calendar_test::CalendarWorld;
using platform::DateTime;
using testing_support::DavServerKind;

enum class Origin { kServer, kOutlook };
enum class Edit {
    kServerKeepsLastModified,  // a client that rewrites the text and leaves LAST-MODIFIED alone
    kServerNow,                // LAST-MODIFIED set to the edit's time, right after the run
    kServerOlder,              // LAST-MODIFIED an hour before the run (an offline phone, a skewed clock)
    kLocal,                    // the appointment edited in Outlook right after the run
};

struct ChangeCase {
    const char* name;
    Origin origin;
    Edit edit;
};

constexpr ChangeCase kCases[] = {
    {"server edit keeping LAST-MODIFIED", Origin::kServer, Edit::kServerKeepsLastModified},
    {"server edit 1 s after a run", Origin::kServer, Edit::kServerNow},
    {"server edit dated before the run", Origin::kServer, Edit::kServerOlder},
    {"local edit 1 s after a run", Origin::kServer, Edit::kLocal},
    {"local edit 1 s after uploading", Origin::kOutlook, Edit::kLocal},
    {"server edit of an uploaded event keeping LAST-MODIFIED", Origin::kOutlook,
     Edit::kServerKeepsLastModified},
    {"server edit of an uploaded event 1 s after a run", Origin::kOutlook, Edit::kServerNow},
};

std::string UtcText(int seconds_from_now) {
    return DateTime::NowUtc().AddSeconds(seconds_from_now).Format("%Y%m%dT%H%M%SZ");
}

class ChangeDetection : public ::testing::TestWithParam<DavServerKind> {
  protected:
    void SetUp() override {
        world_ = std::make_unique<CalendarWorld>(GetParam());
        std::string error;
        if (!world_->Start(&error)) {
            if (testing_support::AreServersRequired())
                FAIL() << error;
            GTEST_SKIP() << "the server did not start: " << error;
        }
    }

    // The server text with a new SUMMARY and, unless `last_modified` is empty, a new LAST-MODIFIED.
    void EditOnServer(const std::string& href, const std::string& summary, const std::string& last_modified) {
        const calendar_test::HttpAnswer current = world_->other().Send("GET", href);
        ASSERT_EQ(current.status, 200) << href;
        std::string text = std::regex_replace(calendar_test::Unfold(current.body),
                                              std::regex("\r\nSUMMARY[;:][^\r]*"), "\r\nSUMMARY:" + summary);
        if (!last_modified.empty()) {
            text = std::regex_replace(text, std::regex("\r\nLAST-MODIFIED:[^\r]*"),
                                      "\r\nLAST-MODIFIED:" + last_modified);
        }
        const int status = world_->other().PutEvent(href, text);
        ASSERT_TRUE(status == 201 || status == 204) << href << " " << status;
    }

    std::unique_ptr<CalendarWorld> world_;
};

TEST_P(ChangeDetection, EveryEditArrivesWhateverItsDates) {
    const std::string calendar_href = world_->Home() + "calendar/";
    const auto calendar = world_->DefaultCalendar();
    std::vector<std::string> hrefs;
    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        const std::string name = "Case " + std::to_string(i);
        const std::string day = "203203" + std::string(i < 9 ? "0" : "") + std::to_string(i + 1);
        if (kCases[i].origin == Origin::kServer) {
            hrefs.push_back(calendar_href + "case" + std::to_string(i) + ".ics");
            ASSERT_EQ(world_->other().PutEvent(hrefs.back(), "case" + std::to_string(i), name, day), 201);
        } else {
            const auto appointment = world_->AddAppointment(
                calendar.get(), name, DateTime::FromParts(2032, 3, static_cast<int>(i) + 1, 9));
            std::string id;
            ASSERT_EQ(appointment->get_GlobalAppointmentID(&id), S_OK);
            hrefs.push_back(calendar_href + id + ".ics");
        }
    }
    world_->Run();
    ASSERT_EQ(world_->PairedHref(calendar.get()), calendar_href);
    std::this_thread::sleep_for(std::chrono::seconds(1));

    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        SCOPED_TRACE(kCases[i].name);
        const std::string edited = "Edited " + std::to_string(i);
        switch (kCases[i].edit) {
            case Edit::kServerKeepsLastModified:
                EditOnServer(hrefs[i], edited, "");
                break;
            case Edit::kServerNow:
                EditOnServer(hrefs[i], edited, UtcText(0));
                break;
            case Edit::kServerOlder:
                EditOnServer(hrefs[i], edited, UtcText(-3600));
                break;
            case Edit::kLocal: {
                const auto appointment = world_->FindAppointment(calendar.get(), "Case " + std::to_string(i));
                ASSERT_NE(appointment, nullptr);
                ASSERT_EQ(appointment->put_Subject(edited), S_OK);
                ASSERT_EQ(appointment->Save(), S_OK);
                break;
            }
        }
    }
    world_->Run();

    for (std::size_t i = 0; i < std::size(kCases); ++i) {
        SCOPED_TRACE(kCases[i].name);
        const std::string edited = "Edited " + std::to_string(i);
        EXPECT_NE(world_->FindAppointment(calendar.get(), edited), nullptr);
        EXPECT_NE(calendar_test::Unfold(world_->other().Send("GET", hrefs[i]).body).find("SUMMARY:" + edited),
                  std::string::npos);
    }
    EXPECT_EQ(world_->Subjects(calendar.get()).size(), std::size(kCases));

    // Carried across, each edit is now the state of both sides: a further run writes nothing.
    auto counter = std::make_shared<calendar_test::RequestCounter>();
    world_->Run(nullptr, nullptr, calendar_test::RefusingFactory({}, 0, counter));
    EXPECT_EQ(counter->by_method["PUT"], 0);
    EXPECT_EQ(counter->by_method["DELETE"], 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, ChangeDetection,
                         ::testing::Values(DavServerKind::kRadicale, DavServerKind::kApacheDigest,
                                           DavServerKind::kXandikos),
                         testing_support::NameOfDavServerKind);

}  // namespace
