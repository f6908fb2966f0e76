// Contact runs with COUNT (1,000) contacts over the host's Outlook against Radicale: the first run that
// uploads them and the first run of a fresh Outlook that downloads them, each followed by a run with no
// change. Prints wall time and the process's peak memory after each run.   contacts_bench [COUNT]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "contacts/card_dav_synchronizer.h"
#include "host/application_object.h"
#include "outlook/contact_item.h"
#include "outlook/folder.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "settings/addin_exception.h"
#include "support/dav_servers.h"
#include "support/temp_home.h"

using outlook::ComPtr;

// A fresh store with `count` contacts, synchronized twice; false when anything fails.
static bool Run(const char* label, const std::string& url, const std::string& path, int count) {
    ComPtr<host::ApplicationObject> app;
    ComPtr<outlook::NameSpace> session;
    ComPtr<outlook::MAPIFolder> contacts;
    ComPtr<outlook::Items> items;
    std::string error;
    if (FAILED(host::ApplicationObject::Create(path, 5000, &app, &error)) ||
        FAILED(app->get_Session(&session)) ||
        FAILED(session->GetDefaultFolder(outlook::olFolderContacts, &contacts)) ||
        FAILED(contacts->get_Items(&items))) {
        std::fprintf(stderr, "store: %s\n", error.c_str());
        return false;
    }
    for (int i = 0; i < count; ++i) {
        ComPtr<outlook::IDispatch> item;
        ComPtr<outlook::ContactItem> contact;
        const std::string n = std::to_string(i);
        if (FAILED(items->Add(&item)) || FAILED(item.As(&contact)) ||
            FAILED(contact->put_FullName("Person " + n)) ||
            FAILED(contact->put_Email1Address("p" + n + "@bench.example")) || FAILED(contact->Save()))
            return false;
    }
    for (const char* run : {label, "no change"}) {
        const auto started = std::chrono::steady_clock::now();
        try {
            SyncResultList results;
            CCardDavSynchronizer(url, testing_support::kDavUser, testing_support::kDavPassword, app, nullptr)
                .Synchronize(&results);
        } catch (CAddinException& failure) {
            std::fprintf(stderr, "%s failed: %s\n", run, failure.GetMessage().c_str());
            return false;
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%-22s %8.2f s %8ld KB peak\n", run,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(),
                    usage.ru_maxrss);
    }
    return true;
}

int main(int argc, char** argv) {
    const int count = argc > 1 ? static_cast<int>(std::strtol(argv[1], nullptr, 10)) : 1000;
    testing_support::TempHome home;
    testing_support::DavServerProcess server(testing_support::DavServerKind::kRadicale);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (!Run("first run (upload)", server.url(), home.root() + "/up.db", count))
        return 1;
    // A second Outlook that has never been paired downloads the book.
    std::filesystem::remove_all(home.app_data() + "/Velmarquin/HarrowgateAddin/Index");
    return Run("first run (download)", server.url(), home.root() + "/down.db", 0) ? 0 : 1;
}
