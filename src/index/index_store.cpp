#include "index/index_store.h"

#include "platform/file_system.h"
#include "platform/paths.h"

namespace {

constexpr const char* kIndexRelative = "Velmarquin\\HarrowgateAddin\\Index\\";
constexpr const char* kCalendarRelative = "Velmarquin\\HarrowgateAddin\\Index\\Calendar\\";
constexpr const char* kAddressBookRelative = "Velmarquin\\HarrowgateAddin\\Index\\AddressBook\\";

std::string MakeFolderChain(std::string_view windows_relative) {
    std::string path = platform::AppDataFolder();
    std::size_t start = 0;
    while (start < windows_relative.size()) {
        std::size_t end = windows_relative.find('\\', start);
        if (end == std::string_view::npos)
            end = windows_relative.size();
        if (end > start) {
            path = platform::JoinRelative(path, windows_relative.substr(start, end - start));
            if (!platform::PathExists(path))
                (void)platform::CreateOneDirectory(path);
        }
        start = end + 1;
    }
    return path;
}

SyncIndex LoadIndex(const std::string& path) {
    SyncIndex index;
    index.Load(path);
    return index;
}

void DeleteFilesIn(const std::string& folder) {
    for (const std::string& name : platform::ListFiles(folder))
        (void)platform::DeleteOneFile(folder + "/" + name);
}

}  // namespace

std::string GetIndexFolder() {
    return MakeFolderChain(kIndexRelative);
}
std::string GetCalendarIndexFolder() {
    return MakeFolderChain(kCalendarRelative);
}
std::string GetAddressBookIndexFolder() {
    return MakeFolderChain(kAddressBookRelative);
}

SyncIndex OpenCalendarsIndex() {
    return LoadIndex(GetCalendarIndexFolder() + "/calendars.dat");
}

SyncIndex OpenCalendarIndex(const std::string& folder_entry_id) {
    return LoadIndex(GetCalendarIndexFolder() + "/" + folder_entry_id + ".dat");
}

void DeleteCalendarIndex(const std::string& folder_entry_id) {
    const std::string path = GetCalendarIndexFolder() + "/" + folder_entry_id + ".dat";
    for (const std::string& file : {path, SyncIndex::JournalPathFor(path)}) {
        if (platform::PathExists(file))
            (void)platform::DeleteOneFile(file);
    }
}

SyncIndex OpenGroupsIndex() {
    return LoadIndex(GetAddressBookIndexFolder() + "/groups.dat");
}

SyncIndex OpenAddressBookIndex(const std::string& folder_entry_id) {
    return LoadIndex(GetAddressBookIndexFolder() + "/" + folder_entry_id + ".dat");
}

SyncIndex OpenReadonlyIndex() {
    SyncIndex index = LoadIndex(GetIndexFolder() + "/readonly.dat");
    const std::string old_path = GetAddressBookIndexFolder() + "/readonly.dat";
    if (!platform::PathExists(old_path))
        return index;
    SyncIndex old_index = LoadIndex(old_path);
    for (const IndexRecord& record : old_index.Records()) {
        index.RemoveByOutlookId(record.OutlookId);
        index.Add(record);
    }
    // The old file goes only once its records are safe in the new one; otherwise the next open retries.
    if (index.Save())
        (void)platform::DeleteOneFile(old_path);
    return index;
}

void DeleteAllIndexes() {
    DeleteFilesIn(GetAddressBookIndexFolder());
    DeleteFilesIn(GetCalendarIndexFolder());
    DeleteFilesIn(GetIndexFolder());
}
