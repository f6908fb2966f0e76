#include "host/application_object.h"

#include <cctype>

#include "host/appointment_object.h"
#include "host/contact_object.h"
#include "host/dist_list_object.h"
#include "host/explorer_object.h"
#include "host/fault_hook.h"
#include "host/namespace_object.h"
#include "host/time_zone_object.h"
#include "host/time_zones_object.h"
#include "outlook/status.h"
#include "platform/crypto.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace host {
namespace {

// local@domain with a dot in the domain and no blanks: what Outlook resolves as an SMTP address.
bool LooksLikeAddress(const std::string& text) {
    const std::size_t at = text.find('@');
    if (at == std::string::npos || at == 0 || at + 1 >= text.size() ||
        text.find('@', at + 1) != std::string::npos) {
        return false;
    }
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == '<' || c == '>' || c == ',' || c == ';') {
            return false;
        }
    }
    const std::size_t dot = text.find('.', at + 1);
    return dot != std::string::npos && dot + 1 < text.size() && dot > at + 1;
}

}  // namespace

std::string ApplicationObject::DefaultStorePath() {
    return platform::VelsyncHome() + "/outlook.db";
}

HRESULT ApplicationObject::Create(const std::string& store_path, int busy_timeout_ms,
                                  outlook::ComPtr<ApplicationObject>* out, std::string* error) {
    auto app = internal::Make<ApplicationObject>();
    HRESULT hr = app->store_.Open(store_path, busy_timeout_ms);
    if (FAILED(hr)) {
        if (error != nullptr) {
            *error = app->store_.LastError();
        }
        return hr;
    }
    *out = app;
    return S_OK;
}

HRESULT ApplicationObject::get_Session(outlook::ComPtr<outlook::NameSpace>* out) {
    HRESULT hr = CheckFault("Application.get_Session");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = internal::Make<NameSpaceObject>(outlook::ComPtr<ApplicationObject>(this));
    return S_OK;
}

HRESULT ApplicationObject::ActiveExplorer(outlook::ComPtr<outlook::Explorer>* out) {
    HRESULT hr = CheckFault("Application.ActiveExplorer");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    if (!explorer_) {
        explorer_ = internal::Make<ExplorerObject>(this);
    }
    *out = explorer_;
    return S_OK;
}

HRESULT ApplicationObject::CreateItem(outlook::OlItemType type, outlook::ComPtr<outlook::IDispatch>* out) {
    HRESULT hr = CheckFault("Application.CreateItem");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    std::int32_t folder_kind = 0;
    if (type == outlook::olAppointmentItem) {
        folder_kind = outlook::olFolderCalendar;
    } else if (type == outlook::olContactItem || type == outlook::olDistributionListItem) {
        folder_kind = outlook::olFolderContacts;
    } else {
        return E_INVALIDARG;
    }
    FolderRecord folder;
    hr = store_.GetDefaultFolder(folder_kind, &folder);
    return FAILED(hr) ? hr : NewItem(type, folder.row_id, out);
}

HRESULT ApplicationObject::get_TimeZones(outlook::ComPtr<outlook::TimeZones>* out) {
    HRESULT hr = CheckFault("Application.get_TimeZones");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = internal::Make<TimeZonesObject>();
    return S_OK;
}

HRESULT ApplicationObject::Advise(const std::shared_ptr<outlook::ApplicationEvents>& sink,
                                  outlook::EventCookie* cookie) {
    return events_.Advise("", sink, cookie);
}

HRESULT ApplicationObject::Unadvise(outlook::EventCookie cookie) {
    return events_.Unadvise<outlook::ApplicationEvents>(cookie);
}

