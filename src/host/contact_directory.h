// The names and addresses of the contacts in the Contacts and Suggested Contacts trees, as recipients
// resolve against them. Kept in memory and read again only when the store's contacts may have changed:
// a meeting with many attendees must not list every contact folder per attendee.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

#include "host/store.h"

namespace host {

class ContactDirectory {
  public:
    explicit ContactDirectory(Store& store) : store_(store) {}

    // The first contact, in address-book order, with `wanted` as one of its addresses (ASCII case
    // ignored; *address is then that address as stored), else the first with `wanted` as its full name
    // and a first address (*address is its first address). *name is the full name, or the address when
    // the contact has none. False (outputs untouched) when no contact matches.
    bool Find(const std::string& wanted, std::string* name, std::string* address);

  private:
    struct Match {
        std::size_t order = 0;  // position in address-book order
        std::string name;
        std::string address;
    };

    void Rebuild();

    Store& store_;
    std::mutex mutex_;
    bool built_ = false;
    std::uint64_t mark_ = 0;
    std::unordered_map<std::string, Match> by_address_;  // keys ASCII lower-case
    std::unordered_map<std::string, Match> by_name_;
};

}  // namespace host
