#include "calendar/outlook_calendar.h"

#include "calendar/internal/yes_no_property.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "platform/text.h"
#include "settings/addin_exception.h"
#include "settings/log.h"

namespace {

constexpr const char* kIsShared = "IsShared";
// Bounds the sibling walk of a name search (a folder tree is far smaller).
constexpr int kMaxNameAttempts = 10000;

COutlookCalendar::Stamp ReadStamp(outlook::AppointmentItem& appointment) {
    COutlookCalendar::Stamp stamp{std::string(), platform::DateTime::Invalid()};
    if (FAILED(appointment.get_GlobalAppointmentID(&stamp.globalAppointmentId)))
        stamp.globalAppointmentId.clear();
    if (FAILED(appointment.get_LastModificationTime(&stamp.lastModified)))
        stamp.lastModified = platform::DateTime::Invalid();
    return stamp;
}

}  // namespace

std::shared_ptr<COutlookCalendar> COutlookCalendar::Create(outlook::ComPtr<outlook::MAPIFolder> folder) {
    auto calendar = std::make_shared<COutlookCalendar>(std::move(folder));
    calendar->LoadSubCalendars();
    return calendar;
}

COutlookCalendar::COutlookCalendar(outlook::ComPtr<outlook::MAPIFolder> folder)
    : m_folder(std::move(folder)), m_storage(m_folder.get()) {
    m_shared = calendar::ReadYesNo(&m_storage, kIsShared, true);
}

std::size_t COutlookCalendar::GetEventCount() const {
    LoadEvents();
    return m_events.size();
}

std::shared_ptr<COutlookEvent> COutlookCalendar::GetEvent(std::size_t index) const {
    LoadEvents();
    return m_events.at(index);
}

std::set<std::string> COutlookCalendar::LoadEventsExcept(const std::function<bool(const Stamp&)>& settled) {
    std::set<std::string> seen;
    std::set<std::string> left_out;
    bool shared_key = false;
    m_events.clear();
    m_unread_items = false;
    ReadEvents([&](const Stamp& stamp) {
        const std::string key = platform::AsciiLower(stamp.globalAppointmentId);
        if (!seen.insert(key).second) {
            shared_key = shared_key || left_out.count(key) != 0;
            return false;
        }
        if (key.empty() || !settled(stamp))
            return false;
        left_out.insert(key);
        return true;
    });
    m_events_loaded = true;
    if (shared_key) {
        // Which of the two the record means is for the pairing to find out: it needs both.
        m_events.clear();
        m_unread_items = false;
        ReadEvents(nullptr);
        left_out.clear();
    }
    return left_out;
}

bool COutlookCalendar::HasUnreadItems() const {
    LoadEvents();
    return m_unread_items;
}

void COutlookCalendar::LoadEvents() const {
    if (m_events_loaded)
        return;
    m_events_loaded = true;
    ReadEvents(nullptr);
}

void COutlookCalendar::ReadEvents(const std::function<bool(const Stamp&)>& leave_out) const {
    const bool all_read = ForEachItem([&](outlook::IDispatch& item, outlook::AppointmentItem* appointment) {
        // Other kinds of item (a meeting request) are not synchronized.
        if (appointment != nullptr && leave_out && leave_out(ReadStamp(*appointment)))
            return;
        std::shared_ptr<COutlookEvent> event =
            appointment != nullptr ? COutlookEvent::CreateFromOutlookObject(&item) : nullptr;
        if (!event) {
            Log("CCalDavCalendar::Synchronize: Failed to get appointment.");
            return;
        }
        m_events.push_back(std::move(event));
    });
    // A missing appointment must not read as one the user deleted.
    if (!all_read)
        m_unread_items = true;
}

bool COutlookCalendar::ReadStamps(std::vector<Stamp>* out) const {
    out->clear();
    return ForEachItem([&](outlook::IDispatch&, outlook::AppointmentItem* appointment) {
        if (appointment != nullptr)
            out->push_back(ReadStamp(*appointment));
    });
}

bool COutlookCalendar::ForEachItem(
    const std::function<void(outlook::IDispatch&, outlook::AppointmentItem*)>& visit) const {
    outlook::ComPtr<outlook::Items> items;
    std::int32_t count = 0;
    if (!m_folder || FAILED(m_folder->get_Items(&items)) || !items || FAILED(items->get_Count(&count))) {
        Log("CCalDavCalendar::Synchronize: Failed to get appointments.");
        return false;
    }
    bool all_read = true;
    for (std::int32_t i = 1; i <= count; ++i) {
        outlook::ComPtr<outlook::IDispatch> item;
        if (FAILED(items->Item(i, &item)) || !item) {
            Log("CCalDavCalendar::Synchronize: Failed to get appointment.");
            all_read = false;
            continue;
        }
        outlook::ComPtr<outlook::AppointmentItem> appointment;
        if (FAILED(item.As(&appointment)))
            appointment = nullptr;
        visit(*item, appointment.get());
    }
    return all_read;
}

void COutlookCalendar::LoadSubCalendars() {
    outlook::ComPtr<outlook::Folders> folders;
    std::int32_t count = 0;
    if (!m_folder || FAILED(m_folder->get_Folders(&folders)) || !folders ||
        FAILED(folders->get_Count(&count))) {
        Log("CCalDavCalendar::CreateFromOutlookObject: Failed to get subcalendars.");
        m_unread_folders = true;
        return;
    }
    for (std::int32_t i = 1; i <= count; ++i) {
        outlook::ComPtr<outlook::MAPIFolder> folder;
        if (FAILED(folders->Item(i, &folder)) || !folder) {
            Log("CCalDavCalendar::CreateFromOutlookObject: Failed to get subcalendar.");
            m_unread_folders = true;
            continue;
        }
        m_sub_calendars.push_back(Create(std::move(folder)));
    }
}

