// libFuzzer target for the vCard reader: any bytes as a server's vCard, applied to a contact of the
// host's Outlook, written back and read again, and written over itself; the same bytes as an
// addressbook-query answer and as an HTTP date.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "contacts/card_dav_contact.h"
#include "contacts/outlook_contact.h"
#include "contacts/outlook_groups_manager.h"
#include "contacts/vcard_merge.h"
#include "dav/dav_server.h"
#include "host/application_object.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "settings/addin_exception.h"
#include "settings/log.h"
#include "unit/dav/fake_http_request.h"

namespace {

using outlook::ComPtr;

// One store for the whole run, in a folder of its own that is removed at exit; each input gets a new
// contact there.
ComPtr<outlook::MAPIFolder> Contacts() {
    static ComPtr<outlook::MAPIFolder> folder = [] {
        static std::string dir = (std::filesystem::temp_directory_path() / "vcard-fuzz-XXXXXX").string();
        ComPtr<host::ApplicationObject> app;
        ComPtr<outlook::NameSpace> session;
        ComPtr<outlook::MAPIFolder> contacts;
        std::string error;
        if (mkdtemp(dir.data()) == nullptr ||
            FAILED(host::ApplicationObject::Create(dir + "/outlook.db", 5000, &app, &error)) ||
            FAILED(app->get_Session(&session)) ||
            FAILED(session->GetDefaultFolder(outlook::olFolderContacts, &contacts))) {
            std::fprintf(stderr, "cannot open the store in %s: %s\n", dir.c_str(), error.c_str());
            std::abort();
        }
        std::atexit([] { std::filesystem::remove_all(dir); });
        return contacts;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SetLogEnabled(false);
    const std::string text(reinterpret_cast<const char*>(data), size);

    ComPtr<outlook::MAPIFolder> folder = Contacts();
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> created;
    ComPtr<outlook::ContactItem> item;
    if (FAILED(folder->get_Items(&items)) || FAILED(items->Add(outlook::olContactItem, &created)) ||
        FAILED(created.As(&item)))
        __builtin_trap();
    COutlookGroupsManager groups(folder);
    COutlookContact contact(&groups, item, false, nullptr);
    contact.SetVCard(text);
    contact.SaveOutlookContact();
    const std::string written = contact.GetVCard("FUZZ");
    COutlookContact again(&groups, item, false, nullptr);
    again.SetVCard(written);
    again.SaveOutlookContact();
    const std::string rewritten = again.GetVCard("FUZZ");
    // The writer's own text must read back to the same contact; REV is the time of each save.
    const auto without_rev = [](const std::string& card) {
        const std::size_t rev = card.find("\r\nREV:");
        const std::size_t end = rev == std::string::npos ? rev : card.find("\r\n", rev + 2);
        return end == std::string::npos ? card : card.substr(0, rev) + card.substr(end);
    };
    if (without_rev(rewritten) != without_rev(written)) {
        std::fprintf(stderr, "first write:\n%s\nsecond write:\n%s\n", written.c_str(), rewritten.c_str());
        __builtin_trap();
    }
    static_cast<void>(contacts::MergeVCard(text, written));
    static_cast<void>(item->Delete());

    static_cast<void>(CCardDavContact::ParseHttpDate(text));
    static_cast<void>(COutlookGroupsManager::ParseGroupList(text));

    auto server_state = std::make_shared<dav_test::FakeServer>();
    server_state->answers.push_back(dav_test::FakeAnswer{S_OK, 207, {}, text});
    CDavServer server("http://127.0.0.1:1/", "alice", "secret", dav_test::FactoryFor(server_state));
    std::vector<std::shared_ptr<CCardDavContact>> contacts;
    std::vector<std::string> unreadable;
    try {
        CCardDavContact::LoadFromServer(&server, "/alice/book/", &contacts, &unreadable);
    } catch (const CAddinException&) {
    }
    return 0;
}
