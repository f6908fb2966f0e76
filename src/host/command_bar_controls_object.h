// The controls of one toolbar.
#pragma once

#include <cstdint>

#include "host/command_bar_object.h"
#include "host/internal/com_object.h"
#include "outlook/command_bar_controls.h"

namespace host {

class CommandBarControlsObject : public internal::ComObject<outlook::CommandBarControls> {
  public:
    explicit CommandBarControlsObject(outlook::ComPtr<CommandBarObject> bar);

    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::CommandBarControl>* out) override;
    [[nodiscard]] HRESULT Add(outlook::MsoControlType type, std::int32_t id, bool temporary,
                              outlook::ComPtr<outlook::CommandBarControl>* out) override;

  private:
    outlook::ComPtr<CommandBarObject> bar_;
};

}  // namespace host
