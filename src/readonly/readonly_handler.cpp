#include "readonly/readonly_handler.h"

#include "readonly/outlook_id.h"
#include "readonly/own_change_scope.h"
#include "readonly/readonly_common_data.h"
#include "readonly/readonly_message.h"
#include "settings/log.h"
#include "settings/messages.h"

CReadonlyHandler::CReadonlyHandler(bool calendar_kind, std::shared_ptr<CReadonlyCommonData> common)
    : m_calendarKind(calendar_kind), m_common(std::move(common)) {}

CReadonlyHandler::~CReadonlyHandler() {
    UnadviseFolderEvents();
}

void CReadonlyHandler::Initialize(outlook::ComPtr<outlook::MAPIFolder> folder) {
    m_folder = std::move(folder);
    (void)m_folder->get_Folders(&m_folders);
    (void)m_folder->get_Items(&m_items);
    (void)m_folder->get_EntryID(&m_entryId);
    std::string name;
    (void)m_folder->get_Name(&name);
    Log("CReadonlyHandler::Initialize will CreateItemsHandlers for folder '%s'", name.c_str());
    CreateItemsHandlers();
    AdviseFolderEvents();

    std::int32_t count = 0;
    if (m_folders && SUCCEEDED(m_folders->get_Count(&count))) {
        for (std::int32_t i = 1; i <= count; ++i) {
            outlook::ComPtr<outlook::MAPIFolder> child;
            if (SUCCEEDED(m_folders->Item(i, &child)) && child) {
                auto guard = std::make_shared<CReadonlyHandler>(m_calendarKind, m_common);
                guard->Initialize(child);
                m_children.push_back(std::move(guard));
            }
        }
    }
    m_common->RegisterGuard(m_entryId, weak_from_this());
}

void CReadonlyHandler::Shutdown() {
    for (const auto& child : m_children) {
        child->Shutdown();
    }
    m_children.clear();
    DropItemHandlers();
    UnadviseFolderEvents();
}

bool CReadonlyHandler::IsReadonly() const {
    return m_common->IsReadonlyFolder(m_entryId);
}

void CReadonlyHandler::CreateItemsHandlers() {
    std::int32_t count = 0;
    if (!m_items || FAILED(m_items->get_Count(&count))) {
        return;
    }
    // Only a read-only folder's items get guards; the others are not even read from the store.
    const bool readonly = IsReadonly();
    for (std::int32_t i = 1; i <= count; ++i) {
        Log("CReadonlyHandler::CreateItemsHandlers will AddItemHandler");
        Log("CReadonlyHandler::AddItemHandler");
        if (!readonly) {
            continue;
        }
        Log("CReadonlyHandler::AddItemHandler IsReadonlyFolder");
        outlook::ComPtr<outlook::IDispatch> item;
        if (SUCCEEDED(m_items->Item(i, &item)) && item) {
            AddItemHandler(item.get());
        }
    }
}

void CReadonlyHandler::AddItemHandler(outlook::IDispatch* item) {
    const std::string id = GetOutlookId(item);
    for (const auto& handler : m_itemHandlers) {
        if (handler->ItemId() == id) {
            return;
        }
    }
    outlook::ComPtr<outlook::OutlookItem> typed;
    if (FAILED(outlook::ComPtr<outlook::IDispatch>(item).As(&typed))) {
        return;
    }
    Log("CReadonlyHandler::AddItemHandler will reset");
    auto handler = std::make_shared<CItemReadonlyHandler>(typed, id, m_entryId, m_common);
    if (handler->Advise()) {
        m_itemHandlers.push_back(std::move(handler));
    }
}

void CReadonlyHandler::AdviseFolderEvents() {
    if (m_advised) {
        return;
    }
    // Each failure only leaves that one kind of event unwatched.
    if (m_items) {
        (void)m_items->Advise(std::shared_ptr<outlook::ItemsEvents>(shared_from_this()), &m_itemsCookie);
    }
    (void)m_folder->Advise(std::shared_ptr<outlook::FolderEvents>(shared_from_this()), &m_folderCookie);
    if (m_folders) {
        (void)m_folders->Advise(std::shared_ptr<outlook::FoldersEvents>(shared_from_this()),
                                &m_foldersCookie);
    }
    m_advised = true;
}

