// The module's self-registration: the classes, the application id, the Outlook add-in entries, the type
// library and the marshalling code, per machine or for the current user, and their removal.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/hresult.h"
#include "platform/registry.h"

enum class RegistrationScope { Machine, User };

// DllInstall's command line: "user" without regard to case selects the current user's classes; anything
// else, or none, the machine's.
RegistrationScope ScopeFromCommandLine(const char* command_line);

// One registry write of the registration: the key (created with its parents) and, unless it is only a
// key, one value ("" names the default value).
struct RegistryWrite {
    enum class Kind { KeyOnly, String, Dword };
    platform::RootKey root;
    std::string path;
    std::string name;
    Kind kind = Kind::KeyOnly;
    std::string text;
    DWORD number = 0;
};

class CRegistrar {
  public:
    // `module_path` is what InprocServer32 names (the module's full path).
    CRegistrar(std::string module_path, RegistrationScope scope)
        : m_modulePath(std::move(module_path)), m_scope(scope) {}
    virtual ~CRegistrar() = default;

    // DllRegisterServer: writes every key and value in order; stops at the first failure and returns it
    // (HRESULT_FROM_WIN32 of the registry's error). E_INVALIDARG when the module path is empty.
    [[nodiscard]] HRESULT Register();
    // DllUnregisterServer: removes the classes, the add-in entries, the type library and the marshalling
    // code; keeps the AppID key. Keys already gone are no failure; removal goes on past a failure and
    // returns the first.
    [[nodiscard]] HRESULT Unregister();
    // DllInstall: Register (undone by Unregister when it fails, returning the registration's failure)
    // or Unregister.
    [[nodiscard]] HRESULT Install(bool install);

    // Everything Register writes, in order.
    std::vector<RegistryWrite> Writes() const;

  protected:
    // Performs one write. Tests override it to fail at a chosen step.
    [[nodiscard]] virtual LONG Apply(const RegistryWrite& write);

  private:
    // Root and full path of a path below the classes root, for this scope.
    std::string ClassesPath(std::string_view relative) const;
    platform::RootKey ClassesRoot() const;

    std::string m_modulePath;
    RegistrationScope m_scope;
};
