#include "index/sync_index.h"

#include <cstdio>

#include "platform/file_system.h"
#include "platform/text.h"
#include "platform/write_order.h"
#include "settings/log.h"

namespace {

constexpr std::string_view kETagToken = "etag=";
constexpr std::string_view kLastModifiedToken = "lm=";
// Journal operations: a record line follows "+", a key follows the two removals.
constexpr std::string_view kAddOperation = "+";
constexpr std::string_view kRemoveServerIdOperation = "-s";
constexpr std::string_view kRemoveOutlookIdOperation = "-o";

bool HoldsLineBreakOrTab(const std::string& key) {
    return key.find_first_of("\t\r\n") != std::string::npos;
}

// Tokens split at tabs, skipping runs of tabs, as wcstok does.
std::vector<std::string> SplitAtTabs(std::string_view line) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start < line.size()) {
        start = line.find_first_not_of('\t', start);
        if (start == std::string_view::npos)
            break;
        std::size_t end = line.find('\t', start);
        if (end == std::string_view::npos)
            end = line.size();
        tokens.emplace_back(line.substr(start, end - start));
        start = end;
    }
    return tokens;
}

IndexRecord ParseLine(std::string_view line) {
    const std::vector<std::string> tokens = SplitAtTabs(line);
    IndexRecord record;
    auto token = [&tokens](std::size_t i) {
        return i < tokens.size() ? std::string(platform::TrimWhitespace(tokens[i])) : std::string();
    };
    record.ServerId = token(0);
    record.OutlookId = token(1);
    record.synchDate = SyncIndex::ParseDate(token(2));
    for (std::size_t i = 3; i < tokens.size(); ++i) {
        const std::string extra = token(i);
        if (extra.starts_with(kETagToken)) {
            record.serverETag = extra.substr(kETagToken.size());
        } else if (extra.starts_with(kLastModifiedToken)) {
            const platform::DateTime date = SyncIndex::ParseDate(extra.substr(kLastModifiedToken.size()));
            if (date.IsValid())
                record.outlookLastModified = date;
        }
    }
    return record;
}

std::string FormatLine(const IndexRecord& record) {
    std::string line =
        record.ServerId + "\t" + record.OutlookId + "\t" + SyncIndex::FormatDate(record.synchDate);
    if (!record.serverETag.empty())
        line += "\t" + std::string(kETagToken) + record.serverETag;
    if (record.outlookLastModified.IsValid())
        line += "\t" + std::string(kLastModifiedToken) + SyncIndex::FormatDate(record.outlookLastModified);
    return line;
}

// Complete CR LF terminated lines of `text`; a last piece without CR LF is dropped when `complete_only`.
std::vector<std::string_view> SplitLines(std::string_view text, bool complete_only) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            if (!complete_only)
                lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace

std::string SyncIndex::FormatDate(const platform::DateTime& date) {
    return date.Format("%Y%m%dT%H%M%SZ");
}

platform::DateTime SyncIndex::ParseDate(const std::string& text) {
    const std::size_t t = text.find('T');
    const std::string date_part = text.substr(0, t);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(date_part.c_str(), "%4d%2d%2d", &year, &month, &day) != 3)
        return platform::DateTime::Invalid();
    if (t != std::string::npos) {
        const std::string time_part = text.substr(t + 1);
        if (std::sscanf(time_part.c_str(), "%2d%2d%2d", &hour, &minute, &second) != 3) {
            return platform::DateTime::Invalid();
        }
    }
    return platform::DateTime::FromParts(year, month, day, hour, minute, second);
}

std::string SyncIndex::JournalPathFor(const std::string& index_path) {
    return index_path + ".journal";
}

void SyncIndex::Load(const std::string& path) {
    m_path = path;
    m_records.clear();
    m_by_server_id.clear();
    m_by_outlook_id.clear();
    m_unwritten_changes.clear();
    std::string bytes;
    if (platform::ReadWholeFile(path, &bytes) == ERROR_SUCCESS) {
        const std::string text = platform::SanitizeUtf8(bytes);
        const std::vector<std::string_view> lines = SplitLines(text, false);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            IndexRecord record = ParseLine(lines[i]);
            // A last line without CR LF that ends before its date was cut (damage, a torn copy): its
            // Outlook ID may be cut too, and a pair with a folder that does not exist reads as deleted.
            const bool cut = i + 1 == lines.size() && !text.ends_with("\r\n") && !record.synchDate.IsValid();
            if (record.IsFound() && !cut)
                Insert(std::move(record));
        }
    }
    std::string journal;
    if (platform::ReadWholeFile(JournalPath(), &journal) == ERROR_SUCCESS)
        ApplyJournal(platform::SanitizeUtf8(journal));
}

// Replaying a journal over the file it was compacted into changes nothing: removals and the in-place
// replacement of Add are idempotent, so a crash between Save()'s rename and its journal removal is harmless.
void SyncIndex::ApplyJournal(const std::string& text) {
    for (std::string_view line : SplitLines(text, true)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        const std::string_view operation = line.substr(0, tab);
        const std::string_view rest = line.substr(tab + 1);
        const std::string key(platform::TrimWhitespace(rest));
        if (operation == kAddOperation) {
            IndexRecord record = ParseLine(rest);
            if (record.IsFound())
                Insert(std::move(record));
        } else if (operation == kRemoveServerIdOperation) {
            RemoveMatching(&m_by_server_id, key);
        } else if (operation == kRemoveOutlookIdOperation) {
            RemoveMatching(&m_by_outlook_id, key);
        }
    }
}

// The items the records name reach the disk before the records do.
bool SyncIndex::FlushNamedItems() const {
    if (platform::FlushEarlierWrites())
        return true;
    Log("SyncIndex: Unable to bring the items of %s to the disk; its changes are kept for the next write.",
        m_path.c_str());
    return false;
}

