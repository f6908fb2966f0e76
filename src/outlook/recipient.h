// Recipient: an attendee of a meeting, a member of a distribution list, or a name to resolve.
#pragma once

#include <string>

#include "outlook/dispatch.h"
#include "outlook/enums.h"

namespace outlook {

class Recipient : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063045-0000-0000-C000-000000000046}";

    // The e-mail address once resolved; empty before.
    [[nodiscard]] virtual HRESULT get_Address(std::string* out) = 0;
    // The display name: a contact's FullName when resolved through a contact, else the text given.
    [[nodiscard]] virtual HRESULT get_Name(std::string* out) = 0;
    // Stable hexadecimal key of the resolved address; empty while unresolved.
    [[nodiscard]] virtual HRESULT get_EntryID(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_Resolved(bool* out) = 0;
    // Resolves the text against the contacts (FullName, e-mail addresses) and, failing that, as an
    // e-mail address of the form local@domain. *out false when it does not resolve.
    [[nodiscard]] virtual HRESULT Resolve(bool* out) = 0;
    [[nodiscard]] virtual HRESULT get_Type(OlMeetingRecipientType* out) = 0;
    [[nodiscard]] virtual HRESULT put_Type(OlMeetingRecipientType value) = 0;
    // The attendee's answer (the recipient-track-status column of the recipient table).
    [[nodiscard]] virtual HRESULT get_MeetingResponseStatus(OlResponseStatus* out) = 0;

  protected:
    ~Recipient() = default;
};

}  // namespace outlook
