// The MAPI view of an appointment: tagged properties (shared with the property accessor's proptag
// names) and the recipient table, over the owner's record.
#pragma once

#include <cstdint>
#include <string>

#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "outlook/mapi_message.h"

namespace host {

class MapiMessageObject : public internal::ComObject<outlook::MapiMessage> {
  public:
    explicit MapiMessageObject(RecordOwner* owner);

    // The record key of a tag ("tag/0C1F001F").
    static std::string TagKey(outlook::PropTag tag);

    [[nodiscard]] HRESULT GetProp(outlook::PropTag tag, outlook::PropValue* out) override;
    [[nodiscard]] HRESULT SetProp(const outlook::PropValue& value) override;
    [[nodiscard]] HRESULT SaveChanges(std::uint32_t flags) override;
    [[nodiscard]] HRESULT GetRecipientTable(std::uint32_t flags,
                                            outlook::ComPtr<outlook::MapiTable>* out) override;
    [[nodiscard]] HRESULT ModifyRecipients(std::uint32_t flags, const outlook::RowSet& rows) override;

  private:
    outlook::ComPtr<outlook::IUnknown> keep_;
    RecordOwner* owner_;
};

}  // namespace host
