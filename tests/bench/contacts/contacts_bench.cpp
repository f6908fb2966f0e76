// Contact runs with 1,000 contacts over the host's Outlook against a real server: a first run that
// uploads 1,000 Outlook contacts, a run with no change, a first run of a fresh Outlook that downloads
// them, and again a run with no change. Prints wall time, HTTP exchanges and the process's peak memory
// after each run.
//
//   contacts_bench [radicale|apache-digest|xandikos] [COUNT]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "contacts/card_dav_synchronizer.h"
#include "host/application_object.h"
#include "outlook/contact_item.h"
#include "outlook/folder.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "platform/http_request.h"
#include "settings/addin_exception.h"
#include "support/dav_servers.h"
#include "support/temp_home.h"

namespace {

using outlook::ComPtr;
using std::string_view;

// Counts the exchanges of the request objects it hands out.
class CountingRequest : public platform::HttpRequest {
  public:
    CountingRequest(std::unique_ptr<platform::HttpRequest> inner, long* sends)
        : m_inner(std::move(inner)), m_sends(sends) {}
    HRESULT Open(string_view method, string_view url, string_view user, string_view password) override {
        return m_inner->Open(method, url, user, password);
    }
    HRESULT SetRequestHeader(string_view name, string_view value) override {
        return m_inner->SetRequestHeader(name, value);
    }
    HRESULT Send(string_view body) override {
        ++*m_sends;
        return m_inner->Send(body);
    }
    int Status() const override { return m_inner->Status(); }
    std::string GetResponseHeader(string_view name) const override {
        return m_inner->GetResponseHeader(name);
    }
    HRESULT GetResponseBody(std::string* body) const override { return m_inner->GetResponseBody(body); }
    int TransportCode() const override { return m_inner->TransportCode(); }

  private:
    std::unique_ptr<platform::HttpRequest> m_inner;
    long* m_sends;
};

bool Run(const char* label, const std::string& url, const ComPtr<outlook::Application>& application) {
    long sends = 0;
    HttpRequestFactory factory = [&sends](std::unique_ptr<platform::HttpRequest>* out) -> HRESULT {
        std::unique_ptr<platform::HttpRequest> inner;
        const HRESULT hr = platform::CreateHttpRequest(&inner);
        if (SUCCEEDED(hr))
            *out = std::make_unique<CountingRequest>(std::move(inner), &sends);
        return hr;
    };
    const auto started = std::chrono::steady_clock::now();
    try {
        SyncResultList results;
        CCardDavSynchronizer(url, testing_support::kDavUser, testing_support::kDavPassword, application,
                             nullptr, factory)
            .Synchronize(&results);
    } catch (CAddinException& failure) {
        std::fprintf(stderr, "%s failed: %s\n", label, failure.GetMessage().c_str());
        return false;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-28s %8.2f s %7ld requests %8ld KB peak\n", label, seconds, sends, usage.ru_maxrss);
    return true;
}

// A store with `count` contacts in its Contacts folder; null when it fails.
ComPtr<host::ApplicationObject> OpenStore(const std::string& path, int count) {
    ComPtr<host::ApplicationObject> application;
    ComPtr<outlook::NameSpace> session;
    ComPtr<outlook::MAPIFolder> contacts;
    ComPtr<outlook::Items> items;
    std::string error;
    if (FAILED(host::ApplicationObject::Create(path, 5000, &application, &error)) ||
        FAILED(application->get_Session(&session)) ||
        FAILED(session->GetDefaultFolder(outlook::olFolderContacts, &contacts)) ||
        FAILED(contacts->get_Items(&items))) {
        std::fprintf(stderr, "store: %s\n", error.c_str());
        return nullptr;
    }
    for (int i = 0; i < count; ++i) {
        ComPtr<outlook::IDispatch> item;
        ComPtr<outlook::ContactItem> contact;
        const std::string n = std::to_string(i);
        if (FAILED(items->Add(&item)) || FAILED(item.As(&contact)) ||
            FAILED(contact->put_FullName("Bench Person " + n)) ||
            FAILED(contact->put_Email1Address("person" + n + "@bench.example")) ||
            FAILED(contact->put_MobileTelephoneNumber("+1 555 " + n)) ||
            FAILED(contact->put_CompanyName("Bench Company")) || FAILED(contact->put_Body("Note " + n)) ||
            FAILED(contact->Save()))
            return nullptr;
    }
    return application;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind_name = argc > 1 ? argv[1] : "radicale";
    const int count = argc > 2 ? static_cast<int>(std::strtol(argv[2], nullptr, 10)) : 1000;
    testing_support::DavServerKind kind = testing_support::DavServerKind::kRadicale;
    if (kind_name == "xandikos")
        kind = testing_support::DavServerKind::kXandikos;
    else if (kind_name == "apache-digest")
        kind = testing_support::DavServerKind::kApacheDigest;

    testing_support::TempHome home;
    std::filesystem::create_directories(home.app_data() + "/Velmarquin");
    testing_support::DavServerProcess server(kind);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%s, %d contacts\n", kind_name.c_str(), count);
    auto uploader = OpenStore(home.root() + "/upload.db", count);
    if (!uploader || !Run("first run (upload)", server.url(), uploader) ||
        !Run("no change", server.url(), uploader))
        return 1;
    // A second Outlook that has never been paired downloads the book.
    std::filesystem::remove_all(home.app_data() + "/Velmarquin/HarrowgateAddin/Index");
    auto downloader = OpenStore(home.root() + "/download.db", 0);
    if (!downloader || !Run("first run (download)", server.url(), downloader) ||
        !Run("no change", server.url(), downloader))
        return 1;
    return 0;
}
