// One toolbar of the host's main window and its buttons. Buttons last as long as the session: every
// control is temporary here.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/application_object.h"
#include "host/command_bar_button_object.h"
#include "host/internal/com_object.h"
#include "outlook/command_bar.h"

namespace host {

class CommandBarObject : public internal::ComObject<outlook::CommandBar> {
  public:
    CommandBarObject(ApplicationObject* app, std::string name);

    // The buttons not deleted, in order. Ownership: shared references.
    std::vector<outlook::ComPtr<CommandBarButtonObject>> Buttons() const;
    outlook::ComPtr<CommandBarButtonObject> AddButton(std::int32_t id);

    [[nodiscard]] HRESULT get_Name(std::string* out) override;
    [[nodiscard]] HRESULT get_Controls(outlook::ComPtr<outlook::CommandBarControls>* out) override;
    [[nodiscard]] HRESULT FindControl(outlook::MsoControlType type, std::int32_t id, const std::string& tag,
                                      outlook::ComPtr<outlook::CommandBarControl>* out) override;

  private:
    // Not a counted reference: the application owns its window's bars and buttons.
    ApplicationObject* app_;
    std::string name_;
    std::vector<outlook::ComPtr<CommandBarButtonObject>> buttons_;
    std::int32_t next_key_ = 0;
};

}  // namespace host
