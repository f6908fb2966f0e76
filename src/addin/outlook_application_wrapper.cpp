#include "addin/outlook_application_wrapper.h"

#include "platform/interface_table.h"
#include "platform/thread.h"
#include "settings/log.h"

HRESULT COutlookApplicationWrapper::Attach(outlook::Application* application) {
    Release();
    std::lock_guard<std::mutex> guard(m_lock);
    m_threads[platform::GetCurrentThreadId()] = outlook::ComPtr<outlook::Application>(application);
    if (application == nullptr)
        return E_INVALIDARG;
    return platform::InterfaceTable::Global().RegisterInterfaceInGlobal(
        application, outlook::Application::kIid, &m_cookie);
}

outlook::ComPtr<outlook::Application> COutlookApplicationWrapper::Get() {
    const DWORD thread_id = platform::GetCurrentThreadId();
    std::lock_guard<std::mutex> guard(m_lock);
    const auto found = m_threads.find(thread_id);
    if (found != m_threads.end() && found->second)
        return found->second;
    void* raw = nullptr;
    const HRESULT hr = m_cookie == 0 ? E_INVALIDARG
                                     : platform::InterfaceTable::Global().GetInterfaceFromGlobal(
                                           m_cookie, outlook::Application::kIid, &raw);
    if (FAILED(hr)) {
        Log("COutlookApplicationWrapper FAILED");
        return {};
    }
    auto application = outlook::ComPtr<outlook::Application>::Attach(static_cast<outlook::Application*>(raw));
    m_threads[thread_id] = application;
    return application;
}

void COutlookApplicationWrapper::ForgetThread(DWORD thread_id) {
    outlook::ComPtr<outlook::Application> dropped;
    std::lock_guard<std::mutex> guard(m_lock);
    const auto found = m_threads.find(thread_id);
    if (found == m_threads.end())
        return;
    dropped = found->second;
    m_threads.erase(found);
}

void COutlookApplicationWrapper::Release() {
    std::map<DWORD, outlook::ComPtr<outlook::Application>> dropped;
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_cookie != 0)
        (void)platform::InterfaceTable::Global().RevokeInterfaceFromGlobal(m_cookie);
    m_cookie = 0;
    dropped.swap(m_threads);
}

std::size_t COutlookApplicationWrapper::ThreadCount() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_threads.size();
}
