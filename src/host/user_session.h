// One Outlook session of a velsync command: the store opened as an application with the registered
// add-ins connected (so the read-only guards see the command's changes as a user's), message boxes on
// the terminal, and the lookups commands share (folders by path, items by EntryID).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/add_in_loader.h"
#include "host/application_object.h"
#include "host/command_output.h"
#include "host/terminal_message_box.h"
#include "outlook/folder.h"
#include "outlook/namespace.h"

// Exit codes of the velsync commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // the operation failed or was refused
inline constexpr int kExitUsage = 2;    // wrong arguments
inline constexpr int kExitNoStore = 3;  // the store cannot be opened (locked, damaged, unwritable)

class UserSession {
  public:
    UserSession(CommandOutput* output, const std::string& answer);
    ~UserSession();
    UserSession(const UserSession&) = delete;
    UserSession& operator=(const UserSession&) = delete;

    // Opens "outlook.db" in the velsync home and connects the registered add-ins. Prints the reason on
    // failure; an add-in that does not load is reported and skipped.
    bool Open();

    outlook::NameSpace* session() { return ns_.get(); }
    host::ApplicationObject* app() { return app_.get(); }
    const TerminalMessageBox& boxes() const { return boxes_; }
    TerminalMessageBox& boxes() { return boxes_; }

    // A folder by path below a default folder ("Calendar", "Calendar/Work", "Contacts/Clients"); the
    // first part names the default folder by its role or its name. Prints the reason and gives empty
    // when there is none.
    outlook::ComPtr<outlook::MAPIFolder> FolderByPath(const std::string& path);
    // As FolderByPath, but a path that does not start at a default folder is taken below `root` ("Work"
    // in the calendar is "Calendar/Work"), as the folder actions take it.
    outlook::ComPtr<outlook::MAPIFolder> FolderBelow(const std::string& root, const std::string& path);
    // The path of a folder, its default folder named by role ("Calendar/Work").
    std::string PathOf(outlook::MAPIFolder* folder);
    // The folder and every folder below it, depth first, each before its sub-folders.
    std::vector<outlook::ComPtr<outlook::MAPIFolder>> Tree(outlook::MAPIFolder* root);
    // An item by its EntryID or by an unambiguous start of it or of its own part (after the store's id).
    // Prints the reason and gives empty when there is none.
    outlook::ComPtr<outlook::IDispatch> ItemById(const std::string& entry_id);

    // Prints a failed call in words: refused by a read-only guard, not found, or the status.
    int Report(const std::string& what, HRESULT hr) const;

  private:
    // The folder the parts of a path name, or empty; prints nothing.
    outlook::ComPtr<outlook::MAPIFolder> FindFolder(const std::vector<std::string>& parts);
    // "Calendar", "Contacts" or "Suggested Contacts" for a default folder, else `fallback`.
    std::string RoleNameOf(outlook::MAPIFolder* folder, const std::string& fallback);

    CommandOutput* output_;
    TerminalMessageBox boxes_;
    outlook::ComPtr<host::ApplicationObject> app_;
    AddInLoader add_ins_;
    outlook::ComPtr<outlook::NameSpace> ns_;
};

// Dates on the command line: "YYYY-MM-DD" or "YYYY-MM-DD HH:MM" (or with a T). Invalid otherwise.
platform::DateTime ParseUserDate(const std::string& text);
std::string FormatUserDate(const platform::DateTime& date);
