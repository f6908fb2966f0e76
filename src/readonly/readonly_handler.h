// The guard of one folder (and, through child guards, of the folders below it): refuses moves into
// and out of a read-only folder, deletes items the user adds to one, and keeps item guards for the
// items of a read-only folder.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "outlook/folder.h"
#include "outlook/folder_events.h"
#include "outlook/folders.h"
#include "outlook/folders_events.h"
#include "outlook/items.h"
#include "outlook/items_events.h"
#include "readonly/item_readonly_handler.h"

class CReadonlyCommonData;

class CReadonlyHandler : public outlook::ItemsEvents,
                         public outlook::FolderEvents,
                         public outlook::FoldersEvents,
                         public std::enable_shared_from_this<CReadonlyHandler> {
  public:
    // `calendar_kind`: true below the default Calendar folder, false for the contact trees.
    CReadonlyHandler(bool calendar_kind, std::shared_ptr<CReadonlyCommonData> common);
    ~CReadonlyHandler() override;
    CReadonlyHandler(const CReadonlyHandler&) = delete;
    CReadonlyHandler& operator=(const CReadonlyHandler&) = delete;

    // Watches `folder` and, through child guards, every folder below it; registers with the common data.
    void Initialize(outlook::ComPtr<outlook::MAPIFolder> folder);
    // Stops watching this folder and the folders below it (the add-in is disconnecting).
    void Shutdown();

    // The folder became read-only (item guards for its items, folder events watched again) or writable
    // (no item guards, folder events no longer watched).
    void SetReadonly(bool readonly);
    // Drops and remakes the item guards, so they exist for exactly the current items.
    void Refresh();

    const std::string& EntryId() const { return m_entryId; }

    // ItemsEvents
    void ItemAdd(outlook::IDispatch* item) override;
    void ItemChange(outlook::IDispatch* item) override;
    void ItemRemove() override;
    // MAPIFolderEvents_12
    void BeforeFolderMove(outlook::MAPIFolder* move_to, bool* cancel) override;
    void BeforeItemMove(outlook::IDispatch* item, outlook::MAPIFolder* move_to, bool* cancel) override;
    // FoldersEvents
    void FolderAdd(outlook::MAPIFolder* folder) override;
    void FolderChange(outlook::MAPIFolder* folder) override;
    void FolderRemove() override;

  private:
    void CreateItemsHandlers();
    // A guard for an item of this (read-only) folder, unless it has one.
    void AddItemHandler(outlook::IDispatch* item);
    void AdviseFolderEvents();
    void UnadviseFolderEvents();
    void DropItemHandlers();
    bool IsReadonly() const;

    bool m_calendarKind;
    std::shared_ptr<CReadonlyCommonData> m_common;
    outlook::ComPtr<outlook::MAPIFolder> m_folder;
    outlook::ComPtr<outlook::Items> m_items;
    outlook::ComPtr<outlook::Folders> m_folders;
    std::string m_entryId;
    std::vector<std::shared_ptr<CReadonlyHandler>> m_children;
    std::vector<std::shared_ptr<CItemReadonlyHandler>> m_itemHandlers;
    bool m_advised = false;
    outlook::EventCookie m_itemsCookie = 0;
    outlook::EventCookie m_folderCookie = 0;
    outlook::EventCookie m_foldersCookie = 0;
};
