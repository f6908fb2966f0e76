// PropertyPages: the collection the Options dialog hands to OptionsPagesAdd.
#pragma once

#include <string>

#include "outlook/dispatch.h"

namespace outlook {

class PropertyPages : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063080-0000-0000-C000-000000000046}";

    // Adds the page of the class registered under `prog_id` with the tab title `title`.
    // Fails: E_INVALIDARG for an empty ProgID.
    [[nodiscard]] virtual HRESULT Add(const std::string& prog_id, const std::string& title) = 0;

  protected:
    ~PropertyPages() = default;
};

}  // namespace outlook
