// The reference-counting core of the COM-lite runtime: GUIDs, the IUnknown contract, a base that
// implements it for a list of interfaces, and the RAII holder every reference lives in.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/hresult.h"

// Status codes of the COM runtime itself, with the values Windows gives them.
inline constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);
inline constexpr HRESULT RPC_E_DISCONNECTED = static_cast<HRESULT>(0x80010108u);
inline constexpr HRESULT REGDB_E_IIDNOTREG = static_cast<HRESULT>(0x80040155u);

namespace platform {

// A GUID (IID, CLSID, LIBID, AppID) in the registry's text form, upper case:
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}". Constants are string literals, so they can be written
// into the registry and logged as they stand.
using Iid = std::string_view;

// GUID equality: the same text without regard to the case of the hexadecimal digits.
constexpr bool IsEqualGuid(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'a' && x <= 'z')
            x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// The root of every reference-counted interface. Each interface names its IID as `kIid`.
class IUnknown {
  public:
    static constexpr Iid kIid = "{00000000-0000-0000-C000-000000000046}";

    // Both return the new count, for diagnostics only; Release deletes the object at zero.
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;
    // Gives the object's interface `iid` with one added reference. E_POINTER when `object` is null;
    // E_NOINTERFACE (and *object null) when the object does not have it.
    [[nodiscard]] virtual HRESULT QueryInterface(Iid iid, void** object) = 0;

  protected:
    virtual ~IUnknown() = default;
};

// Marks an object whose interfaces may be called from any thread: the interface table hands other
// apartments the object itself instead of a proxy (the free-threaded marshaler's role).
class IAgileObject : public IUnknown {
  public:
    static constexpr Iid kIid = "{94EA2B94-E9CC-49E0-C0FF-EE64CA8F5B90}";
};

// Implements IUnknown for a class that derives from `Interfaces...`: an atomic count starting at 1 for
// the creator's reference, deletion at 0, and QueryInterface for IUnknown and each listed interface's
// own IID (not the IIDs of interfaces those derive from: a class that must answer for one overrides
// QueryInterface).
template <typename... Interfaces>
class ComObject : public Interfaces... {
  public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    [[nodiscard]] HRESULT QueryInterface(Iid iid, void** object) override {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (IsEqualGuid(iid, IUnknown::kIid)) {
            *object = AsUnknown<Interfaces...>();
        } else {
            (TryInterface<Interfaces>(iid, object) || ...);
        }
        if (*object == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    std::uint32_t AddRef() override { return ++m_refs; }
    std::uint32_t Release() override {
        const std::uint32_t count = --m_refs;
        if (count == 0)
            delete this;
        return count;
    }

  protected:
    ~ComObject() override = default;

  private:
    template <typename First, typename...>
    IUnknown* AsUnknown() {
        return static_cast<First*>(this);
    }
    template <typename Interface>
    bool TryInterface(Iid iid, void** object) {
        if (!IsEqualGuid(iid, Interface::kIid))
            return false;
        *object = static_cast<Interface*>(this);
        return true;
    }

    std::atomic<std::uint32_t> m_refs{1};
};

// Holds one reference to an interface and releases it on destruction (CComPtr).
template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    // Adds a reference to `p`; use Attach to adopt one.
    explicit ComPtr(T* p) : m_p(p) {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_p) {}
    ComPtr(ComPtr&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    // From a holder of a class or interface that converts to T (an object to one of its interfaces).
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(ComPtr<U>&& other) noexcept : m_p(other.Detach()) {}
    template <typename U, typename = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.get())) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~ComPtr() { Reset(); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    void Reset() {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    // Adopts a reference the caller already holds.
    void Attach(T* p) {
        Reset();
        m_p = p;
    }
    // Gives up the reference without releasing it. Ownership: the caller owns the returned reference.
    T* Detach() { return std::exchange(m_p, nullptr); }
    // Releases the current reference and returns the slot for an out-parameter.
    T** ReleaseAndGetAddressOf() {
        Reset();
        return &m_p;
    }
    // Same as ReleaseAndGetAddressOf, typed for QueryInterface-style out-parameters.
    void** ReleaseAndGetVoidAddress() { return reinterpret_cast<void**>(ReleaseAndGetAddressOf()); }

    // QueryInterface for `U`; `other` untouched on failure.
    template <typename U>
    [[nodiscard]] HRESULT As(ComPtr<U>* other) const {
        if (m_p == nullptr)
            return E_POINTER;
        void* raw = nullptr;
        const HRESULT hr = m_p->QueryInterface(U::kIid, &raw);
        if (SUCCEEDED(hr))
            other->Attach(static_cast<U*>(raw));
        return hr;
    }

  private:
    T* m_p = nullptr;
};

// Makes a new object holding the creator's reference. Ownership: the holder owns the one reference.
template <typename T, typename... Args>
ComPtr<T> MakeComObject(Args&&... args) {
    ComPtr<T> holder;
    holder.Attach(new T(std::forward<Args>(args)...));
    return holder;
}

}  // namespace platform
