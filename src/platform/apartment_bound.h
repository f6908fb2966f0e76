// An interface pointer that belongs to another apartment, as a proxy holds it: calls go to that
// apartment's thread while the caller waits, and the reference is released there. The building block
// of the proxies that the interface table hands to other apartments.
#pragma once

#include <memory>
#include <utility>

#include "platform/apartment.h"
#include "platform/com_base.h"

namespace platform {

template <typename Interface>
class ApartmentBound {
  public:
    // Adds a reference to `target`, which lives in `apartment`.
    ApartmentBound(Interface* target, std::shared_ptr<Apartment> apartment)
        : m_target(target), m_apartment(std::move(apartment)) {}
    ~ApartmentBound() { m_apartment->Release(m_target.Detach()); }
    ApartmentBound(const ApartmentBound&) = delete;
    ApartmentBound& operator=(const ApartmentBound&) = delete;

    // Runs `call(target)` in the target's apartment and returns its status (Apartment::Call's codes
    // when the call cannot run there).
    template <typename Function>
    [[nodiscard]] HRESULT Invoke(Function&& call) const {
        Interface* target = m_target.get();
        return m_apartment->Call([&call, target] { return call(target); });
    }

  private:
    ComPtr<Interface> m_target;
    std::shared_ptr<Apartment> m_apartment;
};

}  // namespace platform
