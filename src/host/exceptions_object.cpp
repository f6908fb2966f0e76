#include "host/exceptions_object.h"

#include "host/exception_object.h"
#include "host/fault_hook.h"
#include "host/series.h"
#include "outlook/status.h"

namespace host {

ExceptionsObject::ExceptionsObject(outlook::ComPtr<AppointmentObject> master) : master_(std::move(master)) {}

HRESULT ExceptionsObject::get_Count(std::int32_t* out) {
    HRESULT hr = CheckFault("Exceptions.get_Count");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = static_cast<std::int32_t>(master_->Record().exceptions.size());
    return S_OK;
}

HRESULT ExceptionsObject::Item(std::int32_t index, outlook::ComPtr<outlook::Exception>* out) {
    HRESULT hr = CheckFault("Exceptions.Item");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    const auto& exceptions = master_->Record().exceptions;
    if (index < 1 || static_cast<std::size_t>(index) > exceptions.size()) {
        return outlook::DISP_E_BADINDEX;
    }
    const PropertyBag& exception = exceptions[static_cast<std::size_t>(index - 1)];
    *out = internal::Make<ExceptionObject>(master_, BagLong(exception, "OriginalDay"),
                                           BagBool(exception, "Deleted"));
    return S_OK;
}

ExceptionObject::ExceptionObject(outlook::ComPtr<AppointmentObject> master, std::int64_t day, bool deleted)
    : master_(std::move(master)), day_(day), deleted_(deleted) {}

HRESULT ExceptionObject::get_AppointmentItem(outlook::ComPtr<outlook::AppointmentItem>* out) {
    HRESULT hr = CheckFault("Exception.get_AppointmentItem");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (deleted_) {
        return S_OK;
    }
    outlook::ComPtr<AppointmentObject> occurrence;
    hr = AppointmentObject::MakeOccurrence(master_, day_, &occurrence);
    if (SUCCEEDED(hr)) {
        *out = occurrence;
    }
    return hr;
}

HRESULT ExceptionObject::get_Deleted(bool* out) {
    HRESULT hr = CheckFault("Exception.get_Deleted");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = deleted_;
    return S_OK;
}

HRESULT ExceptionObject::get_OriginalDate(platform::DateTime* out) {
    HRESULT hr = CheckFault("Exception.get_OriginalDate");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    Series series;
    hr = Series::FromRecord(master_->Record(), &series);
    if (FAILED(hr)) {
        return hr;
    }
    *out = series.StartLocal(day_);
    return S_OK;
}

}  // namespace host
