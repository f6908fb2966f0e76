#include "host/command_bar_object.h"

#include "host/command_bar_controls_object.h"
#include "host/fault_hook.h"

namespace host {

CommandBarObject::CommandBarObject(ApplicationObject* app, std::string name)
    : app_(app), name_(std::move(name)) {}

std::vector<outlook::ComPtr<CommandBarButtonObject>> CommandBarObject::Buttons() const {
    std::vector<outlook::ComPtr<CommandBarButtonObject>> live;
    for (const auto& button : buttons_) {
        if (!button->deleted()) {
            live.push_back(button);
        }
    }
    return live;
}

outlook::ComPtr<CommandBarButtonObject> CommandBarObject::AddButton(std::int32_t id) {
    auto button = internal::Make<CommandBarButtonObject>(app_, id, name_ + "/" + std::to_string(++next_key_));
    buttons_.push_back(button);
    return button;
}

HRESULT CommandBarObject::get_Name(std::string* out) {
    HRESULT hr = CheckFault("CommandBar.get_Name");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = name_;
    return S_OK;
}

HRESULT CommandBarObject::get_Controls(outlook::ComPtr<outlook::CommandBarControls>* out) {
    HRESULT hr = CheckFault("CommandBar.get_Controls");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = internal::Make<CommandBarControlsObject>(outlook::ComPtr<CommandBarObject>(this));
    return S_OK;
}

HRESULT CommandBarObject::FindControl(outlook::MsoControlType type, std::int32_t id, const std::string& tag,
                                      outlook::ComPtr<outlook::CommandBarControl>* out) {
    HRESULT hr = CheckFault("CommandBar.FindControl");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (type != outlook::msoControlButton) {
        return S_OK;
    }
    for (const auto& button : Buttons()) {
        if (button->id() == id && (tag.empty() || button->tag() == tag)) {
            *out = button;
            break;
        }
    }
    return S_OK;
}

}  // namespace host
