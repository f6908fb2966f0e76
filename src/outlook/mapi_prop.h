// MAPI property values and the tags the add-in reads and writes, with MAPI's helper calls.
#pragma once

#include <cstdint>
#include <vector>

#include "outlook/variant.h"

namespace outlook {

// A property tag: the id in the high 16 bits, the type in the low 16 bits.
using PropTag = std::uint32_t;

inline constexpr std::uint16_t PT_LONG = 0x0003;
inline constexpr std::uint16_t PT_BOOLEAN = 0x000B;
inline constexpr std::uint16_t PT_UNICODE = 0x001F;
inline constexpr std::uint16_t PT_SYSTIME = 0x0040;

inline constexpr std::uint16_t PropType(PropTag tag) {
    return static_cast<std::uint16_t>(tag & 0xFFFFu);
}

inline constexpr PropTag PR_SENDER_EMAIL_ADDRESS_W = 0x0C1F001F;
inline constexpr PropTag PR_SENT_REPRESENTING_EMAIL_ADDRESS_W = 0x0065001F;
inline constexpr PropTag PR_SENDER_NAME_W = 0x0C1A001F;
inline constexpr PropTag PR_SENT_REPRESENTING_NAME_W = 0x0042001F;
// Recipient table columns.
inline constexpr PropTag PR_ROWID = 0x30000003;
inline constexpr PropTag PR_DISPLAY_NAME_W = 0x3001001F;
inline constexpr PropTag PR_EMAIL_ADDRESS_W = 0x3003001F;
inline constexpr PropTag PR_RECIPIENT_TYPE = 0x0C150003;
inline constexpr PropTag PR_RECIPIENT_FLAGS = 0x5FFD0003;
inline constexpr PropTag PR_RECIPIENT_TRACKSTATUS = 0x5FFF0003;

// SaveChanges, GetRecipientTable and ModifyRecipients flags.
inline constexpr std::uint32_t KEEP_OPEN_READWRITE = 0x00000002;
inline constexpr std::uint32_t MAPI_UNICODE = 0x80000000;
inline constexpr std::uint32_t MODRECIP_MODIFY = 0x00000004;

struct PropValue {
    PropTag tag = 0;
    Variant value;
};

// One row of a table: its columns.
using PropRow = std::vector<PropValue>;
using RowSet = std::vector<PropRow>;

// The column of `row` with `tag`, or null. Ownership: points into `row`.
inline const PropValue* FindColumn(const PropRow& row, PropTag tag) {
    for (const PropValue& column : row) {
        if (column.tag == tag) {
            return &column;
        }
    }
    return nullptr;
}

}  // namespace outlook
