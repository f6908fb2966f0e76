// The pages collection the options dialog hands to the add-ins (OptionsPagesAdd): what each added.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/internal/com_object.h"
#include "outlook/property_pages.h"

namespace host {

class PropertyPagesObject : public internal::ComObject<outlook::PropertyPages> {
  public:
    [[nodiscard]] HRESULT Add(const std::string& prog_id, const std::string& title) override {
        if (prog_id.empty()) {
            return E_INVALIDARG;
        }
        pages_.emplace_back(prog_id, title);
        return S_OK;
    }
    // (ProgID, title) in the order added.
    const std::vector<std::pair<std::string, std::string>>& pages() const { return pages_; }

  private:
    std::vector<std::pair<std::string, std::string>> pages_;
};

}  // namespace host
