// An object that holds an item's record in memory until it is saved: the item objects and the folder
// storage item. Collections over parts of the record (user properties, recipients, the MAPI view)
// work on the owner's copy, so their changes are kept by the owner's Save.
#pragma once

#include "host/item_record.h"
#include "outlook/unknown.h"

namespace host {

class ApplicationObject;

class RecordOwner {
  public:
    virtual ItemRecord& Record() = 0;
    // Marks the record changed since the last Save.
    virtual void MarkChanged() = 0;
    // The owner as a reference-counted object, so parts can keep it alive.
    virtual outlook::IUnknown* OwnerObject() = 0;
    virtual ApplicationObject* App() = 0;
    // The owner's Save (MapiMessage::SaveChanges).
    [[nodiscard]] virtual HRESULT SaveOwner() = 0;

  protected:
    ~RecordOwner() = default;
};

}  // namespace host
