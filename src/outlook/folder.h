// MAPIFolder: one folder of the store (Calendar, Contacts and the folders below them).
#pragma once

#include <memory>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"
#include "outlook/folder_events.h"

namespace outlook {

class Application;
class Folders;
class Items;
class StorageItem;

class MAPIFolder : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063006-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Application(ComPtr<Application>* out) = 0;
    // The stable key of the folder: upper-case hexadecimal, the same in every session.
    [[nodiscard]] virtual HRESULT get_EntryID(std::string* out) = 0;
    // The key of the store the folder lives in: the same for every folder of the store and in every
    // session, another for another store (a new or recreated one).
    [[nodiscard]] virtual HRESULT get_StoreID(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_Name(std::string* out) = 0;
    // Fails: E_INVALIDARG for an empty name; MAPI_E_COLLISION when a sibling has that name already.
    [[nodiscard]] virtual HRESULT put_Name(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Description(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Description(const std::string& value) = 0;
    // The kind of item Items.Add makes when no type is given (appointments below Calendar, contacts
    // below Contacts).
    [[nodiscard]] virtual HRESULT get_DefaultItemType(OlItemType* out) = 0;
    // Whether a contacts folder is offered in the address book.
    [[nodiscard]] virtual HRESULT get_ShowAsOutlookAB(bool* out) = 0;
    [[nodiscard]] virtual HRESULT put_ShowAsOutlookAB(bool value) = 0;
    // The parent folder; S_OK with an empty *out for a default folder.
    [[nodiscard]] virtual HRESULT get_Parent(ComPtr<MAPIFolder>* out) = 0;

    [[nodiscard]] virtual HRESULT get_Items(ComPtr<Items>* out) = 0;
    [[nodiscard]] virtual HRESULT get_Folders(ComPtr<Folders>* out) = 0;

    // Deletes the folder with its items and sub-folders. BeforeFolderMove fires first (target null).
    // Fails: MAPI_E_NO_SUPPORT for a default folder; MAPI_E_USER_CANCEL when a handler cancelled.
    [[nodiscard]] virtual HRESULT Delete() = 0;
    // Moves the folder below `destination`. Fails: E_INVALIDARG when `destination` is the folder itself
    // or below it; MAPI_E_COLLISION when the destination has a sub-folder of that name;
    // MAPI_E_USER_CANCEL when a BeforeFolderMove handler cancelled.
    [[nodiscard]] virtual HRESULT MoveTo(MAPIFolder* destination) = 0;

    // The folder's hidden storage item found by `storage_id` (olIdentifyBySubject: its subject),
    // created (unsaved) when there is none. Hidden items are not among the folder's Items. Fails:
    // E_INVALIDARG for an empty id or another identifier type.
    [[nodiscard]] virtual HRESULT GetStorage(const std::string& storage_id, OlStorageIdentifierType type,
                                             ComPtr<StorageItem>* out) = 0;

    // MAPIFolderEvents_12 of this folder.
    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<FolderEvents>& sink, EventCookie* cookie) = 0;
    [[nodiscard]] virtual HRESULT Unadvise(EventCookie cookie) = 0;

  protected:
    ~MAPIFolder() = default;
};

}  // namespace outlook
