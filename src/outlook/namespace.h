// _NameSpace: the session on the store.
#pragma once

#include <string>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"
#include "outlook/enums.h"

namespace outlook {

class Application;
class MAPIFolder;
class Recipient;

class NameSpace : public IDispatch {
  public:
    static constexpr Iid kIid = "{00063002-0000-0000-C000-000000000046}";

    [[nodiscard]] virtual HRESULT get_Application(ComPtr<Application>* out) = 0;

    // Opens the session on the store. Calling it again while logged on does nothing. Fails:
    // MAPI_E_TIMEOUT when another process holds the store too long, MAPI_E_CORRUPT_STORE for a damaged
    // store file (the file is left as it is), MAPI_E_DISK_ERROR when it cannot be opened.
    [[nodiscard]] virtual HRESULT Logon(const std::string& profile, const std::string& password,
                                        bool show_dialog, bool new_session) = 0;
    [[nodiscard]] virtual HRESULT Logoff() = 0;

    // olFolderCalendar, olFolderContacts or olFolderSuggestedContacts; they exist from the first start.
    // Fails: E_INVALIDARG for another value.
    [[nodiscard]] virtual HRESULT GetDefaultFolder(OlDefaultFolders folder, ComPtr<MAPIFolder>* out) = 0;
    // A folder or an item by its EntryID. Fails: MAPI_E_NOT_FOUND.
    [[nodiscard]] virtual HRESULT GetFolderFromID(const std::string& entry_id, ComPtr<MAPIFolder>* out) = 0;
    [[nodiscard]] virtual HRESULT GetItemFromID(const std::string& entry_id, ComPtr<IDispatch>* out) = 0;

    // An unresolved recipient for a name or an address. Fails: E_INVALIDARG for an empty text.
    [[nodiscard]] virtual HRESULT CreateRecipient(const std::string& recipient_name,
                                                  ComPtr<Recipient>* out) = 0;

  protected:
    ~NameSpace() = default;
};

}  // namespace outlook
