// One index file loaded into memory: records in file order, bound to the file's path. Files are UTF-8
// lines "ServerId\tOutlookId\t%Y%m%dT%H%M%SZ[\tetag=<ETag>][\tlm=%Y%m%dT%H%M%SZ]\r\n" (readers that know
// only the first three fields ignore the rest); keys compare without regard to ASCII case.
//
// Changes reach the disk in two steps: AppendChangesToJournal() appends the changes made since the last
// write to "<file>.journal" (cheap, one write), Save() rewrites the file and removes the journal. Load()
// replays a journal left by a run that ended before its Save(), so a crash loses no recorded change.
// Both first flush the items the records name (platform::FlushEarlierWrites), and write nothing when
// that fails: a record must never outlive its item.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "index/index_record.h"

class SyncIndex {
  public:
    // Binds to `path` and reads it and its journal. A missing file is an empty index; bad lines load as
    // far as they go; a torn last journal line is ignored.
    void Load(const std::string& path);

    // Rewrites the bound file from the records, atomically (temporary file and rename), then removes the
    // journal. Does nothing when the index is bound to no file. False, with a log line, when the file
    // cannot be written (the changes go to the journal instead) or the items it names cannot be flushed
    // (nothing is written); the records stay usable either way.
    bool Save();

    // Appends the changes made since the last write to the journal. False, with a log line, when it
    // cannot be written or the items it names cannot be flushed (the changes stay pending).
    bool AppendChangesToJournal();

    // Adds a record; one with the same two keys is replaced in place. Refuses (false, with a log line) a
    // key holding a tab, CR or LF: such a key would break the line format and lose the pairings after it.
    // An ETag that would not read back the same (a tab, CR or LF, white space around it) is kept as unknown.
    bool Add(IndexRecord record);
    bool Add(const std::string& server_id, const std::string& outlook_id,
             const platform::DateTime& synch_date);

    // The first matching record as a copy, or the not-found record.
    IndexRecord FindByServerId(const std::string& server_id) const;
    IndexRecord FindByOutlookId(const std::string& outlook_id) const;

    // Removes every matching record; the others keep their order.
    void RemoveByServerId(const std::string& server_id);
    void RemoveByOutlookId(const std::string& outlook_id);

    // The records in file order.
    std::vector<IndexRecord> Records() const;
    std::size_t Size() const { return m_records.size(); }
    const std::string& Path() const { return m_path; }
    std::string JournalPath() const { return JournalPathFor(m_path); }
    static std::string JournalPathFor(const std::string& index_path);

    // The text of one file line's date ("20130405T142800Z"), and the reading of it.
    static std::string FormatDate(const platform::DateTime& date);
    static platform::DateTime ParseDate(const std::string& text);

  private:
    bool FlushNamedItems() const;

    using Slots = std::set<std::uint64_t>;
    using KeyMap = std::unordered_map<std::string, Slots>;

    void Insert(IndexRecord record);
    void RemoveSlots(const Slots& slots);
    void RemoveMatching(KeyMap* keys, const std::string& key);
    IndexRecord FindFirst(const KeyMap& keys, const std::string& key) const;
    void ApplyJournal(const std::string& text);

    // Records by insertion number, so file order survives removals; the maps find them by lowered key.
    std::map<std::uint64_t, IndexRecord> m_records;
    KeyMap m_by_server_id;
    KeyMap m_by_outlook_id;
    std::uint64_t m_next_slot = 0;
    std::string m_path;
    // Journal lines of the changes not yet written anywhere.
    std::string m_unwritten_changes;
};
