// A table of rows taken when the table was asked for.
#pragma once

#include "host/internal/com_object.h"
#include "outlook/mapi_table.h"

namespace host {

class MapiTableObject : public internal::ComObject<outlook::MapiTable> {
  public:
    explicit MapiTableObject(outlook::RowSet rows) : rows_(std::move(rows)) {}

    [[nodiscard]] HRESULT QueryAllRows(outlook::RowSet* out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = rows_;
        return S_OK;
    }

  private:
    outlook::RowSet rows_;
};

}  // namespace host
