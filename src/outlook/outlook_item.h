// The members every item kind (appointment, contact, distribution list) has in common.
#pragma once

#include <memory>
#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"
#include "outlook/item_events.h"
#include "platform/date_time.h"

namespace outlook {

class Application;
class MAPIFolder;
class NameSpace;
class UserProperties;

class OutlookItem : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063000-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Application(ComPtr<Application>* out) = 0;
    [[nodiscard]] virtual HRESULT get_Session(ComPtr<NameSpace>* out) = 0;
    // The folder that holds (or, unsaved, will hold) the item.
    [[nodiscard]] virtual HRESULT get_Parent(ComPtr<MAPIFolder>* out) = 0;
    [[nodiscard]] virtual HRESULT get_Class(OlItemType* out) = 0;

    // Stable upper-case hexadecimal key, assigned at the first Save. Fails: MAPI_E_NOT_FOUND before it.
    [[nodiscard]] virtual HRESULT get_EntryID(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT get_Subject(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Subject(const std::string& value) = 0;
    [[nodiscard]] virtual HRESULT get_Body(std::string* out) = 0;
    [[nodiscard]] virtual HRESULT put_Body(const std::string& value) = 0;
    // Local time of the first Save (of the creation, before it).
    [[nodiscard]] virtual HRESULT get_CreationTime(platform::DateTime* out) = 0;
    // Local time of the latest Save.
    [[nodiscard]] virtual HRESULT get_LastModificationTime(platform::DateTime* out) = 0;
    // True when nothing changed since the last Save.
    [[nodiscard]] virtual HRESULT get_Saved(bool* out) = 0;
    [[nodiscard]] virtual HRESULT get_UserProperties(ComPtr<UserProperties>* out) = 0;

    // Makes the changes visible to every other object and session, in one transaction, and fires
    // ItemAdd (first Save) or Write and ItemChange. Fails: MAPI_E_USER_CANCEL when a Write handler
    // cancelled; MAPI_E_OBJECT_DELETED for a deleted item; E_INVALIDARG for a value the store refuses
    // (an invalid recurrence pattern, End before Start).
    [[nodiscard]] virtual HRESULT Save() = 0;
    // Deletes the item (an occurrence: deletes that occurrence from its series). BeforeDelete fires
    // first. Fails: MAPI_E_USER_CANCEL when a handler cancelled; MAPI_E_OBJECT_DELETED.
    [[nodiscard]] virtual HRESULT Delete() = 0;
    // Moves the item into `destination` and gives the moved item (an unsaved item is saved there).
    // BeforeItemMove of the source folder fires first, then ItemRemove and ItemAdd. Fails:
    // MAPI_E_USER_CANCEL; E_INVALIDARG when the folder cannot hold the kind.
    [[nodiscard]] virtual HRESULT Move(MAPIFolder* destination, ComPtr<IDispatch>* out) = 0;

    // ItemEvents_10 of this item.
    [[nodiscard]] virtual HRESULT Advise(const std::shared_ptr<ItemEvents>& sink, EventCookie* cookie) = 0;
    [[nodiscard]] virtual HRESULT Unadvise(EventCookie cookie) = 0;

  protected:
    ~OutlookItem() = default;
};

}  // namespace outlook
