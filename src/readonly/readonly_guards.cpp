#include "readonly/readonly_guards.h"

#include "outlook/namespace.h"
#include "readonly/readonly_common_data.h"
#include "readonly/readonly_handler.h"

namespace {

std::shared_ptr<CReadonlyHandler> Watch(outlook::NameSpace* session, outlook::OlDefaultFolders kind,
                                        const std::shared_ptr<CReadonlyCommonData>& common) {
    outlook::ComPtr<outlook::MAPIFolder> folder;
    if (FAILED(session->GetDefaultFolder(kind, &folder)) || !folder) {
        return nullptr;
    }
    auto guard = std::make_shared<CReadonlyHandler>(kind == outlook::olFolderCalendar, common);
    guard->Initialize(folder);
    return guard;
}

}  // namespace

CReadonlyGuards::CReadonlyGuards() = default;

CReadonlyGuards::~CReadonlyGuards() {
    Shutdown();
}

void CReadonlyGuards::SetUp(outlook::Application* application) {
    Shutdown();
    m_common = std::make_shared<CReadonlyCommonData>();
    outlook::ComPtr<outlook::NameSpace> session;
    if (application == nullptr || FAILED(application->get_Session(&session)) || !session) {
        return;
    }
    m_contacts = Watch(session.get(), outlook::olFolderContacts, m_common);
    m_suggested = Watch(session.get(), outlook::olFolderSuggestedContacts, m_common);
    m_calendar = Watch(session.get(), outlook::olFolderCalendar, m_common);
}

void CReadonlyGuards::Shutdown() {
    for (auto* guard : {&m_contacts, &m_suggested, &m_calendar}) {
        if (*guard) {
            (*guard)->Shutdown();
            guard->reset();
        }
    }
}

void CReadonlyGuards::RegisterOwnChange(const std::string& item_id) {
    if (m_common) {
        m_common->RegisterOwnChange(item_id);
    }
}

void CReadonlyGuards::ClearOwnChanges() {
    if (m_common) {
        m_common->ClearOwnChanges();
    }
}

void CReadonlyGuards::SetFolderReadonly(const std::string& folder_entry_id, bool readonly) {
    if (!m_common) {
        m_common = std::make_shared<CReadonlyCommonData>();
    }
    m_common->SetFolderReadonly(folder_entry_id, readonly);
}

void CReadonlyGuards::RefreshFolderGuards(const std::string& folder_entry_id) {
    if (m_common) {
        if (auto guard = m_common->FindGuard(folder_entry_id)) {
            guard->Refresh();
        }
    }
}

bool CReadonlyGuards::IsReadonlyFolder(const std::string& folder_entry_id) const {
    return m_common && m_common->IsReadonlyFolder(folder_entry_id);
}
