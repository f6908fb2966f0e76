// Class objects (IClassFactory) and the module's count of live objects and locks that
// DllCanUnloadNow answers from. Also the signatures of a module's exports, for the host that loads it.
#pragma once

#include <atomic>
#include <new>

#include "platform/com_base.h"

namespace platform {

class IClassFactory : public IUnknown {
  public:
    static constexpr Iid kIid = "{00000001-0000-0000-C000-000000000046}";

    // Creates one object and gives its interface `iid`. E_POINTER for a null out-parameter,
    // CLASS_E_NOAGGREGATION when `outer` is set, E_OUTOFMEMORY, or the object's QueryInterface status;
    // `*object` is null on failure. Ownership: the caller owns the returned reference.
    [[nodiscard]] virtual HRESULT CreateInstance(IUnknown* outer, Iid iid, void** object) = 0;
    // Keeps the module loaded (true) or lets it go again (false).
    [[nodiscard]] virtual HRESULT LockServer(bool lock) = 0;
};

// Live objects plus server locks of one module. Ownership: the module keeps one for its whole life.
class ModuleLockCount {
  public:
    void Lock() { ++m_count; }
    void Unlock() { --m_count; }
    bool CanUnload() const { return m_count.load() == 0; }

  private:
    std::atomic<long> m_count{0};
};

// A class object over a creation function. The function makes the object with the creator's one
// reference (the object counts itself in the module's locks for its life). The class object, too, keeps
// the module loaded while anyone holds it.
class ClassFactory : public ComObject<IClassFactory> {
  public:
    using Creator = IUnknown* (*)();

    ClassFactory(Creator creator, ModuleLockCount* locks) : m_creator(creator), m_locks(locks) {
        m_locks->Lock();
    }

    [[nodiscard]] HRESULT CreateInstance(IUnknown* outer, Iid iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        // No caller aggregates the module's objects; refusing is the documented answer.
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        IUnknown* created = nullptr;
        try {
            created = m_creator();
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (created == nullptr)
            return E_OUTOFMEMORY;
        const HRESULT hr = created->QueryInterface(iid, object);
        created->Release();
        return hr;
    }
    [[nodiscard]] HRESULT LockServer(bool lock) override {
        if (lock)
            m_locks->Lock();
        else
            m_locks->Unlock();
        return S_OK;
    }

  protected:
    ~ClassFactory() override { m_locks->Unlock(); }

  private:
    Creator m_creator;
    ModuleLockCount* m_locks;  // not owned
};

// The exports a module loaded by the host provides, looked up by name.
using DllGetClassObjectFunction = HRESULT (*)(Iid clsid, Iid iid, void** object);
using DllCanUnloadNowFunction = HRESULT (*)();
using DllRegisterServerFunction = HRESULT (*)();
using DllUnregisterServerFunction = HRESULT (*)();
// `command_line` is UTF-8 and may be null.
using DllInstallFunction = HRESULT (*)(bool install, const char* command_line);

}  // namespace platform