bool SyncIndex::AppendChangesToJournal() {
    if (m_path.empty() || m_unwritten_changes.empty()) {
        m_unwritten_changes.clear();
        return true;
    }
    if (!FlushNamedItems())
        return false;
    const LONG result = platform::AppendToFile(JournalPath(), m_unwritten_changes);
    if (result != ERROR_SUCCESS) {
        Log("SyncIndex::AppendChangesToJournal: Unable to write index journal %s. Result: %d",
            JournalPath().c_str(), result);
        return false;
    }
    m_unwritten_changes.clear();
    return true;
}

bool SyncIndex::Save() {
    if (m_path.empty())
        return true;
    if (!FlushNamedItems())
        return false;
    std::string text;
    for (const auto& [slot, record] : m_records)
        text += FormatLine(record) + "\r\n";
    const LONG result = platform::WriteFileAtomically(m_path, text);
    if (result != ERROR_SUCCESS) {
        Log("SyncIndex::Save: Unable to write index file %s. Result: %d", m_path.c_str(), result);
        (void)AppendChangesToJournal();
        return false;
    }
    m_unwritten_changes.clear();
    if (platform::PathExists(JournalPath()) && platform::DeleteOneFile(JournalPath()) != ERROR_SUCCESS)
        Log("SyncIndex::Save: Unable to remove index journal %s.", JournalPath().c_str());
    return true;
}

bool SyncIndex::Add(IndexRecord record) {
    if (HoldsLineBreakOrTab(record.ServerId) || HoldsLineBreakOrTab(record.OutlookId)) {
        Log("SyncIndex::Add: Key holds a tab or line break, record refused. ServerId: %s",
            record.ServerId.c_str());
        return false;
    }
    if (HoldsLineBreakOrTab(record.serverETag) ||
        platform::TrimWhitespace(record.serverETag).size() != record.serverETag.size()) {
        Log("SyncIndex::Add: ETag cannot be kept on one line, kept as unknown. ServerId: %s",
            record.ServerId.c_str());
        record.serverETag.clear();
    }
    m_unwritten_changes += std::string(kAddOperation) + "\t" + FormatLine(record) + "\r\n";
    Insert(std::move(record));
    return true;
}

bool SyncIndex::Add(const std::string& server_id, const std::string& outlook_id,
                    const platform::DateTime& synch_date) {
    IndexRecord record;
    record.ServerId = server_id;
    record.OutlookId = outlook_id;
    record.synchDate = synch_date;
    return Add(std::move(record));
}

void SyncIndex::Insert(IndexRecord record) {
    const std::string server_key = platform::AsciiLower(record.ServerId);
    const std::string outlook_key = platform::AsciiLower(record.OutlookId);
    const auto same_server = m_by_server_id.find(server_key);
    if (same_server != m_by_server_id.end()) {
        for (std::uint64_t slot : same_server->second) {
            IndexRecord& existing = m_records.at(slot);
            if (platform::AsciiLower(existing.OutlookId) == outlook_key) {
                existing = std::move(record);
                return;
            }
        }
    }
    const std::uint64_t slot = m_next_slot++;
    m_by_server_id[server_key].insert(slot);
    m_by_outlook_id[outlook_key].insert(slot);
    m_records.emplace(slot, std::move(record));
}

void SyncIndex::RemoveSlots(const Slots& slots) {
    for (std::uint64_t slot : slots) {
        const auto found = m_records.find(slot);
        if (found == m_records.end())
            continue;
        for (auto [keys, key] :
             {std::pair{&m_by_server_id, platform::AsciiLower(found->second.ServerId)},
              std::pair{&m_by_outlook_id, platform::AsciiLower(found->second.OutlookId)}}) {
            const auto entry = keys->find(key);
            if (entry == keys->end())
                continue;
            entry->second.erase(slot);
            if (entry->second.empty())
                keys->erase(entry);
        }
        m_records.erase(found);
    }
}

void SyncIndex::RemoveMatching(KeyMap* keys, const std::string& key) {
    const auto found = keys->find(platform::AsciiLower(key));
    if (found == keys->end())
        return;
    const Slots slots = found->second;  // RemoveSlots erases the entry this refers to
    RemoveSlots(slots);
}

IndexRecord SyncIndex::FindFirst(const KeyMap& keys, const std::string& key) const {
    const auto found = keys.find(platform::AsciiLower(key));
    if (found == keys.end() || found->second.empty())
        return IndexRecord{};
    return m_records.at(*found->second.begin());
}

IndexRecord SyncIndex::FindByServerId(const std::string& server_id) const {
    return FindFirst(m_by_server_id, server_id);
}

IndexRecord SyncIndex::FindByOutlookId(const std::string& outlook_id) const {
    return FindFirst(m_by_outlook_id, outlook_id);
}

void SyncIndex::RemoveByServerId(const std::string& server_id) {
    if (HoldsLineBreakOrTab(server_id))
        return;  // no record can hold such a key
    m_unwritten_changes += std::string(kRemoveServerIdOperation) + "\t" + server_id + "\r\n";
    RemoveMatching(&m_by_server_id, server_id);
}

void SyncIndex::RemoveByOutlookId(const std::string& outlook_id) {
    if (HoldsLineBreakOrTab(outlook_id))
        return;
    m_unwritten_changes += std::string(kRemoveOutlookIdOperation) + "\t" + outlook_id + "\r\n";
    RemoveMatching(&m_by_outlook_id, outlook_id);
}

std::vector<IndexRecord> SyncIndex::Records() const {
    std::vector<IndexRecord> records;
    records.reserve(m_records.size());
    for (const auto& [slot, record] : m_records)
        records.push_back(record);
    return records;
}
