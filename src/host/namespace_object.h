// The session's namespace: default folders, lookup by EntryID, recipients.
#pragma once

#include <string>

#include "host/application_object.h"
#include "host/internal/com_object.h"
#include "outlook/namespace.h"

namespace host {

class NameSpaceObject : public internal::ComObject<outlook::NameSpace> {
  public:
    explicit NameSpaceObject(outlook::ComPtr<ApplicationObject> app);

    [[nodiscard]] HRESULT get_Application(outlook::ComPtr<outlook::Application>* out) override;
    [[nodiscard]] HRESULT Logon(const std::string& profile, const std::string& password, bool show_dialog,
                                bool new_session) override;
    [[nodiscard]] HRESULT Logoff() override;
    [[nodiscard]] HRESULT GetDefaultFolder(outlook::OlDefaultFolders folder,
                                           outlook::ComPtr<outlook::MAPIFolder>* out) override;
    [[nodiscard]] HRESULT GetFolderFromID(const std::string& entry_id,
                                          outlook::ComPtr<outlook::MAPIFolder>* out) override;
    [[nodiscard]] HRESULT GetItemFromID(const std::string& entry_id,
                                        outlook::ComPtr<outlook::IDispatch>* out) override;
    [[nodiscard]] HRESULT CreateRecipient(const std::string& recipient_name,
                                          outlook::ComPtr<outlook::Recipient>* out) override;

  private:
    outlook::ComPtr<ApplicationObject> app_;
};

}  // namespace host