HRESULT ApplicationObject::MakeItem(const ItemRecord& record, outlook::ComPtr<outlook::IDispatch>* out) {
    outlook::ComPtr<ApplicationObject> self(this);
    switch (record.kind) {
        case outlook::olAppointmentItem:
            *out = internal::Make<AppointmentObject>(self, record);
            return S_OK;
        case outlook::olContactItem:
            *out = internal::Make<ContactObject>(self, record);
            return S_OK;
        case outlook::olDistributionListItem:
            *out = internal::Make<DistListObject>(self, record);
            return S_OK;
        default:
            return E_INVALIDARG;
    }
}

HRESULT ApplicationObject::NewItem(outlook::OlItemType type, std::int64_t folder_id,
                                   outlook::ComPtr<outlook::IDispatch>* out) {
    ItemRecord record;
    record.entry_id = store_.NewEntryId();
    record.folder_id = folder_id;
    record.kind = type;
    const platform::DateTime now = platform::DateTime::NowUtc();
    if (type == outlook::olAppointmentItem) {
        record.global_id = Store::NewGlobalAppointmentId(now);
        // Outlook's new appointment: the next half hour, 30 minutes, busy, a 15-minute reminder.
        const std::int64_t seconds = now.ToUnixSeconds();
        const platform::DateTime start = platform::DateTime::FromUnixSeconds((seconds / 1800 + 1) * 1800);
        record.fields["StartUTC"] = start;
        record.fields["EndUTC"] = start.AddSeconds(1800);
        record.fields["BusyStatus"] = static_cast<std::int32_t>(outlook::olBusy);
        record.fields["Importance"] = static_cast<std::int32_t>(outlook::olImportanceNormal);
        record.fields["Sensitivity"] = static_cast<std::int32_t>(outlook::olNormal);
        record.fields["ReminderSet"] = true;
        record.fields["ReminderMinutesBeforeStart"] = std::int32_t{15};
        record.fields["MeetingStatus"] = static_cast<std::int32_t>(outlook::olNonMeeting);
        // Outlook gives every new appointment the zone it is made in: a series made in Los Angeles
        // stays at its hour there when the machine moves to another zone.
        const std::string zone = TimeZoneObject::LocalWindowsId();
        if (!zone.empty()) {
            record.fields["StartTimeZone"] = zone;
            record.fields["EndTimeZone"] = zone;
        }
    } else if (type != outlook::olContactItem && type != outlook::olDistributionListItem) {
        return E_INVALIDARG;
    }
    return MakeItem(record, out);
}

std::string ApplicationObject::FolderKey(std::int64_t folder_id) {
    std::lock_guard lock(folder_keys_lock_);
    const auto known = folder_keys_.find(folder_id);
    if (known != folder_keys_.end()) {
        return known->second;
    }
    FolderRecord folder;
    if (FAILED(store_.GetFolder(folder_id, &folder))) {
        return {};
    }
    folder_keys_.emplace(folder_id, folder.entry_id);
    return folder.entry_id;
}

bool ApplicationObject::ResolveName(const std::string& text, std::string* name, std::string* address) {
    const std::string wanted(platform::TrimWhitespace(text));
    if (wanted.empty()) {
        return false;
    }
    // Contacts first, in the Contacts tree and Suggested Contacts, as the address book lists them.
    if (contacts_.Find(wanted, name, address)) {
        return true;
    }
    if (LooksLikeAddress(wanted)) {
        *name = wanted;
        *address = wanted;
        return true;
    }
    return false;
}

std::string ApplicationObject::AddressEntryId(const std::string& address) {
    std::string hex = platform::Md5Hex(platform::AsciiLower(address));
    for (char& c : hex) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    // One-off addresses: flags, the one-off provider's id, then the address's own part.
    return "00000000812B1FA4BEA310199D6E00DD010F5402" + hex;
}

void* ApplicationObject::QueryExtra(outlook::Iid iid) {
    if (platform::IsEqualGuid(iid, platform::IAgileObject::kIid)) {
        return static_cast<outlook::IUnknown*>(this);
    }
    return nullptr;
}

}  // namespace host
