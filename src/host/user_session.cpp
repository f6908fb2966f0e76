#include "host/user_session.h"

#include <cstdio>

#include "host/folder_path.h"
#include "outlook/folders.h"
#include "outlook/status.h"
#include "platform/message_box.h"
#include "platform/text.h"

namespace {

// Shorter starts of an ID would name several items too often to be useful.
constexpr std::size_t kShortestIdPrefix = 4;

struct DefaultFolderRole {
    outlook::OlDefaultFolders kind;
    const char* name;
};

const DefaultFolderRole kDefaultFolderRoles[] = {
    {outlook::olFolderCalendar, "Calendar"},
    {outlook::olFolderContacts, "Contacts"},
    {outlook::olFolderSuggestedContacts, "Suggested Contacts"},
};

}  // namespace

platform::DateTime ParseUserDate(const std::string& text) {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    char separator = 0;
    char rest = 0;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d%c", &year, &month, &day, &separator,
                                   &hour, &minute, &rest);
    if (fields == 3 || (fields == 6 && (separator == ' ' || separator == 'T'))) {
        return platform::DateTime::FromParts(year, month, day, hour, minute);
    }
    return platform::DateTime::Invalid();
}

std::string FormatUserDate(const platform::DateTime& date) {
    return date.IsValid() ? date.Format("%Y-%m-%d %H:%M") : std::string();
}

UserSession::UserSession(CommandOutput* output, const std::string& answer)
    : output_(output), boxes_(answer), add_ins_([output](const std::string& line) { output->Error(line); }) {
    platform::SetMessageBoxService(&boxes_);
}

UserSession::~UserSession() {
    add_ins_.DisconnectAll();
    ns_ = nullptr;
    app_ = nullptr;
    platform::SetMessageBoxService(nullptr);
}

bool UserSession::Open() {
    std::string error;
    HRESULT hr =
        host::ApplicationObject::Create(host::ApplicationObject::DefaultStorePath(), 3000, &app_, &error);
    if (FAILED(hr)) {
        output_->Error(error.empty() ? "cannot open the store: " + HrName(hr) : error);
        return false;
    }
    hr = app_->get_Session(&ns_);
    if (SUCCEEDED(hr)) {
        hr = ns_->Logon("", "", false, false);
    }
    if (FAILED(hr)) {
        output_->Error("cannot log on to the store: " + HrName(hr));
        return false;
    }
    add_ins_.ConnectAll(app_.get());
    return true;
}

outlook::ComPtr<outlook::MAPIFolder> UserSession::FolderByPath(const std::string& path) {
    const std::vector<std::string> parts = SplitFolderPath(path);
    if (parts.empty()) {
        output_->Error("no folder given");
        return {};
    }
    auto folder = FindFolder(parts);
    if (!folder) {
        output_->Error("no folder " + path);
    }
    return folder;
}

outlook::ComPtr<outlook::MAPIFolder> UserSession::FolderBelow(const std::string& root,
                                                              const std::string& path) {
    std::vector<std::string> parts = SplitFolderPath(path);
    auto folder = FindFolder(parts);
    if (!folder && !parts.empty()) {
        parts.insert(parts.begin(), root);
        folder = FindFolder(parts);
    }
    if (!folder) {
        output_->Error(path.empty() ? "no folder given"
                                    : "no folder " + path + " (velsync " + platform::AsciiLower(root) +
                                          " folders lists them)");
    }
    return folder;
}

outlook::ComPtr<outlook::MAPIFolder> UserSession::FindFolder(const std::vector<std::string>& parts) {
    if (parts.empty()) {
        return {};
    }
    // A default folder by its role, whatever its name (a store of an older velsync may have let a sync
    // rename it), or by that name.
    outlook::ComPtr<outlook::MAPIFolder> folder;
    for (const DefaultFolderRole& role : kDefaultFolderRoles) {
        outlook::ComPtr<outlook::MAPIFolder> root;
        std::string name;
        if (SUCCEEDED(ns_->GetDefaultFolder(role.kind, &root)) && SUCCEEDED(root->get_Name(&name)) &&
            (platform::EqualsIgnoreAsciiCase(role.name, parts[0]) ||
             platform::EqualsIgnoreAsciiCase(name, parts[0]))) {
            folder = root;
        }
    }
    for (std::size_t i = 1; folder && i < parts.size(); ++i) {
        outlook::ComPtr<outlook::Folders> children;
        outlook::ComPtr<outlook::MAPIFolder> found;
        std::int32_t count = 0;
        if (SUCCEEDED(folder->get_Folders(&children)) && SUCCEEDED(children->get_Count(&count))) {
            for (std::int32_t j = 1; j <= count && !found; ++j) {
                outlook::ComPtr<outlook::MAPIFolder> child;
                std::string name;
                if (SUCCEEDED(children->Item(j, &child)) && SUCCEEDED(child->get_Name(&name)) &&
                    platform::EqualsIgnoreAsciiCase(name, parts[i])) {
                    found = child;
                }
            }
        }
        folder = found;
    }
    return folder;
}

