#include "platform/interface_table.h"

#include <new>

namespace platform {

std::string InterfaceTable::GuidKey(Iid iid) {
    std::string key(iid);
    for (char& c : key) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return key;
}

InterfaceTable& InterfaceTable::Global() {
    static InterfaceTable* table = new InterfaceTable;  // outlives every thread that may still call it
    return *table;
}

HRESULT InterfaceTable::RegisterInterfaceInGlobal(IUnknown* object, Iid iid, DWORD* cookie) {
    if (object == nullptr)
        return E_INVALIDARG;
    if (cookie == nullptr)
        return E_POINTER;
    std::shared_ptr<Apartment> owner = Apartment::Current();
    if (!owner)
        return CO_E_NOTINITIALIZED;
    Entry entry;
    HRESULT hr = object->QueryInterface(iid, entry.object.ReleaseAndGetVoidAddress());
    if (FAILED(hr))
        return hr;
    ComPtr<IUnknown> agile;
    entry.agile = SUCCEEDED(object->QueryInterface(IAgileObject::kIid, agile.ReleaseAndGetVoidAddress()));
    entry.owner = std::move(owner);
    try {
        entry.iid = std::string(iid);
        std::lock_guard<std::mutex> guard(m_lock);
        // Cookies are never reused, so a stale cookie cannot reach a newer entry (0 is never given).
        if (m_nextCookie == 0)
            return E_OUTOFMEMORY;
        const DWORD issued = m_nextCookie++;
        m_entries.emplace(issued, std::move(entry));
        *cookie = issued;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT InterfaceTable::RevokeInterfaceFromGlobal(DWORD cookie) {
    Entry entry;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto found = m_entries.find(cookie);
        if (found == m_entries.end())
            return E_INVALIDARG;
        entry = std::move(found->second);
        m_entries.erase(found);
    }
    entry.owner->Release(entry.object.Detach());
    return S_OK;
}

HRESULT InterfaceTable::GetInterfaceFromGlobal(DWORD cookie, Iid iid, void** object) {
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    const std::shared_ptr<Apartment> current = Apartment::Current();
    if (!current)
        return CO_E_NOTINITIALIZED;
    Entry entry;
    ProxyFactory factory = nullptr;
    try {
        const std::string key = GuidKey(iid);
        std::lock_guard<std::mutex> guard(m_lock);
        const auto found = m_entries.find(cookie);
        if (found == m_entries.end())
            return E_INVALIDARG;
        entry.object = found->second.object;
        entry.iid = found->second.iid;
        entry.agile = found->second.agile;
        entry.owner = found->second.owner;
        const auto proxy = m_proxies.find(key);
        if (proxy != m_proxies.end())
            factory = proxy->second;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    const std::shared_ptr<Apartment>& owner = entry.owner;
    // Every reference taken here is dropped in the owning apartment, as the registered one is.
    const auto release_in_owner = [&owner](ComPtr<IUnknown>* held) { owner->Release(held->Detach()); };

    HRESULT hr = S_OK;
    if (current == owner || entry.agile) {
        hr = entry.object->QueryInterface(iid, object);
    } else if (owner->HasEnded()) {
        hr = RPC_E_DISCONNECTED;
    } else if (factory == nullptr) {
        hr = REGDB_E_IIDNOTREG;
    } else if (IsEqualGuid(iid, entry.iid)) {
        hr = factory(entry.object.get(), owner, object);
    } else {
        // Another interface of the object: asked for in its own apartment.
        ComPtr<IUnknown> other;
        IUnknown* registered = entry.object.get();
        hr = owner->Call([&] { return registered->QueryInterface(iid, other.ReleaseAndGetVoidAddress()); });
        if (SUCCEEDED(hr))
            hr = factory(other.get(), owner, object);
        release_in_owner(&other);
    }
    release_in_owner(&entry.object);
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT InterfaceTable::RegisterProxy(Iid iid, ProxyFactory factory) {
    if (factory == nullptr)
        return E_INVALIDARG;
    try {
        std::string key = GuidKey(iid);
        std::lock_guard<std::mutex> guard(m_lock);
        m_proxies[std::move(key)] = factory;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void InterfaceTable::RevokeProxy(Iid iid) {
    char key[64] = {};
    if (iid.size() >= sizeof key)
        return;
    // Without allocating: this runs while a module unloads.
    for (std::size_t i = 0; i < iid.size(); ++i)
        key[i] = (iid[i] >= 'a' && iid[i] <= 'z') ? static_cast<char>(iid[i] - 'a' + 'A') : iid[i];
    std::lock_guard<std::mutex> guard(m_lock);
    const auto found = m_proxies.find(std::string_view(key, iid.size()));
    if (found != m_proxies.end())
        m_proxies.erase(found);
}

}  // namespace platform
