// A recipient: an attendee in an owner's record (found by its row id at each call), or a free one
// made by CreateRecipient or handed out as a list member.
#pragma once

#include <cstdint>
#include <string>

#include "host/application_object.h"
#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "outlook/recipient.h"

namespace host {

class RecipientObject : public internal::ComObject<outlook::Recipient> {
  public:
    // An attendee of `owner`.
    RecipientObject(RecordOwner* owner, std::int32_t row_id);
    // A free recipient with its own values ("Name", "Address", "Resolved", "EntryID").
    RecipientObject(outlook::ComPtr<ApplicationObject> app, PropertyBag values);

    // Fills name, address, entry id and the resolved flag of `values` from its "Name". False when the
    // text does not resolve.
    static bool ResolveValues(ApplicationObject* app, PropertyBag* values);
    // The values of a recipient object of this host (copies), for AddMember and RemoveMember.
    static bool ValuesOf(outlook::Recipient* recipient, PropertyBag* out);

    [[nodiscard]] HRESULT get_Address(std::string* out) override;
    [[nodiscard]] HRESULT get_Name(std::string* out) override;
    [[nodiscard]] HRESULT get_EntryID(std::string* out) override;
    [[nodiscard]] HRESULT get_Resolved(bool* out) override;
    [[nodiscard]] HRESULT Resolve(bool* out) override;
    [[nodiscard]] HRESULT get_Type(outlook::OlMeetingRecipientType* out) override;
    [[nodiscard]] HRESULT put_Type(outlook::OlMeetingRecipientType value) override;
    [[nodiscard]] HRESULT get_MeetingResponseStatus(outlook::OlResponseStatus* out) override;

  private:
    // The values, or null when the attendee was removed.
    PropertyBag* Values();
    // The fault check of `member`, then this recipient's values (MAPI_E_OBJECT_DELETED once removed).
    HRESULT Open(const char* member, PropertyBag** values);
    HRESULT Get(const char* member, const char* key, std::string* out);

    outlook::ComPtr<outlook::IUnknown> keep_;
    RecordOwner* owner_ = nullptr;
    std::int32_t row_id_ = 0;
    outlook::ComPtr<ApplicationObject> app_;
    PropertyBag own_;
};

}  // namespace host
