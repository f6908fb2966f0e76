// What the calendar and contacts commands share: reading the action and its options, the folder
// actions, opening the store, and moving an item to another folder.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/command_output.h"
#include "host/user_session.h"
#include "outlook/folder.h"
#include "outlook/items.h"

// One action of a command, run with the store open. An exit code.
using ItemAction = std::function<int(UserSession* session, CommandOutput* output, const CommandLine& line)>;

struct ItemCommand {
    std::string name;  // "calendar"
    std::string root;  // the default folder's name, "Calendar"
    const char* help;  // a printf format whose one %s takes the folder actions' help lines
    std::set<std::string> flags;
    std::set<std::string> valued;
    std::map<std::string, ItemAction> actions;  // besides the folder actions
};

// `args` are the words after the command's name. An exit code (see user_session.h).
int RunItemCommand(const ItemCommand& command, const std::vector<std::string>& args);

// A new, unsaved item of `type` in the folder at `path` (below `root` unless it starts at a default
// folder), as `Interface`. kExitOk, or the exit code after
// the reason was printed. `what` names the item in that reason ("an appointment").
template <class Interface>
int NewItem(UserSession* session, const std::string& root, const std::string& path, outlook::OlItemType type,
            const std::string& what, outlook::ComPtr<Interface>* out) {
    auto folder = session->FolderBelow(root, path);
    if (!folder) {
        return kExitFailed;
    }
    outlook::ComPtr<outlook::Items> items;
    outlook::ComPtr<outlook::IDispatch> item;
    HRESULT hr = folder->get_Items(&items);
    if (SUCCEEDED(hr)) {
        hr = items->Add(type, &item);
    }
    if (SUCCEEDED(hr)) {
        hr = item.As(out);
    }
    return FAILED(hr) ? session->Report("cannot add " + what + " here", hr) : kExitOk;
}

// "move ID --to PATH": an item of the store into the folder (PATH below `root` unless it starts at a
// default folder).
int MoveItem(UserSession* session, CommandOutput* output, const std::string& root, const CommandLine& line);
