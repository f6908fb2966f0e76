// _Application: the root of the object model.
#pragma once

#include <memory>

#include "outlook/application_events.h"
#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"

namespace outlook {

class Explorer;
class NameSpace;
class TimeZones;

class Application : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063001-0000-0000-C000-000000000046}";

    // The MAPI namespace (one per application).
    [[nodiscard]] virtual HRESULT get_Session(ComPtr<NameSpace>* out) = 0;
    // The main window. Fails: MAPI_E_NOT_FOUND when the session has no window.
    [[nodiscard]] virtual HRESULT ActiveExplorer(ComPtr<Explorer>* out) = 0;
    // A new unsaved item of `type` (olAppointmentItem, olContactItem, olDistributionListItem) that
    // belongs to the type's default folder until moved. Fails: E_INVALIDARG for another type.
    [[nodiscard]] virtual HRESULT CreateItem(OlItemType type, ComPtr<IDispatch>* out) = 0;
    // The time zones Outlook knows, by Windows zone ID.
    [[nodiscard]] virtual HRESULT get_TimeZones(ComPtr<TimeZones>* out) = 0;

    // Connects a sink to the application events. Fails: E_POINTER for a null sink.
    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<ApplicationEvents>& sink,
                                         EventCookie* cookie) = 0;
    // Fails: CONNECT_E_NOCONNECTION for an unknown cookie.
    [[nodiscard]] virtual HRESULT Unadvise(EventCookie cookie) = 0;

  protected:
    ~Application() = default;
};

}  // namespace outlook
