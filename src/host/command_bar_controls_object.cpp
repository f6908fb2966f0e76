#include "host/command_bar_controls_object.h"

#include "host/fault_hook.h"
#include "outlook/status.h"

namespace host {

CommandBarControlsObject::CommandBarControlsObject(outlook::ComPtr<CommandBarObject> bar)
    : bar_(std::move(bar)) {}

HRESULT CommandBarControlsObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("CommandBarControls.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<std::int32_t>(bar_->Buttons().size());
    return S_OK;
}

HRESULT CommandBarControlsObject::Item(std::int32_t index, outlook::ComPtr<outlook::CommandBarControl>* out) {
    HRESULT hr = CheckFault("CommandBarControls.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    const auto buttons = bar_->Buttons();
    if (index < 1 || static_cast<std::size_t>(index) > buttons.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    *out = buttons[static_cast<std::size_t>(index - 1)];
    return S_OK;
}

HRESULT CommandBarControlsObject::Add(outlook::MsoControlType type, std::int32_t id, bool /*temporary*/,
                                      outlook::ComPtr<outlook::CommandBarControl>* out) {
    HRESULT hr = CheckFault("CommandBarControls.Add");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (type != outlook::msoControlButton) {
        return E_INVALIDARG;
    }
    *out = bar_->AddButton(id);
    return S_OK;
}

}  // namespace host
