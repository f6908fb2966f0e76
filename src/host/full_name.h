// How Outlook takes a full name apart into the contact's name parts when the full name is set.
#pragma once

#include <string>
#include <string_view>

namespace host {

struct NameParts {
    std::string title;  // Dr., Mrs. ...
    std::string first;
    std::string middle;
    std::string last;
    std::string suffix;  // Jr., III, PhD ...
};

// "Dr. John Quincy Public Jr." gives each part; "Public, John Q." the last name first; one word is a first
// name; a known title before or suffix after the name is recognised with or without its dot.
NameParts SplitFullName(std::string_view full_name);

}  // namespace host
