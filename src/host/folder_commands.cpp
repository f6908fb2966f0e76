#include "host/folder_commands.h"

#include "host/folder_path.h"
#include "index/index_store.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "outlook/status.h"

namespace {

// A path given by the user, below `root` unless it already starts there.
std::string UnderRoot(const std::string& root, const std::string& path) {
    if (path.empty()) {
        return root;
    }
    const std::vector<std::string> names = SplitFolderPath(path);
    if (!names.empty() && (names.front() == root || names.front() == "Suggested Contacts")) {
        return path;
    }
    return root + "/" + path;
}

}  // namespace

bool IsFolderVerb(const std::string& verb) {
    return verb == "folders" || verb == "mkdir" || verb == "rmdir" || verb == "rename" || verb == "mvdir";
}

std::string FolderVerbsHelp(const std::string& command, const std::string& root) {
    return "  velsync " + command + " folders                 the folders below " + root +
           " with the server collection each is paired with\n"
           "  velsync " +
           command + " mkdir PATH              create a folder (PATH below " + root +
           ", e.g. Work/Team)\n"
           "  velsync " +
           command +
           " rmdir PATH              delete a folder with everything in it\n"
           "  velsync " +
           command +
           " rename PATH NEW-NAME    rename a folder\n"
           "  velsync " +
           command +
           " mvdir PATH --to PATH     move a folder below another\n"
           "  (in a PATH, a \"/\" within a folder's name is written \\/, as the folders listing shows it)\n";
}

int RunFolderVerb(UserSession* session, CommandOutput* output, const std::string& root,
                  const std::string& verb, const CommandLine& line) {
    const auto& args = line.Positional();
    if (verb == "folders") {
        auto top = session->FolderByPath(root);
        if (!top) {
            return kExitFailed;
        }
        // The add-in's pairs name the server collection of each synchronized folder.
        const SyncIndex pairs = root == "Calendar" ? OpenCalendarsIndex() : OpenGroupsIndex();
        for (const auto& folder : session->Tree(top.get())) {
            std::string entry_id;
            std::string description;
            (void)folder->get_EntryID(&entry_id);
            (void)folder->get_Description(&description);
            outlook::ComPtr<outlook::Items> items;
            std::int32_t count = 0;
            if (SUCCEEDED(folder->get_Items(&items))) {
                (void)items->get_Count(&count);
            }
            const IndexRecord pair = pairs.FindByOutlookId(entry_id);
            output->Record({{"path", session->PathOf(folder.get())},
                            {"server", pair.IsFound() ? pair.ServerId : "-"},
                            {"items", OutputValue::Number(count)},
                            {"entry_id", entry_id},
                            {"description", description}},
                           true);
        }
        return kExitOk;
    }
    if (args.empty()) {
        output->Error(verb + " needs a folder path");
        return kExitUsage;
    }
    const std::string path = UnderRoot(root, args[0]);
    std::vector<std::string> names = SplitFolderPath(path);
    if (verb == "mkdir") {
        if (names.size() < 2) {
            output->Error("cannot create a default folder");
            return kExitUsage;
        }
        const std::string name = names.back();
        names.pop_back();
        auto parent = session->FolderByPath(JoinFolderPath(names));
        if (!parent) {
            return kExitFailed;
        }
        outlook::ComPtr<outlook::Folders> folders;
        outlook::ComPtr<outlook::MAPIFolder> created;
        HRESULT hr = parent->get_Folders(&folders);
        if (SUCCEEDED(hr)) {
            hr = folders->Add(name, &created);
        }
        if (FAILED(hr)) {
            return session->Report("cannot create " + path, hr);
        }
        if (line.Has("description")) {
            (void)created->put_Description(line.Value("description"));
        }
        std::string entry_id;
        (void)created->get_EntryID(&entry_id);
        output->Record({{"path", path}, {"entry_id", entry_id}}, true);
        return kExitOk;
    }
    auto folder = session->FolderByPath(path);
    if (!folder) {
        return kExitFailed;
    }
    HRESULT hr = S_OK;
    if (verb == "rmdir") {
        hr = folder->Delete();
    } else if (verb == "rename") {
        if (args.size() < 2) {
            output->Error("rename needs the new name");
            return kExitUsage;
        }
        hr = folder->put_Name(args[1]);
    } else {
        if (!line.Has("to")) {
            output->Error("mvdir needs --to PATH");
            return kExitUsage;
        }
        auto target = session->FolderByPath(UnderRoot(root, line.Value("to")));
        if (!target) {
            return kExitFailed;
        }
        hr = folder->MoveTo(target.get());
    }
    if (hr == outlook::MAPI_E_NO_SUPPORT && names.size() == 1) {
        output->Error("cannot " + verb + " " + path + ": a default folder keeps its name and place");
        return kExitFailed;
    }
    if (FAILED(hr)) {
        return session->Report("cannot " + verb + " " + path, hr);
    }
    output->Message(verb + " " + path + ": done");
    return kExitOk;
}
