// _Explorer: Outlook's main window.
#pragma once

#include <memory>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/explorer_events.h"

namespace outlook {

class CommandBars;

class Explorer : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063003-0000-0000-C000-000000000046}";

    // The window title.
    [[nodiscard]] virtual HRESULT get_Caption(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_CommandBars(ComPtr<CommandBars>* out) = 0;

    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<ExplorerEvents>& sink,
                                         EventCookie* cookie) = 0;
    [[nodiscard]] virtual HRESULT Unadvise(EventCookie cookie) = 0;

  protected:
    ~Explorer() = default;
};

}  // namespace outlook
