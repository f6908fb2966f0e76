// Events fire for every change, synchronously, and a handler's Cancel stops the change.
#include <memory>
#include <vector>

#include "host_fixture.h"
#include "outlook/command_bar.h"
#include "outlook/command_bar_button.h"
#include "outlook/command_bar_controls.h"
#include "outlook/command_bars.h"
#include "outlook/explorer.h"
#include "outlook/folder_events.h"
#include "outlook/folders_events.h"
#include "outlook/item_events.h"
#include "outlook/items_events.h"

namespace host_test {
namespace {

// Records every event it gets; cancels item moves when told to.
class Recorder : public outlook::ItemEvents,
                 public outlook::ItemsEvents,
                 public outlook::FolderEvents,
                 public outlook::FoldersEvents {
  public:
    void Write(bool* cancel) override {
        log.push_back("Write");
        *cancel = false;
    }
    void BeforeDelete(outlook::IDispatch* item, bool* cancel) override {
        log.push_back(item != nullptr ? "BeforeDelete" : "BeforeDelete(null)");
        *cancel = false;
    }
    void ItemAdd(outlook::IDispatch* item) override {
        log.push_back(item != nullptr ? "ItemAdd" : "ItemAdd(null)");
    }
    void ItemChange(outlook::IDispatch*) override { log.push_back("ItemChange"); }
    void ItemRemove() override { log.push_back("ItemRemove"); }
    void BeforeFolderMove(outlook::MAPIFolder* move_to, bool* cancel) override {
        log.push_back(move_to != nullptr ? "BeforeFolderMove" : "BeforeFolderMove(delete)");
        *cancel = false;
    }
    void BeforeItemMove(outlook::IDispatch*, outlook::MAPIFolder* move_to, bool* cancel) override {
        log.push_back(move_to != nullptr ? "BeforeItemMove" : "BeforeItemMove(delete)");
        *cancel = cancel_item_move;
    }
    void FolderAdd(outlook::MAPIFolder*) override { log.push_back("FolderAdd"); }
    void FolderChange(outlook::MAPIFolder*) override { log.push_back("FolderChange"); }
    void FolderRemove() override { log.push_back("FolderRemove"); }

    std::vector<std::string> log;
    bool cancel_item_move = false;
};

class ObjectModelEvents : public HostTest {
  protected:
    void SetUp() override {
        HostTest::SetUp();
        calendar_ = Folder(outlook::olFolderCalendar);
        ASSERT_EQ(ItemsOf(calendar_.get())->Advise(Sink<outlook::ItemsEvents>(), &items_cookie_), S_OK);
        ASSERT_EQ(calendar_->Advise(Sink<outlook::FolderEvents>(), &cookie_), S_OK);
        ASSERT_EQ(PROP(calendar_, Folders)->Advise(Sink<outlook::FoldersEvents>(), &cookie_), S_OK);
    }

    // The recorder as the sink interface `I`.
    template <class I>
    std::shared_ptr<I> Sink() {
        return std::shared_ptr<I>(recorder_, recorder_.get());
    }

    ComPtr<outlook::AppointmentItem> SavedAppointment() {
        auto appointment = NewAppointment("Event");
        EXPECT_EQ(appointment->Save(), S_OK);
        EXPECT_EQ(appointment->Advise(Sink<outlook::ItemEvents>(), &cookie_), S_OK);
        recorder_->log.clear();
        return appointment;
    }

