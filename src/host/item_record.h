// What the store keeps of one item: scalar fields by name, and the item's lists (user properties,
// named properties, recipients, recurrence pattern, exceptions, list members), each a bag of values.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "outlook/enums.h"
#include "outlook/variant.h"

namespace host {

using PropertyBag = std::map<std::string, outlook::Variant>;

// Field values of a bag with a default when absent or of another form.
std::string BagText(const PropertyBag& bag, const std::string& key);
std::int32_t BagLong(const PropertyBag& bag, const std::string& key, std::int32_t fallback = 0);
bool BagBool(const PropertyBag& bag, const std::string& key);
platform::DateTime BagDate(const PropertyBag& bag, const std::string& key);

struct ItemRecord {
    std::int64_t row_id = 0;  // 0 until stored
    std::string entry_id;
    std::int64_t folder_id = 0;
    outlook::OlItemType kind = outlook::olAppointmentItem;
    bool hidden = false;  // folder storage items
    std::string global_id;
    // Values by Outlook member name ("Subject", "StartUTC", "Email1Address" ...).
    PropertyBag fields;
    // "Name", "Type", "Value" each.
    std::vector<PropertyBag> user_properties;
    // Named and tagged properties by canonical key ("id/{GUID}/82170003", "tag/0C1F001F").
    PropertyBag named;
    // "RowId", "Name", "Address", "Resolved", "Type", "TrackStatus", "Flags", "EntryID" each.
    std::vector<PropertyBag> recipients;
    // "RecurrenceType", "Interval", ... (present for a series master only).
    std::optional<PropertyBag> pattern;
    // "OriginalDate" (local), "Deleted", and the changed fields of a changed occurrence.
    std::vector<PropertyBag> exceptions;
    // "Name", "Address", "EntryID" each (distribution lists).
    std::vector<PropertyBag> members;
};

// The text form the store keeps in its items table: one line per value, "<section>\t<index>\t<key>\t
// <kind>\t<value>", with backslash, tab, CR and LF escaped in keys and values.
std::string EncodeItemRecord(const ItemRecord& record);
// False when the text is not of that form (a damaged row); `record` is then partly filled.
bool DecodeItemRecord(const std::string& text, ItemRecord* record);

}  // namespace host
