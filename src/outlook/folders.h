// _Folders: the direct sub-folders of one folder, in a stable order (creation order).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/folders_events.h"

namespace outlook {

class MAPIFolder;

class Folders : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063040-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Count(std::int32_t* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..Count.
    [[nodiscard]] virtual HRESULT Item(std::int32_t index, ComPtr<MAPIFolder>* out) = 0;
    // Creates a sub-folder holding the parent's item type. Fails: E_INVALIDARG for an empty name;
    // MAPI_E_COLLISION when a sibling has the name already (compared without regard to ASCII case).
    [[nodiscard]] virtual HRESULT Add(const std::string& name, ComPtr<MAPIFolder>* out) = 0;
    // S_OK with an empty *out past the end.
    [[nodiscard]] virtual HRESULT GetFirst(ComPtr<MAPIFolder>* out) = 0;
    [[nodiscard]] virtual HRESULT GetNext(ComPtr<MAPIFolder>* out) = 0;

    // FoldersEvents of the parent folder.
    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<FoldersEvents>& sink, EventCookie* cookie) = 0;
    [[nodiscard]] virtual HRESULT Unadvise(EventCookie cookie) = 0;

  protected:
    ~Folders() = default;
};

}  // namespace outlook
