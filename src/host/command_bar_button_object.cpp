#include "host/command_bar_button_object.h"

#include "host/fault_hook.h"
#include "outlook/status.h"

namespace host {
namespace {

template <class T>
HRESULT Read(const char* member, const T& value, T* out) {
    HRESULT hr = CheckFault(member);
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = value;
    return S_OK;
}

template <class T>
HRESULT Write(const char* member, const T& value, T* field) {
    HRESULT hr = CheckFault(member);
    if (SUCCEEDED(hr)) {
        *field = value;
    }
    return hr;
}

}  // namespace

CommandBarButtonObject::CommandBarButtonObject(ApplicationObject* app, std::int32_t id, std::string key)
    : app_(app), id_(id), key_(std::move(key)) {}

HRESULT CommandBarButtonObject::get_Caption(std::string* out) {
    return Read("CommandBarControl.get_Caption", caption_, out);
}
HRESULT CommandBarButtonObject::put_Caption(const std::string& value) {
    return Write("CommandBarControl.put_Caption", value, &caption_);
}
HRESULT CommandBarButtonObject::get_Enabled(bool* out) {
    return Read("CommandBarControl.get_Enabled", enabled_, out);
}
HRESULT CommandBarButtonObject::put_Enabled(bool value) {
    return Write("CommandBarControl.put_Enabled", value, &enabled_);
}
HRESULT CommandBarButtonObject::get_Visible(bool* out) {
    return Read("CommandBarControl.get_Visible", visible_, out);
}
HRESULT CommandBarButtonObject::put_Visible(bool value) {
    return Write("CommandBarControl.put_Visible", value, &visible_);
}
HRESULT CommandBarButtonObject::get_Tag(std::string* out) {
    return Read("CommandBarControl.get_Tag", tag_, out);
}
HRESULT CommandBarButtonObject::put_Tag(const std::string& value) {
    return Write("CommandBarControl.put_Tag", value, &tag_);
}
HRESULT CommandBarButtonObject::get_TooltipText(std::string* out) {
    return Read("CommandBarControl.get_TooltipText", tooltip_, out);
}
HRESULT CommandBarButtonObject::put_TooltipText(const std::string& value) {
    return Write("CommandBarControl.put_TooltipText", value, &tooltip_);
}
HRESULT CommandBarButtonObject::get_Style(outlook::MsoButtonStyle* out) {
    return Read("CommandBarButton.get_Style", style_, out);
}
HRESULT CommandBarButtonObject::put_Style(outlook::MsoButtonStyle value) {
    return Write("CommandBarButton.put_Style", value, &style_);
}
HRESULT CommandBarButtonObject::put_Picture(const std::vector<std::uint8_t>& bitmap) {
    return Write("CommandBarButton.put_Picture", bitmap, &picture_);
}

HRESULT CommandBarButtonObject::Delete() {
    HRESULT hr = CheckFault("CommandBarControl.Delete");
    if (SUCCEEDED(hr)) {
        deleted_ = true;
    }
    return hr;
}

HRESULT CommandBarButtonObject::Execute() {
    HRESULT hr = CheckFault("CommandBarControl.Execute");
    if (FAILED(hr)) {
        return hr;
    }
    if (!enabled_ || deleted_) {
        return outlook::MAPI_E_NO_SUPPORT;
    }
    outlook::ComPtr<CommandBarButtonObject> keep(this);
    for (const auto& sink : app_->events().SinksFor<outlook::CommandBarButtonEvents>(key_)) {
        bool cancel_default = false;
        sink->Click(this, &cancel_default);
    }
    return S_OK;
}

HRESULT CommandBarButtonObject::Advise(const std::shared_ptr<outlook::CommandBarButtonEvents>& sink,
                                       outlook::EventCookie* cookie) {
    return app_->events().Advise(key_, sink, cookie);
}

HRESULT CommandBarButtonObject::Unadvise(outlook::EventCookie cookie) {
    return app_->events().Unadvise<outlook::CommandBarButtonEvents>(cookie);
}

}  // namespace host
