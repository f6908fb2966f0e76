// Small helpers shared by the contact tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contacts/readonly_guards.h"
#include "settings/addin_exception.h"
#include "support/host_outlook.h"
#include "support/scoped_time_zone.h"

namespace contacts_test {

using testing_support::Fields;
using testing_support::HostOutlook;
using testing_support::ScopedTimeZone;

// Records what the synchronization asked of the read-only guards.
class RecordingGuards : public IReadonlyGuards {
  public:
    void SetFolderReadonly(const std::string& folder_entry_id, bool readonly) override {
        calls += "readonly(" + folder_entry_id + "," + (readonly ? "1" : "0") + ");";
    }
    void RegisterOwnChange(const std::string& item_id) override { calls += "own(" + item_id + ");"; }
    void ClearOwnChanges() override { calls += "clear;"; }
    std::string calls;
};

// The error the call throws, or none.
template <class Call>
std::optional<CAddinException> ErrorOf(Call call) {
    try {
        call();
    } catch (const CAddinException& error) {
        return error;
    }
    return std::nullopt;
}

}  // namespace contacts_test
