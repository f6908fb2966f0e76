#include "contacts/addressbooks_master_server_sync_strategy.h"

#include "contacts/card_dav_contact.h"
#include "contacts/internal/sync_dates.h"
#include "contacts/outlook_contact.h"

void CAddressbooksMasterServerSyncStrategy::OnNewInOutlook(
    const std::shared_ptr<COutlookContact>& outlook_contact, std::shared_ptr<CCardDavContact>*,
    IndexRecord*) {
    outlook_contact->DeleteOutlookContact();
    ++m_counters.deleted_in_outlook;
}

bool CAddressbooksMasterServerSyncStrategy::OnDeleteFromOutlook(
    const std::shared_ptr<COutlookContact>&, const std::shared_ptr<CCardDavContact>& server_contact,
    IndexRecord* record) {
    std::shared_ptr<COutlookContact> restored;
    OnNewOnServer(&restored, server_contact, record);
    return false;
}

bool CAddressbooksMasterServerSyncStrategy::OnDeleteFromServer(
    const std::shared_ptr<COutlookContact>& outlook_contact, const std::shared_ptr<CCardDavContact>&,
    IndexRecord*) {
    outlook_contact->DeleteOutlookContact();
    ++m_counters.deleted_in_outlook;
    return false;
}

void CAddressbooksMasterServerSyncStrategy::OnSynchronize(
    const std::shared_ptr<COutlookContact>& outlook_contact,
    const std::shared_ptr<CCardDavContact>& server_contact, IndexRecord* record) {
    if (!contacts::HasServerSideChanged(*record, server_contact->GetETag(),
                                        server_contact->GetLastModified()) &&
        !contacts::HasOutlookSideChanged(*record, outlook_contact->GetLastModificationTime())) {
        return;
    }
    outlook_contact->SetVCard(server_contact->GetVCard());
    outlook_contact->SaveOutlookContact();
    ++m_counters.changed_in_outlook;
    record->synchDate = platform::DateTime::NowLocal();
}
