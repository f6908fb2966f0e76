// Yes/no user properties of the add-in ("IsShared", "AllowCreate") read and written through a storage.
#pragma once

#include <string>

class IOutlookStorage;

namespace calendar {

// The property's value; false when it is missing or unreadable. A missing property is created with
// false (and the storage saved) when `create` is set.
bool ReadYesNo(IOutlookStorage* storage, const std::string& name, bool create);
// Sets the property (creating it) and saves the storage. False, with a log line, when a step fails.
bool WriteYesNo(IOutlookStorage* storage, const std::string& name, bool value);

}  // namespace calendar
