// The host's Application: the session on one store, its events and its main window.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "host/contact_directory.h"
#include "host/event_hub.h"
#include "host/internal/com_object.h"
#include "host/item_record.h"
#include "host/store.h"
#include "outlook/application.h"

namespace host {

class ExplorerObject;

class ApplicationObject : public internal::ComObject<outlook::Application> {
  public:
    // "outlook.db" in the velsync home.
    static std::string DefaultStorePath();

    // Opens the store (see Store::Open). Fails with the store's status; *error then says why in words.
    [[nodiscard]] static HRESULT Create(const std::string& store_path, int busy_timeout_ms,
                                        outlook::ComPtr<ApplicationObject>* out, std::string* error);

    [[nodiscard]] HRESULT get_Session(outlook::ComPtr<outlook::NameSpace>* out) override;
    [[nodiscard]] HRESULT ActiveExplorer(outlook::ComPtr<outlook::Explorer>* out) override;
    [[nodiscard]] HRESULT CreateItem(outlook::OlItemType type,
                                     outlook::ComPtr<outlook::IDispatch>* out) override;
    [[nodiscard]] HRESULT get_TimeZones(outlook::ComPtr<outlook::TimeZones>* out) override;
    [[nodiscard]] HRESULT Advise(const std::shared_ptr<outlook::ApplicationEvents>& sink,
                                 outlook::EventCookie* cookie) override;
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) override;

    Store& store() { return store_; }
    EventHub& events() { return events_; }

    // The item object for a stored or new record (appointment, contact, list).
    [[nodiscard]] HRESULT MakeItem(const ItemRecord& record, outlook::ComPtr<outlook::IDispatch>* out);
    // A new unsaved item of `type` in the folder.
    [[nodiscard]] HRESULT NewItem(outlook::OlItemType type, std::int64_t folder_id,
                                  outlook::ComPtr<outlook::IDispatch>* out);
    // The EntryID of a folder, the event key of its collections ("" for a folder not found).
    std::string FolderKey(std::int64_t folder_id);
    // Resolves a name or address against the contacts (FullName, e-mail addresses), else as an e-mail
    // address. False when it does not resolve.
    bool ResolveName(const std::string& text, std::string* name, std::string* address);
    // The stable EntryID of an address.
    std::string AddressEntryId(const std::string& address);

  protected:
    // The store serializes access and events are delivered inside the calls, so any thread may call the
    // application itself: it is agile, and the interface table hands it out without a proxy.
    void* QueryExtra(outlook::Iid iid) override;

  private:
    Store store_;
    ContactDirectory contacts_{store_};
    EventHub events_;
    outlook::ComPtr<ExplorerObject> explorer_;
    // Folder EntryIDs by row: every saved item asks for its folder's. A folder keeps its EntryID, and the
    // store never gives a row number out twice.
    std::mutex folder_keys_lock_;
    std::map<std::int64_t, std::string> folder_keys_;
};

}  // namespace host
