// The attendees of an appointment, over the owner's record (kept by the owner's Save).
#pragma once

#include <cstdint>
#include <string>

#include "host/internal/com_object.h"
#include "host/record_owner.h"
#include "outlook/recipients.h"

namespace host {

class RecipientsObject : public internal::ComObject<outlook::Recipients> {
  public:
    explicit RecipientsObject(RecordOwner* owner);

    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::Recipient>* out) override;
    [[nodiscard]] HRESULT Add(const std::string& name, outlook::ComPtr<outlook::Recipient>* out) override;
    [[nodiscard]] HRESULT Remove(std::int32_t index) override;
    [[nodiscard]] HRESULT ResolveAll(bool* out) override;

  private:
    outlook::ComPtr<outlook::IUnknown> keep_;
    RecordOwner* owner_;
};

}  // namespace host
