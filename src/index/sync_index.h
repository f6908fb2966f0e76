// One index file loaded into memory: records in file order, bound to the file's path. Files are UTF-8
// lines "ServerId\tOutlookId\t%Y%m%dT%H%M%SZ\r\n"; keys compare without regard to ASCII case.
#pragma once

#include <string>
#include <vector>

#include "index/index_record.h"

class SyncIndex {
  public:
    // Binds to `path` and reads it. A missing file is an empty index; bad lines load as far as they go.
    void Load(const std::string& path);

    // Rewrites the bound file from the records, atomically (temporary file and rename). Does nothing when
    // the index is bound to no file. False, with a log line, when the file cannot be written; the records
    // stay usable.
    bool Save() const;

    // Appends a record. Refuses (false, with a log line) a key holding a tab, CR or LF: such a key would
    // break the line format and lose the pairings after it.
    bool Add(const std::string& server_id, const std::string& outlook_id,
             const platform::DateTime& synch_date);

    // The first matching record as a copy, or the not-found record.
    IndexRecord FindByServerId(const std::string& server_id) const;
    IndexRecord FindByOutlookId(const std::string& outlook_id) const;

    // Removes every matching record; the others keep their order.
    void RemoveByServerId(const std::string& server_id);
    void RemoveByOutlookId(const std::string& outlook_id);

    const std::vector<IndexRecord>& Records() const { return m_records; }
    const std::string& Path() const { return m_path; }

    // The text of one file line's date ("20130405T142800Z"), and the reading of it.
    static std::string FormatDate(const platform::DateTime& date);
    static platform::DateTime ParseDate(const std::string& text);

  private:
    std::vector<IndexRecord> m_records;
    std::string m_path;
};
