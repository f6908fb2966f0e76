// What a sync run reaches outside itself: the add-in object's status output and button, the
// synchronizers of the two kinds, the read-only guards, the first-run dialog and the run's apartment.
// The add-in object implements it; tests script it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "settings/sync_counters.h"

// One folder a synchronizer paired: its key for the read-only guards, a flag carried along, and its name
// and counters for the run's summary.
struct SyncResultEntry {
    std::string folder_key;
    bool flag = false;
    std::string name;
    SyncCounters counters;
};
using SyncResultList = std::vector<SyncResultEntry>;

enum class SyncKind { Contacts, Calendars };

// A kind's synchronizer. Synchronize throws CAddinException for a failure that ends the kind; entries
// it added to the list before throwing still count.
class ISynchronizer {
  public:
    virtual ~ISynchronizer() = default;
    virtual void Synchronize(SyncResultList* results) = 0;
};

class ISyncHost {
  public:
    virtual ~ISyncHost() = default;

    // Writes string-table entry `message_id` to the status bar.
    virtual void OutputMessageToUser(unsigned message_id) = 0;
    // Enables (or disables) the toolbar button.
    virtual void EnableUI(bool enable) = 0;
    // Makes the kind's synchronizer over this thread's own Application. May throw CAddinException.
    // Ownership: the caller owns the result.
    virtual std::unique_ptr<ISynchronizer> CreateSynchronizer(SyncKind kind, const std::string& url,
                                                              const std::string& user,
                                                              const std::string& password) = 0;
    // The key of the store the synchronizers work on (the default Calendar's StoreID); "" when Outlook
    // cannot tell.
    virtual std::string GetStoreId() = 0;
    // Hands a paired folder to the read-only guards.
    virtual void RegisterReadOnlyFolder(const std::string& folder_key, bool flag) = 0;
    // Shows the first-run settings dialog modally; IDOK or IDCANCEL.
    virtual int ShowFirstRunDialog() = 0;
    // CoInitialize / CoUninitialize of the worker thread.
    virtual void InitializeApartment() = 0;
    virtual void UninitializeApartment() = 0;
    // Signals the global sync-finished event; false when no such event exists.
    virtual bool SignalSyncFinished() = 0;
};
