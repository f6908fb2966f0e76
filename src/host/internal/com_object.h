// Reference counting and QueryInterface for a host object that implements `Interface`; `Bases` are the
// interfaces it derives from that callers may ask for (IUnknown and IDispatch are always answered).
#pragma once

#include <atomic>
#include <cstdint>

#include "outlook/com_ptr.h"
#include "outlook/dispatch.h"

namespace host::internal {

template <class Interface, class... Bases>
class ComObject : public Interface {
  public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    std::uint32_t AddRef() override { return ++refs_; }
    std::uint32_t Release() override {
        const std::uint32_t left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    [[nodiscard]] HRESULT QueryInterface(outlook::Iid iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        Interface* self = this;
        if (platform::IsEqualGuid(iid, Interface::kIid)) {
            *out = self;
        } else if (platform::IsEqualGuid(iid, outlook::IUnknown::kIid)) {
            *out = static_cast<outlook::IUnknown*>(self);
        } else if constexpr (std::is_base_of_v<outlook::IDispatch, Interface>) {
            if (platform::IsEqualGuid(iid, outlook::IDispatch::kIid)) {
                *out = static_cast<outlook::IDispatch*>(self);
            }
        }
        if (*out == nullptr) {
            (void)(TryBase<Bases>(iid, self, out) || ...);
        }
        if (*out == nullptr) {
            *out = QueryExtra(iid);
        }
        if (*out == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

  protected:
    ~ComObject() override = default;
    // Further interfaces a derived class answers for (not counted here). Null when none.
    virtual void* QueryExtra(outlook::Iid /*iid*/) { return nullptr; }

  private:
    template <class Base>
    static bool TryBase(outlook::Iid iid, Interface* self, void** out) {
        if (!platform::IsEqualGuid(iid, Base::kIid)) {
            return false;
        }
        *out = static_cast<Base*>(self);
        return true;
    }

    std::atomic<std::uint32_t> refs_{0};
};

// A new object held by one reference.
template <class T, class... Args>
outlook::ComPtr<T> Make(Args&&... args) {
    return outlook::ComPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace host::internal
