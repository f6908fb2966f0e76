// IMessage: the MAPI view of an appointment (from AppointmentItem::get_MAPIOBJECT with MapiMessage::kIid).
// It works on the same item: SaveChanges stores the item as Save does.
#pragma once

#include "outlook/com_ptr.h"
#include "outlook/mapi_prop.h"
#include "outlook/mapi_table.h"
#include "outlook/unknown.h"

namespace outlook {

class MapiMessage : public IUnknown {
  public:
    // IID_IMessage.
    static constexpr Iid kIid = "{00020307-0000-0000-C000-000000000046}";

    // Fails: MAPI_E_NOT_FOUND when the property is not set.
    [[nodiscard]] virtual HRESULT GetProp(PropTag tag, PropValue* out) = 0;
    // Fails: E_INVALIDARG when the value does not fit the tag's type.
    [[nodiscard]] virtual HRESULT SetProp(const PropValue& value) = 0;
    // Stores the changes (flags: KEEP_OPEN_READWRITE keeps the message usable; it always is here).
    [[nodiscard]] virtual HRESULT SaveChanges(std::uint32_t flags) = 0;
    // Rows of PR_ROWID, PR_DISPLAY_NAME_W, PR_EMAIL_ADDRESS_W, PR_RECIPIENT_TYPE, PR_RECIPIENT_FLAGS and
    // PR_RECIPIENT_TRACKSTATUS, one per recipient in Recipients order.
    [[nodiscard]] virtual HRESULT GetRecipientTable(std::uint32_t flags, ComPtr<MapiTable>* out) = 0;
    // With MODRECIP_MODIFY: each row names a recipient by PR_ROWID; its other columns are written.
    // Fails: E_INVALIDARG for other flags or a row without PR_ROWID; MAPI_E_NOT_FOUND for an unknown
    // row id.
    [[nodiscard]] virtual HRESULT ModifyRecipients(std::uint32_t flags, const RowSet& rows) = 0;

  protected:
    ~MapiMessage() = default;
};

// MAPI's helpers of those names.
[[nodiscard]] inline HRESULT HrGetOneProp(MapiMessage* message, PropTag tag, PropValue* out) {
    return message == nullptr ? E_POINTER : message->GetProp(tag, out);
}
[[nodiscard]] inline HRESULT HrSetOneProp(MapiMessage* message, const PropValue& value) {
    return message == nullptr ? E_POINTER : message->SetProp(value);
}

}  // namespace outlook
