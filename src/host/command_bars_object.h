// The toolbars of the host's main window: "Menu Bar" and "Standard".
#pragma once

#include <cstdint>
#include <vector>

#include "host/command_bar_object.h"
#include "host/internal/com_object.h"
#include "outlook/command_bars.h"

namespace host {

class CommandBarsObject : public internal::ComObject<outlook::CommandBars> {
  public:
    explicit CommandBarsObject(std::vector<outlook::ComPtr<CommandBarObject>> bars);

    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::CommandBar>* out) override;

  private:
    std::vector<outlook::ComPtr<CommandBarObject>> bars_;
};

}  // namespace host
