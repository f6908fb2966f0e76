// IMAPITable: a table of rows (the recipient table of a message).
#pragma once

#include "outlook/mapi_prop.h"
#include "outlook/unknown.h"

namespace outlook {

class MapiTable : public IUnknown {
  public:
    static constexpr Iid kIid = "{00020301-0000-0000-C000-000000000046}";

    // Every row, in table order.
    [[nodiscard]] virtual HRESULT QueryAllRows(RowSet* out) = 0;

  protected:
    ~MapiTable() = default;
};

// MAPI's helper of that name.
[[nodiscard]] inline HRESULT HrQueryAllRows(MapiTable* table, RowSet* out) {
    return table == nullptr ? E_POINTER : table->QueryAllRows(out);
}

}  // namespace outlook
