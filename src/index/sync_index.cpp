#include "index/sync_index.h"

#include <algorithm>
#include <cstdio>

#include "platform/file_system.h"
#include "platform/text.h"
#include "settings/log.h"

namespace {

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
    return record;
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

void SyncIndex::Load(const std::string& path) {
    m_path = path;
    m_records.clear();
    std::string bytes;
    if (platform::ReadWholeFile(path, &bytes) != ERROR_SUCCESS)
        return;
    const std::string text = platform::SanitizeUtf8(bytes);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        IndexRecord record = ParseLine(std::string_view(text).substr(start, end - start));
        if (record.IsFound())
            m_records.push_back(std::move(record));
        start = end + 2;
    }
}

bool SyncIndex::Save() const {
    if (m_path.empty())
        return true;
    std::string text;
    for (const IndexRecord& record : m_records) {
        text += record.ServerId + "\t" + record.OutlookId + "\t" + FormatDate(record.synchDate) + "\r\n";
    }
    const LONG result = platform::WriteFileAtomically(m_path, text);
    if (result != ERROR_SUCCESS) {
        Log("SyncIndex::Save: Unable to write index file %s. Result: %d", m_path.c_str(), result);
        return false;
    }
    return true;
}

bool SyncIndex::Add(const std::string& server_id, const std::string& outlook_id,
                    const platform::DateTime& synch_date) {
    if (HoldsLineBreakOrTab(server_id) || HoldsLineBreakOrTab(outlook_id)) {
        Log("SyncIndex::Add: Key holds a tab or line break, record refused. ServerId: %s", server_id.c_str());
        return false;
    }
    m_records.push_back(IndexRecord{server_id, outlook_id, synch_date});
    return true;
}

IndexRecord SyncIndex::FindByServerId(const std::string& server_id) const {
    for (const IndexRecord& record : m_records) {
        if (platform::EqualsIgnoreAsciiCase(record.ServerId, server_id))
            return record;
    }
    return IndexRecord{};
}

IndexRecord SyncIndex::FindByOutlookId(const std::string& outlook_id) const {
    for (const IndexRecord& record : m_records) {
        if (platform::EqualsIgnoreAsciiCase(record.OutlookId, outlook_id))
            return record;
    }
    return IndexRecord{};
}

void SyncIndex::RemoveByServerId(const std::string& server_id) {
    std::erase_if(m_records, [&](const IndexRecord& r) {
        return platform::EqualsIgnoreAsciiCase(r.ServerId, server_id);
    });
}

void SyncIndex::RemoveByOutlookId(const std::string& outlook_id) {
    std::erase_if(m_records, [&](const IndexRecord& r) {
        return platform::EqualsIgnoreAsciiCase(r.OutlookId, outlook_id);
    });
}