void CReadonlyHandler::UnadviseFolderEvents() {
    if (!m_advised) {
        return;
    }
    if (m_items && m_itemsCookie != 0) {
        (void)m_items->Unadvise(m_itemsCookie);
    }
    if (m_folder && m_folderCookie != 0) {
        (void)m_folder->Unadvise(m_folderCookie);
    }
    if (m_folders && m_foldersCookie != 0) {
        (void)m_folders->Unadvise(m_foldersCookie);
    }
    m_itemsCookie = m_folderCookie = m_foldersCookie = 0;
    m_advised = false;
}

void CReadonlyHandler::DropItemHandlers() {
    for (const auto& handler : m_itemHandlers) {
        handler->Unadvise();
    }
    m_itemHandlers.clear();
}

void CReadonlyHandler::SetReadonly(bool readonly) {
    if (!readonly) {
        DropItemHandlers();
        UnadviseFolderEvents();
        return;
    }
    AdviseFolderEvents();
    CreateItemsHandlers();
}

void CReadonlyHandler::Refresh() {
    DropItemHandlers();
    UnadviseFolderEvents();
    AdviseFolderEvents();
    CreateItemsHandlers();
}

void CReadonlyHandler::ItemAdd(outlook::IDispatch* item) {
    if (!IsReadonly() || item == nullptr) {
        return;
    }
    if (GetAllowCreate(item)) {
        // Created by the synchronization: let it stay, but only once.
        (void)SetAllowCreateAndSave(item, false);
        return;
    }
    unsigned message = 0;
    switch (GetItemKind(item)) {
        case GuardedItemKind::Contact:
            message = IDS_NO_CONTACT_IN_READ_ONLY;
            break;
        case GuardedItemKind::DistList:
            message = IDS_NO_LIST_IN_READ_ONLY;
            break;
        case GuardedItemKind::Appointment:
            message = IDS_NO_APPOINTMENT_IN_READ_ONLY;
            break;
        case GuardedItemKind::Other:
            return;
    }
    outlook::ComPtr<outlook::OutlookItem> typed;
    if (FAILED(outlook::ComPtr<outlook::IDispatch>(item).As(&typed))) {
        return;
    }
    {
        const OwnChangeScope own_change(m_common.get(), GetOutlookId(item));
        (void)typed->Delete();
    }
    ShowReadonlyMessage(message);
}

void CReadonlyHandler::ItemChange(outlook::IDispatch* /*item*/) {}

void CReadonlyHandler::ItemRemove() {}

void CReadonlyHandler::BeforeFolderMove(outlook::MAPIFolder* move_to, bool* cancel) {
    if (m_calendarKind || !IsReadonly()) {
        return;
    }
    // The add-in registers a folder it moves or deletes itself by the folder's own EntryID.
    std::string target_id;
    if (move_to != nullptr) {
        (void)move_to->get_EntryID(&target_id);
    }
    if (m_common->IsOwnChange(m_entryId) || m_common->IsOwnChange(target_id)) {
        return;
    }
    *cancel = true;
    ShowReadonlyMessage(IDS_FOLDER_NOT_DELETABLE);
}

void CReadonlyHandler::BeforeItemMove(outlook::IDispatch* item, outlook::MAPIFolder* move_to, bool* cancel) {
    if (m_common->IsOwnChange(GetOutlookId(item))) {
        return;
    }
    std::string target_id;
    if (move_to != nullptr) {
        (void)move_to->get_EntryID(&target_id);
    }
    if (!target_id.empty() && m_common->IsReadonlyFolder(target_id)) {
        *cancel = true;
        ShowReadonlyMessage(IDS_NO_MOVE_INTO_READ_ONLY);
    } else if (IsReadonly()) {
        *cancel = true;
        ShowReadonlyMessage(IDS_NO_REMOVE_FROM_READ_ONLY);
    }
}

void CReadonlyHandler::FolderAdd(outlook::MAPIFolder* folder) {
    if (folder == nullptr) {
        return;
    }
    auto guard = std::make_shared<CReadonlyHandler>(m_calendarKind, m_common);
    guard->Initialize(outlook::ComPtr<outlook::MAPIFolder>(folder));
    m_children.push_back(std::move(guard));
}

void CReadonlyHandler::FolderChange(outlook::MAPIFolder* /*folder*/) {}

void CReadonlyHandler::FolderRemove() {}
