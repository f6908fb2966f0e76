#include "host/mapi_message_object.h"

#include <cstdio>

#include "host/fault_hook.h"
#include "host/mapi_table_object.h"
#include "host/property_accessor_object.h"
#include "outlook/status.h"

namespace host {
namespace {

// Recipient table columns and the record keys they are kept under.
struct Column {
    outlook::PropTag tag;
    const char* key;
};
constexpr Column kColumns[] = {
    {outlook::PR_ROWID, "RowId"},
    {outlook::PR_DISPLAY_NAME_W, "Name"},
    {outlook::PR_EMAIL_ADDRESS_W, "Address"},
    {outlook::PR_RECIPIENT_TYPE, "Type"},
    {outlook::PR_RECIPIENT_FLAGS, "Flags"},
    {outlook::PR_RECIPIENT_TRACKSTATUS, "TrackStatus"},
};

}  // namespace

MapiMessageObject::MapiMessageObject(RecordOwner* owner) : keep_(owner->OwnerObject()), owner_(owner) {}

std::string MapiMessageObject::TagKey(outlook::PropTag tag) {
    char key[16];
    std::snprintf(key, sizeof key, "tag/%08X", static_cast<unsigned>(tag));
    return key;
}

HRESULT MapiMessageObject::GetProp(outlook::PropTag tag, outlook::PropValue* out) {
    HRESULT hr = CheckFault("MapiMessage.GetProp");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    const auto& named = owner_->Record().named;
    auto it = named.find(TagKey(tag));
    if (it == named.end()) {
        return outlook::MAPI_E_NOT_FOUND;
    }
    out->tag = tag;
    out->value = it->second;
    return S_OK;
}

HRESULT MapiMessageObject::SetProp(const outlook::PropValue& value) {
    HRESULT hr = CheckFault("MapiMessage.SetProp");
    if (FAILED(hr)) {
        return hr;
    }
    outlook::Variant converted;
    hr = PropertyAccessorObject::ConvertToPropType(outlook::PropType(value.tag), value.value, &converted);
    if (FAILED(hr)) {
        return E_INVALIDARG;
    }
    owner_->Record().named[TagKey(value.tag)] = converted;
    owner_->MarkChanged();
    return S_OK;
}

HRESULT MapiMessageObject::SaveChanges(std::uint32_t /*flags*/) {
    HRESULT hr = CheckFault("MapiMessage.SaveChanges");
    return FAILED(hr) ? hr : owner_->SaveOwner();
}

HRESULT MapiMessageObject::GetRecipientTable(std::uint32_t /*flags*/,
                                             outlook::ComPtr<outlook::MapiTable>* out) {
    HRESULT hr = CheckFault("MapiMessage.GetRecipientTable");
    if (FAILED(hr)) {
        return hr;
    }
    if (out == nullptr) {
        return E_POINTER;
    }
    outlook::RowSet rows;
    for (const PropertyBag& recipient : owner_->Record().recipients) {
        outlook::PropRow row;
        for (const Column& column : kColumns) {
            const bool is_text = outlook::PropType(column.tag) == outlook::PT_UNICODE;
            row.push_back(
                outlook::PropValue{column.tag, is_text ? outlook::Variant(BagText(recipient, column.key))
                                                       : outlook::Variant(BagLong(recipient, column.key))});
        }
        rows.push_back(std::move(row));
    }
    *out = internal::Make<MapiTableObject>(std::move(rows));
    return S_OK;
}

HRESULT MapiMessageObject::ModifyRecipients(std::uint32_t flags, const outlook::RowSet& rows) {
    HRESULT hr = CheckFault("MapiMessage.ModifyRecipients");
    if (FAILED(hr)) {
        return hr;
    }
    if (flags != outlook::MODRECIP_MODIFY) {
        return E_INVALIDARG;
    }
    auto& recipients = owner_->Record().recipients;
    // Every row is checked before any is written, so a bad row changes nothing.
    std::vector<PropertyBag*> targets;
    for (const outlook::PropRow& row : rows) {
        const outlook::PropValue* id = outlook::FindColumn(row, outlook::PR_ROWID);
        std::int32_t row_id = 0;
        if (id == nullptr || FAILED(id->value.ToLong(&row_id))) {
            return E_INVALIDARG;
        }
        PropertyBag* target = nullptr;
        for (PropertyBag& recipient : recipients) {
            if (BagLong(recipient, "RowId") == row_id) {
                target = &recipient;
            }
        }
        if (target == nullptr) {
            return outlook::MAPI_E_NOT_FOUND;
        }
        targets.push_back(target);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (const outlook::PropValue& value : rows[i]) {
            for (const Column& column : kColumns) {
                if (column.tag == value.tag && column.tag != outlook::PR_ROWID) {
                    outlook::Variant converted;
                    if (SUCCEEDED(PropertyAccessorObject::ConvertToPropType(outlook::PropType(column.tag),
                                                                            value.value, &converted))) {
                        (*targets[i])[column.key] = converted;
                    }
                }
            }
        }
    }
    owner_->MarkChanged();
    return S_OK;
}

}  // namespace host
