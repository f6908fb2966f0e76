// The options page as the COM control Outlook creates from "ZelOutlookAddin.ZelPropPage": the
// PropertyPage calls over the page's presenter, which Outlook runs in the page's window.
#pragma once

#include "addin/guids.h"
#include "outlook/property_page.h"
#include "platform/com_base.h"
#include "ui/zel_prop_page.h"

// IZelPropPage: the control's own dual interface, without methods of its own.
class IZelPropPage : public outlook::IDispatch {
  public:
    static constexpr platform::Iid kIid = IID_IZelPropPage;

  protected:
    ~IZelPropPage() = default;
};

class CZelPropPageControl : public platform::ComObject<outlook::PropertyPage, IZelPropPage>,
                            public platform::DialogHandler {
  public:
    // A new page with one reference, testing connections with the real server. Ownership: the caller's.
    static platform::IUnknown* CreateInstance();

    explicit CZelPropPageControl(ConnectionTest test_connection);

    [[nodiscard]] HRESULT QueryInterface(platform::Iid iid, void** object) override;

    [[nodiscard]] HRESULT get_Dirty(bool* out) override;
    [[nodiscard]] HRESULT Apply() override;
    [[nodiscard]] HRESULT GetPresenter(platform::DialogHandler** out) override;
    [[nodiscard]] HRESULT SetStatusChangeListener(std::function<void()> listener) override;

    // The presenter: remembers the window it is shown in, for Apply.
    void OnInitDialog(platform::DialogWindow& window) override;
    void OnCommand(platform::DialogWindow& window, int control_id, int notification) override;

  protected:
    ~CZelPropPageControl() override;

  private:
    CZelPropPage m_page;
    platform::DialogWindow* m_window = nullptr;  // not owned; the window outlives the page's use of it
};
