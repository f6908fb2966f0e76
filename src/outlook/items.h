// _Items: the items of one folder, in a stable order (the order they were first saved in).
#pragma once

#include <cstdint>
#include <memory>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"
#include "outlook/items_events.h"

namespace outlook {

class Items : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063041-0000-0000-C000-000000000046}";

    // Saved items only: a new item counts once it has been saved.
    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..Count.
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<IDispatch>* out) = 0;
    // A new unsaved item of the folder's default type, or of `type`. Fails: E_INVALIDARG for a type the
    // folder cannot hold (an appointment in a contacts folder).
    [[nodiscard]] virtual HRESULT Add(ComPtr<IDispatch>* out) = 0;
    [[nodiscard]] virtual HRESULT Add(OlItemType type, ComPtr<IDispatch>* out) = 0;
    // Walks the collection. S_OK with an empty *out past the end (Outlook's Nothing).
    [[nodiscard]] virtual HRESULT GetFirst(ComPtr<IDispatch>* out) = 0;
    [[nodiscard]] virtual HRESULT GetNext(ComPtr<IDispatch>* out) = 0;

    // ItemsEvents of the folder.
    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<ItemsEvents>& sink, EventCookie* cookie) = 0;
    [[nodiscard]] virtual HRESULT Unadvise(EventCookie cookie) = 0;

  protected:
    ~Items() = default;
};

}  // namespace outlook
