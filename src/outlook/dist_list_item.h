// _DistListItem: a distribution list (a contact group) in a contacts folder.
#pragma once

#include <cstdint>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/outlook_item.h"

namespace outlook {

class Recipient;

class DistListItem : public OutlookItem {
  public:
    static constexpr Iid kIid = "{00063081-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_DLName(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_DLName(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_MemberCount(std::int32_t* out) = 0;
    // Fails: DISP_E_BADINDEX outside 1..MemberCount.
    [[nodiscard]] virtual HRESULT GetMember(std::int32_t index, ComPtr<Recipient>* out) = 0;
    // Adds a resolved recipient (kept until Save). Adding an address already present does nothing.
    // Fails: E_POINTER for null; MAPI_E_NOT_FOUND for an unresolved recipient.
    [[nodiscard]] virtual HRESULT AddMember(Recipient* recipient) = 0;
    // Removes the member with the recipient's address. Fails: MAPI_E_NOT_FOUND when it is no member.
    [[nodiscard]] virtual HRESULT RemoveMember(Recipient* recipient) = 0;

  protected:
    ~DistListItem() = default;
};

}  // namespace outlook
