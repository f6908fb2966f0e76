// The server contacts of a book that have no index record, found by who they are, so that an Outlook
// contact without a record pairs with its own server card instead of being copied again (a run killed
// between the copy and the index, or a lost index).
#pragma once

#include <map>
#include <memory>
#include <string>

class CCardDavContact;

namespace contacts {

class UnrecordedContacts {
  public:
    // Files the contact under its UID and its resource name; the first contact of a key wins.
    void Add(const std::shared_ptr<CCardDavContact>& contact);

    // The card the Outlook contact was made from (`uid`, its "oidUID") or uploaded as (named after its
    // `entry_id`, or with it as UID); null when there is none. A card is handed out once.
    std::shared_ptr<CCardDavContact> Take(const std::string& uid, const std::string& entry_id);

  private:
    std::shared_ptr<CCardDavContact> TakeFrom(std::map<std::string, std::shared_ptr<CCardDavContact>>* keyed,
                                              const std::string& key);

    std::map<std::string, std::shared_ptr<CCardDavContact>> m_by_uid;
    std::map<std::string, std::shared_ptr<CCardDavContact>> m_by_name;
};

}  // namespace contacts
