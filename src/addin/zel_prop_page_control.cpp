#include "addin/zel_prop_page_control.h"

#include "addin/module_lock.h"

platform::IUnknown* CZelPropPageControl::CreateInstance() {
    return static_cast<outlook::PropertyPage*>(new CZelPropPageControl(TestDavConnection));
}

CZelPropPageControl::CZelPropPageControl(ConnectionTest test_connection)
    : m_page(std::move(test_connection)) {
    ModuleLocks().Lock();
}

CZelPropPageControl::~CZelPropPageControl() {
    ModuleLocks().Unlock();
}

HRESULT CZelPropPageControl::QueryInterface(platform::Iid iid, void** object) {
    if (object != nullptr && platform::IsEqualGuid(iid, outlook::IDispatch::kIid)) {
        *object = static_cast<outlook::IDispatch*>(static_cast<outlook::PropertyPage*>(this));
        AddRef();
        return S_OK;
    }
    return ComObject::QueryInterface(iid, object);
}

HRESULT CZelPropPageControl::get_Dirty(bool* out) {
    if (out == nullptr)
        return E_POINTER;
    *out = m_page.Dirty();
    return S_OK;
}

HRESULT CZelPropPageControl::Apply() {
    if (m_window == nullptr)
        return E_UNEXPECTED;
    try {
        m_page.Apply(*m_window);
    } catch (...) {
        // No exception crosses the module's boundary.
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CZelPropPageControl::GetPresenter(platform::DialogHandler** out) {
    if (out == nullptr)
        return E_POINTER;
    *out = this;
    return S_OK;
}

HRESULT CZelPropPageControl::SetStatusChangeListener(std::function<void()> listener) {
    m_page.SetStatusChangeListener(std::move(listener));
    return S_OK;
}

void CZelPropPageControl::OnInitDialog(platform::DialogWindow& window) {
    m_window = &window;
    m_page.OnInitDialog(window);
}

void CZelPropPageControl::OnCommand(platform::DialogWindow& window, int control_id, int notification) {
    m_window = &window;
    m_page.OnCommand(window, control_id, notification);
}
