// The host's main window: its title and toolbars.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/application_object.h"
#include "host/command_bar_object.h"
#include "host/internal/com_object.h"
#include "outlook/explorer.h"

namespace host {

class ExplorerObject : public internal::ComObject<outlook::Explorer> {
  public:
    explicit ExplorerObject(ApplicationObject* app);

    [[nodiscard]] HRESULT get_Caption(std::string* out) override;
    [[nodiscard]] HRESULT get_CommandBars(outlook::ComPtr<outlook::CommandBars>* out) override;
    [[nodiscard]] HRESULT Advise(const std::shared_ptr<outlook::ExplorerEvents>& sink,
                                 outlook::EventCookie* cookie) override;
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    // Not a counted reference: the application owns the explorer.
    ApplicationObject* app_;
    std::vector<outlook::ComPtr<CommandBarObject>> bars_;
};

}  // namespace host
