// A small RAII holder for reference-counted object-model objects (AddRef on copy, Release on reset).
#pragma once

#include <utility>

#include "outlook/unknown.h"

namespace outlook {

template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to `p`.
    explicit ComPtr(T* p) : p_(p) {
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U>
    ComPtr(const ComPtr<U>& other) : ComPtr(static_cast<T*>(other.get())) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr copy(other);
        swap(copy);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr moved(std::move(other));
        swap(moved);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Adopts `p` without adding a reference (the caller's reference moves into the holder).
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset() {
        if (p_ != nullptr) {
            std::exchange(p_, nullptr)->Release();
        }
    }
    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    // QueryInterface into another holder. Fails: E_NOINTERFACE (out emptied), E_POINTER on an empty
    // holder.
    template <class U>
    [[nodiscard]] HRESULT As(ComPtr<U>* out) const {
        out->reset();
        if (p_ == nullptr) {
            return E_POINTER;
        }
        void* raw = nullptr;
        HRESULT hr = p_->QueryInterface(U::kIid, &raw);
        if (SUCCEEDED(hr)) {
            *out = ComPtr<U>::Attach(static_cast<U*>(raw));
        }
        return hr;
    }

    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

  private:
    T* p_ = nullptr;
};

}  // namespace outlook
