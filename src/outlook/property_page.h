// PropertyPage {0006307E-0000-0000-C000-000000000046}: a page of Outlook's Options dialog, created from
// the ProgID an add-in passes to PropertyPages.Add. Outlook runs the page's presenter in its window and
// calls Apply when the user confirms.
#pragma once

#include <functional>

#include "outlook/dispatch.h"
#include "platform/dialog.h"

namespace outlook {

class PropertyPage : public IDispatch {
  public:
    static constexpr Iid kIid = "{0006307E-0000-0000-C000-000000000046}";

    // True after a change by the user that Apply has not saved.
    [[nodiscard]] virtual HRESULT get_Dirty(bool* out) = 0;
    // Saves the page. Fails: E_UNEXPECTED before the page was shown.
    [[nodiscard]] virtual HRESULT Apply() = 0;
    // The page's presenter, which the dialog runs over its controls. Ownership: the page's; valid while the
    // caller holds the page.
    [[nodiscard]] virtual HRESULT GetPresenter(platform::DialogHandler** out) = 0;
    // PropertyPageSite::OnStatusChange: called after each change by the user.
    [[nodiscard]] virtual HRESULT SetStatusChangeListener(std::function<void()> listener) = 0;

  protected:
    ~PropertyPage() = default;
};

}  // namespace outlook
