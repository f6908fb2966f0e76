// The global interface table (IGlobalInterfaceTable): one per process. An apartment registers an
// interface and gets a cookie; any thread with an apartment takes the interface back by the cookie,
// as the object itself in the owning apartment and as a proxy elsewhere.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/apartment.h"
#include "platform/com_base.h"
#include "platform/win32_error.h"

namespace platform {

// Makes a proxy for one interface: `target` (the interface, valid for the call) lives in `apartment`.
// Returns the proxy in `*proxy` with one reference. Ownership: the caller owns that reference.
using ProxyFactory = HRESULT (*)(IUnknown* target, const std::shared_ptr<Apartment>& apartment, void** proxy);

class InterfaceTable {
  public:
    // The process's table (the cached CLSID_StdGlobalInterfaceTable). Ownership: never released.
    static InterfaceTable& Global();

    InterfaceTable() = default;
    InterfaceTable(const InterfaceTable&) = delete;
    InterfaceTable& operator=(const InterfaceTable&) = delete;

    // RegisterInterfaceInGlobal: keeps a reference to `object`'s interface `iid`, owned by the calling
    // thread's apartment, and returns a non-zero cookie. E_INVALIDARG for a null object, E_POINTER for a
    // null cookie, CO_E_NOTINITIALIZED on a thread without an apartment, E_NOINTERFACE when the object
    // lacks `iid`; `cookie` untouched on failure.
    [[nodiscard]] HRESULT RegisterInterfaceInGlobal(IUnknown* object, Iid iid, DWORD* cookie);
    // RevokeInterfaceFromGlobal: forgets the entry; its reference is released in the owning apartment.
    // E_INVALIDARG for an unknown cookie.
    [[nodiscard]] HRESULT RevokeInterfaceFromGlobal(DWORD cookie);
    // GetInterfaceFromGlobal: interface `iid` of the entry with one reference. In the owning apartment it
    // is the object's own; elsewhere the object itself when it is agile (IAgileObject), else a proxy from
    // the factory registered for `iid`, else REGDB_E_IIDNOTREG. E_POINTER for a null out-parameter,
    // E_INVALIDARG for an unknown cookie, CO_E_NOTINITIALIZED without an apartment, E_NOINTERFACE when
    // the object lacks `iid`, RPC_E_DISCONNECTED when the owning apartment has ended. `*object` is null
    // on failure. Ownership: the caller owns the returned reference.
    [[nodiscard]] HRESULT GetInterfaceFromGlobal(DWORD cookie, Iid iid, void** object);

    // CoRegisterPSClsid for this process: proxies for `iid` come from `factory` (the module that carries
    // an interface's marshalling code registers it). A later registration replaces an earlier one.
    // E_INVALIDARG for a null factory, E_OUTOFMEMORY.
    [[nodiscard]] HRESULT RegisterProxy(Iid iid, ProxyFactory factory);
    // Forgets the proxy factory for `iid` (before the module holding it is unloaded). Never fails.
    void RevokeProxy(Iid iid);

  private:
    struct Entry {
        ComPtr<IUnknown> object;  // the registered interface, as IUnknown*
        std::string iid;
        bool agile = false;
        std::shared_ptr<Apartment> owner;
    };
    // IIDs upper-cased, so that the map compares them as GUIDs.
    static std::string GuidKey(Iid iid);

    std::mutex m_lock;
    std::map<DWORD, Entry> m_entries;
    std::map<std::string, ProxyFactory, std::less<>> m_proxies;
    DWORD m_nextCookie = 0x100;
};

}  // namespace platform
