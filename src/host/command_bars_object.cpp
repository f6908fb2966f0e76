#include "host/command_bars_object.h"

#include "host/fault_hook.h"
#include "outlook/status.h"

namespace host {

CommandBarsObject::CommandBarsObject(std::vector<outlook::ComPtr<CommandBarObject>> bars)
    : bars_(std::move(bars)) {}

HRESULT CommandBarsObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("CommandBars.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<std::int32_t>(bars_.size());
    return S_OK;
}

HRESULT CommandBarsObject::Item(std::int32_t index, outlook::ComPtr<outlook::CommandBar>* out) {
    HRESULT hr = CheckFault("CommandBars.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (index < 1 || static_cast<std::size_t>(index) > bars_.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    *out = bars_[static_cast<std::size_t>(index - 1)];
    return S_OK;
}

}  // namespace host
