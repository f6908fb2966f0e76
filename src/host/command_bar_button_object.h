// A toolbar button of the host's main window. Execute is a click.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/application_object.h"
#include "host/internal/com_object.h"
#include "outlook/command_bar_button.h"

namespace host {

class CommandBarButtonObject
    : public internal::ComObject<outlook::CommandBarButton, outlook::CommandBarControl> {
  public:
    CommandBarButtonObject(ApplicationObject* app, std::int32_t id, std::string key);

    std::int32_t id() const { return id_; }
    bool deleted() const { return deleted_; }
    const std::string& tag() const { return tag_; }

    [[nodiscard]] HRESULT get_Caption(std::string* out) override;
    [[nodiscard]] HRESULT put_Caption(const std::string& value) override;
    [[nodiscard]] HRESULT get_Enabled(bool* out) override;
    [[nodiscard]] HRESULT put_Enabled(bool value) override;
    [[nodiscard]] HRESULT get_Visible(bool* out) override;
    [[nodiscard]] HRESULT put_Visible(bool value) override;
    [[nodiscard]] HRESULT get_Tag(std::string* out) override;
    [[nodiscard]] HRESULT put_Tag(const std::string& value) override;
    [[nodiscard]] HRESULT get_TooltipText(std::string* out) override;
    [[nodiscard]] HRESULT put_TooltipText(const std::string& value) override;
    [[nodiscard]] HRESULT Delete() override;
    [[nodiscard]] HRESULT Execute() override;
    [[nodiscard]] HRESULT get_Style(outlook::MsoButtonStyle* out) override;
    [[nodiscard]] HRESULT put_Style(outlook::MsoButtonStyle value) override;
    [[nodiscard]] HRESULT put_Picture(const std::vector<std::uint8_t>& bitmap) override;
    [[nodiscard]] HRESULT Advise(const std::shared_ptr<outlook::CommandBarButtonEvents>& sink,
                                 outlook::EventCookie* cookie) override;
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    // Not a counted reference: the application owns its window's bars and buttons.
    ApplicationObject* app_;
    std::int32_t id_;
    std::string key_;
    std::string caption_;
    std::string tag_;
    std::string tooltip_;
    bool enabled_ = true;
    bool visible_ = true;
    bool deleted_ = false;
    outlook::MsoButtonStyle style_ = outlook::msoButtonCaption;
    std::vector<std::uint8_t> picture_;
};

}  // namespace host
