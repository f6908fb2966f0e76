// Loads the registered COM add-ins as Outlook does when it starts, and disconnects them when it ends:
// the Addins keys (HKCU, then HKLM) with LoadBehavior 3, ProgID to CLSID to InprocServer32, dlopen,
// DllGetClassObject, the add-in object's OnConnection and OnStartupComplete; at the end
// OnBeginShutdown and OnDisconnection. An add-in that fails to load is reported and skipped.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "outlook/application.h"
#include "outlook/extensibility.h"

class AddInLoader {
  public:
    // `warn` receives one line per add-in that could not be loaded.
    explicit AddInLoader(std::function<void(const std::string&)> warn);
    ~AddInLoader();
    AddInLoader(const AddInLoader&) = delete;
    AddInLoader& operator=(const AddInLoader&) = delete;

    // Connects every registered add-in to `application`. Returns how many are connected.
    int ConnectAll(outlook::Application* application);
    // Disconnects them (host shutdown) and releases them; modules that agree are unloaded.
    void DisconnectAll();

    // The ProgIDs registered to load at start-up, HKCU first, without duplicates.
    static std::vector<std::string> RegisteredProgIds();

    // Creates the object of the class registered under `prog_id` (ProgID, CLSID, InprocServer32, dlopen,
    // DllGetClassObject) and gives its interface `iid`. On success *module is the module's handle, to be
    // dlclosed after the object is released; on failure *error says why in words.
    // Ownership: the caller owns the returned reference and the module handle.
    [[nodiscard]] static HRESULT CreateObject(const std::string& prog_id, platform::Iid iid, void** object,
                                              void** module, std::string* error);

  private:
    struct Loaded {
        std::string prog_id;
        void* module = nullptr;
        outlook::ComPtr<outlook::IDTExtensibility2> add_in;
    };

    bool Load(const std::string& prog_id, outlook::Application* application, Loaded* out);

    std::function<void(const std::string&)> warn_;
    std::vector<Loaded> loaded_;
};
