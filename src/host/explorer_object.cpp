#include "host/explorer_object.h"

#include "host/command_bars_object.h"
#include "host/fault_hook.h"

namespace host {

ExplorerObject::ExplorerObject(ApplicationObject* app) : app_(app) {
    bars_.push_back(internal::Make<CommandBarObject>(app, "Menu Bar"));
    bars_.push_back(internal::Make<CommandBarObject>(app, "Standard"));
}

HRESULT ExplorerObject::get_Caption(std::string* out) {
    HRESULT hr = CheckFault("Explorer.get_Caption");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = "Calendar - velsync";
    return S_OK;
}

HRESULT ExplorerObject::get_CommandBars(outlook::ComPtr<outlook::CommandBars>* out) {
    HRESULT hr = CheckFault("Explorer.get_CommandBars");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = internal::Make<CommandBarsObject>(bars_);
    return S_OK;
}

HRESULT ExplorerObject::Advise(const std::shared_ptr<outlook::ExplorerEvents>& sink,
                               outlook::EventCookie* cookie) {
    return app_->events().Advise("", sink, cookie);
}

HRESULT ExplorerObject::Unadvise(outlook::EventCookie cookie) {
    return app_->events().Unadvise<outlook::ExplorerEvents>(cookie);
}

}  // namespace host
