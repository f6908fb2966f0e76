// Text user properties of the add-in on an appointment: where a server event came from ("oidHREF") and
// its UID ("oidUID"), so that an appointment whose index record was lost still finds its server event.
#pragma once

#include <string>

class IOutlookStorage;

namespace calendar {

inline constexpr const char* kHrefProperty = "oidHREF";
inline constexpr const char* kUidProperty = "oidUID";

// The property's text; "" when it is missing, unreadable or not text.
std::string ReadText(IOutlookStorage* storage, const std::string& name);
// Sets the property (creating it); the storage's owner saves. False, with a log line, when a step fails.
bool WriteText(IOutlookStorage* storage, const std::string& name, const std::string& value);

}  // namespace calendar