bool COutlookCalendar::HasUnreadFolders() const {
    if (m_unread_folders)
        return true;
    for (const auto& sub : m_sub_calendars) {
        if (sub->HasUnreadFolders())
            return true;
    }
    return false;
}

std::vector<std::shared_ptr<COutlookCalendar>> COutlookCalendar::EnumerateCalendars() {
    std::vector<std::shared_ptr<COutlookCalendar>> list{shared_from_this()};
    for (const auto& sub : m_sub_calendars) {
        auto below = sub->EnumerateCalendars();
        list.insert(list.end(), below.begin(), below.end());
    }
    return list;
}

std::string COutlookCalendar::GetEntryID() const {
    std::string id;
    if (!m_folder || FAILED(m_folder->get_EntryID(&id)))
        return std::string();
    return id;
}

std::string COutlookCalendar::GetName() const {
    std::string name;
    if (!m_folder || FAILED(m_folder->get_Name(&name)))
        return std::string();
    return name;
}

std::string COutlookCalendar::GetDescription() const {
    std::string description;
    if (!m_folder || FAILED(m_folder->get_Description(&description)))
        return std::string();
    return description;
}

bool COutlookCalendar::SetName(const std::string& name) {
    const HRESULT hr = m_folder ? m_folder->put_Name(name) : E_POINTER;
    if (FAILED(hr)) {
        Log("COutlookCalendar::SetName: Unable to rename the folder to '%s'. HRESULT: %d.",
            platform::SanitizeUtf8(name).c_str(), hr);
        return false;
    }
    return true;
}

bool COutlookCalendar::SetDescription(const std::string& description) {
    const HRESULT hr = m_folder ? m_folder->put_Description(description) : E_POINTER;
    if (FAILED(hr)) {
        Log("COutlookCalendar::SetDescription: Unable to set the description. HRESULT: %d.", hr);
        return false;
    }
    return true;
}

void COutlookCalendar::SetIsShared(bool shared) {
    if (calendar::WriteYesNo(&m_storage, kIsShared, shared))
        m_shared = shared;
}

std::string COutlookCalendar::UniqueName(outlook::Folders* folders, const std::string& name) {
    std::string candidate = name;
    for (int counter = 1; counter <= kMaxNameAttempts; ++counter) {
        bool taken = false;
        outlook::ComPtr<outlook::MAPIFolder> sibling;
        HRESULT hr = folders->GetFirst(&sibling);
        for (int walked = 0; SUCCEEDED(hr) && sibling && walked < kMaxNameAttempts; ++walked) {
            std::string sibling_name;
            if (SUCCEEDED(sibling->get_Name(&sibling_name)) &&
                platform::EqualsIgnoreAsciiCase(sibling_name, candidate)) {
                taken = true;
                break;
            }
            hr = folders->GetNext(&sibling);
        }
        if (!taken)
            return candidate;
        candidate = name + "(" + std::to_string(counter) + ")";
    }
    return candidate;
}

std::shared_ptr<COutlookCalendar> COutlookCalendar::CreateCalendar(const std::string& name,
                                                                   const std::string& description,
                                                                   bool shared) {
    outlook::ComPtr<outlook::Folders> folders;
    if (!m_folder || FAILED(m_folder->get_Folders(&folders)) || !folders)
        throw CAddinException(kErrorSubcalendars);
    const std::string unique = UniqueName(folders.get(), name.empty() ? std::string("Unknown") : name);
    outlook::ComPtr<outlook::MAPIFolder> folder;
    const HRESULT hr = folders->Add(unique, &folder);
    if (FAILED(hr) || !folder) {
        Log("CCalDavCalendar::CreateNewInApplication: Failed to create new Calendar folder.");
        Log("CCalDavCalendar::CreateNewInApplication: Changing Outlook's data file format to PST may help "
            "fix "
            "this.");
        Log("CCalDavCalendar::CreateNewInApplication: Read more at "
            "docs/known-issues.md#folders-that-cannot-be-created "
            "(Issues in Outlook 2013).");
        throw CAddinException(kErrorAddCalendar);
    }
    auto calendar = Create(std::move(folder));
    m_sub_calendars.push_back(calendar);
    calendar->SetIsShared(shared);
    calendar->SetDescription(description);
    return calendar;
}

std::shared_ptr<COutlookEvent> COutlookCalendar::CreateEvent() {
    outlook::ComPtr<outlook::IDispatch> item;
    std::shared_ptr<COutlookEvent> event;
    if (!m_items && (!m_folder || FAILED(m_folder->get_Items(&m_items))))
        m_items = nullptr;
    if (m_items && SUCCEEDED(m_items->Add(&item)) && item)
        event = COutlookEvent::CreateFromOutlookObject(item.get());
    if (!event) {
        Log("COutlookCalendar::CreateEvent: Unable to add an appointment.");
        return nullptr;
    }
    return event;
}

HRESULT COutlookCalendar::Delete() {
    const HRESULT hr = m_folder ? m_folder->Delete() : E_POINTER;
    if (FAILED(hr))
        Log("CSyncManager::SyncCalendars: Failed to delete Calendar folder.");
    return hr;
}