    std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>();
    ComPtr<outlook::MAPIFolder> calendar_;
    outlook::EventCookie items_cookie_ = 0;
    outlook::EventCookie cookie_ = 0;
};

// Cancelling is the read-only guards' business and their tests show it; these show the order of the events.
TEST_F(ObjectModelEvents, ItemEventsComeInOutlooksOrderAndReachEveryObjectOfTheItem) {
    auto appointment = NewAppointment("New");
    EXPECT_TRUE(recorder_->log.empty());  // nothing before Save
    ASSERT_EQ(appointment->Save(), S_OK);
    EXPECT_EQ(recorder_->log, (std::vector<std::string>{"ItemAdd"}));
    ASSERT_EQ(appointment->Advise(Sink<outlook::ItemEvents>(), &cookie_), S_OK);
    recorder_->log.clear();

    // A change made through another object for the same item reaches the same item sinks.
    auto other = FirstAppointment();
    ASSERT_EQ(other->put_Subject("Edited"), S_OK);
    ASSERT_EQ(other->Save(), S_OK);
    recorder_->cancel_item_move = true;
    EXPECT_EQ(appointment->Delete(), outlook::MAPI_E_USER_CANCEL);
    EXPECT_EQ(CountOf(calendar_.get()), 1);
    recorder_->cancel_item_move = false;
    ASSERT_EQ(appointment->Delete(), S_OK);
    EXPECT_EQ(recorder_->log,
              (std::vector<std::string>{"Write", "ItemChange", "BeforeDelete", "BeforeItemMove(delete)",
                                        "BeforeDelete", "BeforeItemMove(delete)", "ItemRemove"}));
    EXPECT_EQ(CountOf(calendar_.get()), 0);
    EXPECT_EQ(appointment->Delete(), outlook::MAPI_E_OBJECT_DELETED);
}

TEST_F(ObjectModelEvents, MovesAndFolderChangesAreReportedToTheSourceFolder) {
    ComPtr<outlook::MAPIFolder> target;
    ASSERT_EQ(PROP(calendar_, Folders)->Add("Target", &target), S_OK);
    ASSERT_EQ(target->Advise(Sink<outlook::FolderEvents>(), &cookie_), S_OK);
    auto appointment = SavedAppointment();
    ComPtr<outlook::IDispatch> moved;
    ASSERT_EQ(appointment->Move(target.get(), &moved), S_OK);
    EXPECT_EQ(CountOf(target.get()), 1);
    EXPECT_EQ(CountOf(calendar_.get()), 0);
    ASSERT_EQ(target->put_Name("Renamed"), S_OK);
    ASSERT_EQ(target->Delete(), S_OK);
    EXPECT_EQ(recorder_->log, (std::vector<std::string>{"BeforeItemMove", "ItemRemove", "FolderChange",
                                                        "BeforeFolderMove(delete)", "FolderRemove"}));
}

TEST_F(ObjectModelEvents, UnadvisedAndReleasedSinksHearNothing) {
    auto appointment = NewAppointment("Quiet");
    ASSERT_EQ(ItemsOf(calendar_.get())->Unadvise(items_cookie_), S_OK);
    EXPECT_EQ(ItemsOf(calendar_.get())->Unadvise(items_cookie_), outlook::CONNECT_E_NOCONNECTION);
    ASSERT_EQ(appointment->Save(), S_OK);
    EXPECT_TRUE(recorder_->log.empty());

    // A sink that is gone is skipped, not called.
    auto transient = std::make_shared<Recorder>();
    outlook::EventCookie cookie = 0;
    ASSERT_EQ(ItemsOf(calendar_.get())
                  ->Advise(std::shared_ptr<outlook::ItemsEvents>(transient, transient.get()), &cookie),
              S_OK);
    transient.reset();
    ASSERT_EQ(NewAppointment("Again")->Save(), S_OK);
    EXPECT_EQ(CountOf(calendar_.get()), 2);
    EXPECT_EQ(ItemsOf(calendar_.get())->Advise(nullptr, &cookie), E_POINTER);
}

class ClickCounter : public outlook::CommandBarButtonEvents {
  public:
    void Click(outlook::CommandBarButton*, bool*) override { ++clicks; }
    int clicks = 0;
};

TEST_F(HostTest, DisabledToolbarButtonIsNotClicked) {
    ComPtr<outlook::Explorer> explorer;
    ASSERT_EQ(app_->ActiveExplorer(&explorer), S_OK);
    ComPtr<outlook::CommandBar> bar;
    ASSERT_EQ(PROP(explorer, CommandBars)->Item(1, &bar), S_OK);
    ComPtr<outlook::CommandBarControl> control;
    ASSERT_EQ(PROP(bar, Controls)->Add(outlook::msoControlButton, 1, true, &control), S_OK);
    ComPtr<outlook::CommandBarButton> button;
    ASSERT_EQ(control.As(&button), S_OK);
    auto counter = std::make_shared<ClickCounter>();
    outlook::EventCookie cookie = 0;
    ASSERT_EQ(button->Advise(counter, &cookie), S_OK);
    ASSERT_EQ(control->put_Enabled(false), S_OK);
    EXPECT_EQ(control->Execute(), outlook::MAPI_E_NO_SUPPORT);
    EXPECT_EQ(counter->clicks, 0);
    ASSERT_EQ(control->put_Enabled(true), S_OK);
    ASSERT_EQ(control->Execute(), S_OK);
    EXPECT_EQ(counter->clicks, 1);
}

}  // namespace
}  // namespace host_test