std::string UserSession::PathOf(outlook::MAPIFolder* folder) {
    std::vector<std::string> names;
    outlook::ComPtr<outlook::MAPIFolder> walk(folder);
    for (int depth = 0; walk && depth < 1000; ++depth) {
        std::string name;
        (void)walk->get_Name(&name);
        outlook::ComPtr<outlook::MAPIFolder> parent;
        const bool top = FAILED(walk->get_Parent(&parent)) || !parent;
        if (top) {
            name = RoleNameOf(walk.get(), name);
        }
        names.insert(names.begin(), name);
        walk = top ? outlook::ComPtr<outlook::MAPIFolder>() : parent;
    }
    return JoinFolderPath(names);
}

std::string UserSession::RoleNameOf(outlook::MAPIFolder* folder, const std::string& fallback) {
    std::string entry_id;
    if (FAILED(folder->get_EntryID(&entry_id))) {
        return fallback;
    }
    for (const DefaultFolderRole& role : kDefaultFolderRoles) {
        outlook::ComPtr<outlook::MAPIFolder> root;
        std::string root_id;
        if (SUCCEEDED(ns_->GetDefaultFolder(role.kind, &root)) && SUCCEEDED(root->get_EntryID(&root_id)) &&
            root_id == entry_id) {
            return role.name;
        }
    }
    return fallback;
}

std::vector<outlook::ComPtr<outlook::MAPIFolder>> UserSession::Tree(outlook::MAPIFolder* root) {
    std::vector<outlook::ComPtr<outlook::MAPIFolder>> out;
    std::vector<outlook::ComPtr<outlook::MAPIFolder>> pending = {outlook::ComPtr<outlook::MAPIFolder>(root)};
    while (!pending.empty() && out.size() < 100000) {
        auto folder = pending.back();
        pending.pop_back();
        out.push_back(folder);
        outlook::ComPtr<outlook::Folders> children;
        std::int32_t count = 0;
        if (SUCCEEDED(folder->get_Folders(&children)) && SUCCEEDED(children->get_Count(&count))) {
            // Pushed in reverse so they come out in order.
            for (std::int32_t j = count; j >= 1; --j) {
                outlook::ComPtr<outlook::MAPIFolder> child;
                if (SUCCEEDED(children->Item(j, &child))) {
                    pending.push_back(child);
                }
            }
        }
    }
    return out;
}

outlook::ComPtr<outlook::IDispatch> UserSession::ItemById(const std::string& entry_id) {
    outlook::ComPtr<outlook::IDispatch> item;
    HRESULT hr = ns_->GetItemFromID(entry_id, &item);
    // As with commit hashes, the start of an ID will do when it names one item.
    std::vector<host::ItemRecord> matches;
    if (hr == outlook::MAPI_E_NOT_FOUND && entry_id.size() >= kShortestIdPrefix &&
        SUCCEEDED(app_->store().FindItemsByIdPrefix(entry_id, 2, &matches)) && !matches.empty()) {
        if (matches.size() > 1) {
            output_->Error("ID " + entry_id + " names more than one item; give more of it");
            return {};
        }
        hr = ns_->GetItemFromID(matches[0].entry_id, &item);
    }
    if (FAILED(hr)) {
        (void)Report("no item " + entry_id, hr);
        return {};
    }
    return item;
}

int UserSession::Report(const std::string& what, HRESULT hr) const {
    if (hr == outlook::MAPI_E_USER_CANCEL) {
        output_->Error(what + ": refused (the folder is read-only)");
    } else if (hr == outlook::MAPI_E_NOT_FOUND || hr == outlook::MAPI_E_OBJECT_DELETED) {
        output_->Error(what + ": not found");
    } else if (hr == outlook::MAPI_E_COLLISION) {
        output_->Error(what + ": a folder of that name exists already");
    } else if (hr == E_INVALIDARG) {
        output_->Error(what + ": refused as invalid (" + HrName(hr) + ")");
    } else if (hr == outlook::MAPI_E_TIMEOUT || hr == outlook::MAPI_E_CORRUPT_STORE) {
        output_->Error(what + ": " + app_->store().LastError());
        return kExitNoStore;
    } else {
        output_->Error(what + ": " + HrName(hr));
    }
    return kExitFailed;
}
