// What the store keeps of one folder.
#pragma once

#include <cstdint>
#include <string>

#include "outlook/enums.h"

namespace host {

struct FolderRecord {
    std::int64_t row_id = 0;
    std::string entry_id;
    std::int64_t parent_id = 0;       // 0 for a default folder
    std::int32_t default_folder = 0;  // 9, 10 or 30 for the default folders, else 0
    outlook::OlItemType item_type = outlook::olAppointmentItem;
    std::string name;
    std::string description;
    bool show_as_address_book = false;
};

}  // namespace host
