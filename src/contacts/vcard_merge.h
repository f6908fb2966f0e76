// The card written over a contact that exists on the server: the server's copy with the lines the store
// holds replaced by the writer's, everything else (PHOTO, labels and groups, pref parameters, KIND, IMPP,
// NICKNAME, RELATED, X- properties, a birthday the store cannot hold ...) passed through as sent.
#pragma once

#include <string>
#include <string_view>

namespace contacts {

// `server` is the card as the server listed it, `written` the writer's card for the store's contact.
// For each field the store holds (see FindCardSlots): a line that says what the writer says stays as
// sent; one that differs gets the writer's value under its own name and parameters (the writer's whole
// line for BDAY, REV and UID); one the writer no longer writes goes, except N, which stays when the
// store has no name parts; a line the server lacks is added before END:VCARD. A vCard 2.1 copy becomes
// 3.0, its lines decoded from QUOTED-PRINTABLE. A server copy that is not a vCard gives `written`.
std::string MergeVCard(std::string_view server, std::string_view written);

}  // namespace contacts
