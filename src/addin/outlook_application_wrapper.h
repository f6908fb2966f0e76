// Keeps Outlook's Application for the add-in: registered in the global interface table so that every
// thread (the worker of a run included) takes its own reference, kept per thread id.
#pragma once

#include <map>
#include <mutex>

#include "outlook/application.h"
#include "outlook/com_ptr.h"
#include "platform/win32_error.h"

class COutlookApplicationWrapper {
  public:
    COutlookApplicationWrapper() = default;
    ~COutlookApplicationWrapper() { Release(); }
    COutlookApplicationWrapper(const COutlookApplicationWrapper&) = delete;
    COutlookApplicationWrapper& operator=(const COutlookApplicationWrapper&) = delete;

    // Registers `application` (on the calling thread, Outlook's) and keeps it as that thread's reference.
    // Returns the interface table's status; the calling thread's reference is kept even on failure.
    [[nodiscard]] HRESULT Attach(outlook::Application* application);
    // The calling thread's Application: taken from the interface table on the thread's first request.
    // Null (and "COutlookApplicationWrapper FAILED" in the log) when that fails or nothing is attached.
    outlook::ComPtr<outlook::Application> Get();
    // Drops the calling thread's reference (a worker at the end of its run).
    void ForgetThread(DWORD thread_id);
    // Revokes the table entry and drops every thread's reference.
    void Release();

    std::size_t ThreadCount() const;

  private:
    mutable std::mutex m_lock;
    DWORD m_cookie = 0;
    std::map<DWORD, outlook::ComPtr<outlook::Application>> m_threads;
};
