#include "host/item_command.h"

#include <cstdio>

#include "host/folder_commands.h"
#include "outlook/folder.h"
#include "outlook/outlook_item.h"

int RunItemCommand(const ItemCommand& command, const std::vector<std::string>& args) {
    const std::string verb = args.empty() ? "" : args[0];
    const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
    const std::string help_lines = FolderVerbsHelp(command.name, command.root);
    if (verb.empty() || verb == "--help" || verb == "help") {
        std::printf(command.help, help_lines.c_str());
        return verb.empty() ? kExitUsage : kExitOk;
    }
    CommandLine line;
    if (!line.Parse(rest, command.flags, command.valued)) {
        CommandOutput(false).Error(line.Error());
        return kExitUsage;
    }
    if (line.Has("help")) {
        std::printf(command.help, help_lines.c_str());
        return kExitOk;
    }
    CommandOutput output(line.Has("json"));
    const auto action = command.actions.find(verb);
    if (action == command.actions.end() && !IsFolderVerb(verb)) {
        output.Error("unknown " + command.name + " action " + verb + " (see velsync " + command.name +
                     " --help)");
        return kExitUsage;
    }
    UserSession session(&output, line.Value("answer"));
    if (!session.Open()) {
        return kExitNoStore;
    }
    if (action == command.actions.end()) {
        return RunFolderVerb(&session, &output, command.root, verb, line);
    }
    return action->second(&session, &output, line);
}

int MoveItem(UserSession* session, CommandOutput* output, const std::string& root, const CommandLine& line) {
    if (line.Positional().empty() || !line.Has("to")) {
        output->Error("move needs an ID and --to PATH");
        return kExitUsage;
    }
    auto item = session->ItemById(line.Positional()[0]);
    auto folder = session->FolderBelow(root, line.Value("to"));
    outlook::ComPtr<outlook::OutlookItem> typed;
    if (!item || !folder || FAILED(item.As(&typed))) {
        return kExitFailed;
    }
    outlook::ComPtr<outlook::IDispatch> moved;
    const HRESULT hr = typed->Move(folder.get(), &moved);
    if (FAILED(hr)) {
        return session->Report("cannot move the item", hr);
    }
    output->Message("moved to " + session->PathOf(folder.get()));
    return kExitOk;
}
