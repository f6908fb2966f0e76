// A distribution list: its name and members (kept with the list's Save).
#pragma once

#include <cstdint>
#include <string>

#include "host/item_object.h"
#include "outlook/dist_list_item.h"

namespace host {

class DistListObject : public ItemObject<outlook::DistListItem> {
  public:
    DistListObject(outlook::ComPtr<ApplicationObject> app, ItemRecord record);

    [[nodiscard]] HRESULT get_DLName(std::string* out) override;
    [[nodiscard]] HRESULT put_DLName(const std::string& value) override;
    [[nodiscard]] HRESULT get_MemberCount(std::int32_t* out) override;
    [[nodiscard]] HRESULT GetMember(std::int32_t index, outlook::ComPtr<outlook::Recipient>* out) override;
    [[nodiscard]] HRESULT AddMember(outlook::Recipient* recipient) override;
    [[nodiscard]] HRESULT RemoveMember(outlook::Recipient* recipient) override;
};

}  // namespace host
