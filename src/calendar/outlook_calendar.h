// One Outlook calendar folder: its appointments (read on first use), its sub-folders (each a calendar of
// its own, loaded recursively) and its "IsShared" flag in the folder's hidden storage item.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "calendar/outlook_folder_storage.h"
#include "ical/outlook_event.h"
#include "outlook/com_ptr.h"
#include "outlook/folder.h"
#include "outlook/items.h"
#include "platform/date_time.h"

class COutlookCalendar : public std::enable_shared_from_this<COutlookCalendar> {
  public:
    // Reads the folder and every folder below it; creates "IsShared" (false) when the folder's storage
    // lacks it. The appointments are read at the first call that needs them; items and folders that fail
    // to load are skipped with a log line.
    static std::shared_ptr<COutlookCalendar> Create(outlook::ComPtr<outlook::MAPIFolder> folder);

    explicit COutlookCalendar(outlook::ComPtr<outlook::MAPIFolder> folder);
    COutlookCalendar(const COutlookCalendar&) = delete;
    COutlookCalendar& operator=(const COutlookCalendar&) = delete;

    // This calendar and every calendar below it, depth first, each before its sub-calendars.
    std::vector<std::shared_ptr<COutlookCalendar>> EnumerateCalendars();

    std::string GetEntryID() const;
    std::string GetName() const;
    // "" when Outlook fails.
    std::string GetDescription() const;
    // False, with a log line, when Outlook refuses (an empty name, a sibling of that name).
    bool SetName(const std::string& name);
    bool SetDescription(const std::string& description);

    bool IsShared() const { return m_shared; }
    // Writes "IsShared" and saves the storage.
    void SetIsShared(bool shared);

    // A new sub-folder named `name` ("Unknown" when empty), made unique among the siblings as Work,
    // Work(1), Work(2)...; it is appended to the sub-calendars and gets the flag and the description.
    // Throws: CAddinException 202 (no Folders collection), 203 (Outlook refused the folder).
    std::shared_ptr<COutlookCalendar> CreateCalendar(const std::string& name, const std::string& description,
                                                     bool shared);

    // A new, unsaved appointment of the folder; null with a log line when Outlook refuses. The caller
    // fills and saves it, and keeps it as long as it needs it: it is not added to the events read
    // already (a first sync would otherwise hold every appointment it made until the run ends).
    std::shared_ptr<COutlookEvent> CreateEvent();

    // Deletes the folder; a failure is logged and returned.
    HRESULT Delete();

    std::size_t GetEventCount() const;
    std::shared_ptr<COutlookEvent> GetEvent(std::size_t index) const;
    const std::vector<std::shared_ptr<COutlookCalendar>>& SubCalendars() const { return m_sub_calendars; }
    // True when an appointment of this folder (or the whole list) could not be read: a missing
    // appointment then does not mean the user deleted it.
    bool HasUnreadItems() const;

    struct Stamp {
        std::string globalAppointmentId;  // "" when Outlook fails
        platform::DateTime lastModified;  // invalid when Outlook fails
    };
    // Reads the appointments now, leaving out of GetEvent those `settled` is true for: pairs that neither
    // side changed need no reading. An appointment whose key another one shares is never left out.
    // Returns the keys left out, in ASCII lower case.
    std::set<std::string> LoadEventsExcept(const std::function<bool(const Stamp&)>& settled);
    // The key and last change of every appointment, in GetEvent's order, read one item at a time
    // without keeping the items or decoding their series. False when an item or the list could not be
    // read.
    bool ReadStamps(std::vector<Stamp>* out) const;
    // True when a sub-folder of this folder or below could not be read.
    bool HasUnreadFolders() const;
    // Ownership: owned by this calendar.
    outlook::MAPIFolder* Folder() const { return m_folder.get(); }

  private:
    void LoadEvents() const;
    // Reads the appointments, but those `leave_out` (when set) is true for.
    void ReadEvents(const std::function<bool(const Stamp&)>& leave_out) const;
    // Hands each item of the folder to `visit`, with the item as an appointment (null for another kind).
    // False, with a log line, when the list or an item could not be read; the walk goes on past an item.
    bool ForEachItem(const std::function<void(outlook::IDispatch&, outlook::AppointmentItem*)>& visit) const;
    void LoadSubCalendars();
    // `name` unique among the folders of `folders` (ASCII case ignored).
    static std::string UniqueName(outlook::Folders* folders, const std::string& name);

    outlook::ComPtr<outlook::MAPIFolder> m_folder;
    // The folder's items, kept from the first new event on: a first sync adds one per server event.
    outlook::ComPtr<outlook::Items> m_items;
    // Read by LoadEvents on first use: a calendar left as it was needs only ReadStamps.
    mutable std::vector<std::shared_ptr<COutlookEvent>> m_events;
    mutable bool m_events_loaded = false;
    mutable bool m_unread_items = false;
    std::vector<std::shared_ptr<COutlookCalendar>> m_sub_calendars;
    COutlookFolderStorage m_storage;
    bool m_shared = false;
    bool m_unread_folders = false;
};
