// Interfaces and objects the runtime tests pass around.
#pragma once

#include <atomic>
#include <thread>

#include "platform/apartment_bound.h"
#include "platform/com_base.h"
#include "platform/thread.h"

namespace platform {

class ICounter : public IUnknown {
  public:
    static constexpr Iid kIid = "{1111111A-2222-3333-4444-55555555555B}";
    [[nodiscard]] virtual HRESULT Increment(DWORD* thread_id) = 0;
};

class INamed : public IUnknown {
  public:
    static constexpr Iid kIid = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}";
    [[nodiscard]] virtual HRESULT GetNumber(int* number) = 0;
};

// Records what happened to it in counters the test owns, which outlive it.
struct CounterLog {
    std::atomic<int> increments{0};
    std::atomic<bool> destroyed{false};
    std::atomic<DWORD> destroyed_on{0};
};

class Counter : public ComObject<ICounter, INamed> {
  public:
    explicit Counter(CounterLog* log) : m_log(log) {}
    [[nodiscard]] HRESULT Increment(DWORD* thread_id) override {
        ++m_log->increments;
        *thread_id = GetCurrentThreadId();
        return S_OK;
    }
    [[nodiscard]] HRESULT GetNumber(int* number) override {
        *number = 7;
        return S_OK;
    }

  protected:
    ~Counter() override {
        m_log->destroyed_on = GetCurrentThreadId();
        m_log->destroyed = true;
    }

  private:
    CounterLog* m_log;
};

class AgileCounter : public ComObject<ICounter, IAgileObject> {
  public:
    [[nodiscard]] HRESULT Increment(DWORD* thread_id) override {
        *thread_id = GetCurrentThreadId();
        return S_OK;
    }
};

// The marshalling code a module carries for ICounter.
class CounterProxy : public ComObject<ICounter> {
  public:
    CounterProxy(ICounter* target, std::shared_ptr<Apartment> apartment)
        : m_target(target, std::move(apartment)) {}
    [[nodiscard]] HRESULT Increment(DWORD* thread_id) override {
        return m_target.Invoke([thread_id](ICounter* target) { return target->Increment(thread_id); });
    }

    static HRESULT Create(IUnknown* target, const std::shared_ptr<Apartment>& apartment, void** proxy) {
        *proxy = static_cast<ICounter*>(new CounterProxy(static_cast<ICounter*>(target), apartment));
        return S_OK;
    }

  private:
    ApartmentBound<ICounter> m_target;
};

}  // namespace platform
