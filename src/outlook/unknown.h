// The root of every reference-counted object-model interface, as COM's IUnknown.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/hresult.h"

namespace outlook {

// An interface identifier: the registry form of the GUID, "{00063033-0000-0000-C000-000000000046}".
using Iid = std::string_view;

class IUnknown {
  public:
    static constexpr Iid kIid = "{00000000-0000-0000-C000-000000000046}";

    // Reference counting; the object deletes itself when the count reaches zero. Hold objects with
    // ComPtr rather than calling these directly.
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

    // Sets *out to this object seen as the interface `iid`, with one reference added.
    // Fails: E_NOINTERFACE (and *out null) when the object does not implement it; E_POINTER for null out.
    [[nodiscard]] virtual HRESULT QueryInterface(Iid iid, void** out) = 0;

  protected:
    virtual ~IUnknown() = default;
};

}  // namespace outlook
