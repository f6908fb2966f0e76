// libFuzzer target for the vCard reader: any bytes as a server's vCard, applied to an Outlook contact,
// written back and read again; the same bytes as an addressbook-query answer and as an HTTP date.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "contacts/card_dav_contact.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "dav/dav_server.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "unit/contacts/fake_outlook.h"
#include "unit/dav/fake_http_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetLogEnabled(false);
    const std::string text(reinterpret_cast<const char*>(data), size);

    fake::FakeStore store;
    store.now = platform::DateTime::FromParts(2024, 1, 2, 3, 4, 5);
    auto item = store.contacts->AddContact("Someone", "someone@x.example");
    COutlookGroupsManager groups(store.contacts);
    COutlookContact contact(&groups, item, false, nullptr);
    contact.SetVCard(text);
    contact.SaveOutlookContact();
    const std::string written = contact.GetVCard("FUZZ");
    COutlookContact again(&groups, item, false, nullptr);
    again.SetVCard(written);
    again.SaveOutlookContact();
    const std::string rewritten = again.GetVCard("FUZZ");
    if (rewritten != written) {
        // the writer's own text must read back to the same contact
        std::fprintf(stderr, "first write:\n%s\nsecond write:\n%s\n", written.c_str(), rewritten.c_str());
        __builtin_trap();
    }

    static_cast<void>(CCardDavContact::ParseHttpDate(text));
    static_cast<void>(COutlookGroupsManager::ParseGroupList(text));

    auto server_state = std::make_shared<dav_test::FakeServer>();
    server_state->answers.push_back(dav_test::FakeAnswer{S_OK, 207, {}, text});
    CDavServer server("http://127.0.0.1:1/", "alice", "secret", dav_test::FactoryFor(server_state));
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    try {
        CCardDavContact::LoadFromServer(&server, "/alice/book/", &contacts);
    } catch (const CAddinException&) {
    }
    return 0;
}
