#include "host/contact_directory.h"

#include <vector>

#include "platform/text.h"

namespace host {

bool ContactDirectory::Find(const std::string& wanted, std::string* name, std::string* address) {
    std::lock_guard lock(mutex_);
    const std::uint64_t mark = store_.ContactsMark();
    if (!built_ || mark != mark_) {
        mark_ = mark;
        Rebuild();
        built_ = true;
    }
    const std::string key = platform::AsciiLower(wanted);
    const auto by_address = by_address_.find(key);
    const auto by_name = by_name_.find(key);
    const Match* match = nullptr;
    if (by_address != by_address_.end()) {
        match = &by_address->second;
    }
    if (by_name != by_name_.end() && (match == nullptr || by_name->second.order < match->order)) {
        match = &by_name->second;
    }
    if (match == nullptr) {
        return false;
    }
    *name = match->name;
    *address = match->address;
    return true;
}

void ContactDirectory::Rebuild() {
    by_address_.clear();
    by_name_.clear();
    // Depth first from both roots (Suggested Contacts, pushed last, comes first); the first match wins.
    std::vector<std::int64_t> pending;
    for (std::int32_t kind : {outlook::olFolderContacts, outlook::olFolderSuggestedContacts}) {
        FolderRecord root;
        if (SUCCEEDED(store_.GetDefaultFolder(kind, &root))) {
            pending.push_back(root.row_id);
        }
    }
    std::size_t order = 0;
    for (std::size_t visited = 0; !pending.empty() && visited < 10000; ++visited) {
        const std::int64_t folder_id = pending.back();
        pending.pop_back();
        std::vector<ItemRecord> items;
        if (SUCCEEDED(store_.ListItems(folder_id, false, &items))) {
            for (const ItemRecord& item : items) {
                if (item.kind != outlook::olContactItem) {
                    continue;
                }
                ++order;
                const std::string full_name = BagText(item.fields, "FullName");
                for (const char* field : {"Email1Address", "Email2Address", "Email3Address"}) {
                    const std::string email = BagText(item.fields, field);
                    if (email.empty()) {
                        continue;
                    }
                    // Of one contact's addresses that differ only in case, the last one is taken.
                    auto [entry, added] = by_address_.try_emplace(platform::AsciiLower(email));
                    if (added || entry->second.order == order) {
                        entry->second = Match{order, full_name.empty() ? email : full_name, email};
                    }
                }
                const std::string first = BagText(item.fields, "Email1Address");
                if (!full_name.empty() && !first.empty()) {
                    by_name_.try_emplace(platform::AsciiLower(full_name), Match{order, full_name, first});
                }
            }
        }
        std::vector<FolderRecord> children;
        if (SUCCEEDED(store_.ListFolders(folder_id, &children))) {
            for (const FolderRecord& child : children) {
                pending.push_back(child.row_id);
            }
        }
    }
}

}  // namespace host
