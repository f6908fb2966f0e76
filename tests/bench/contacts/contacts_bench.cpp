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

// Counts the exchanges of the request objects it hands out.
class CountingRequest : public platform::HttpRequest {
  public:
    CountingRequest(std::unique_ptr<platform::HttpRequest> inner, long* sends)
        : m_inner(std::move(inner)), m_sends(sends) {}
    HRESULT Open(std::string_view method, std::string_view url, std::string_view user,
                 std::string_view password) override {
        return m_inner->Open(method, url, user, password);
    }
    HRESULT SetRequestHeader(std::string_view name, std::string_view value) override {
        return m_inner->SetRequestHeader(name, value);
    }
    HRESULT Send(std::string_view body) override {
        ++*m_sends;
        return m_inner->Send(body);
    }
    int Status() const override { return m_inner->Status(); }
    std::string GetResponseHeader(std::string_view name) const override {
        return m_inner->GetResponseHeader(name);
    }
    HRESULT GetResponseBody(std::string* body) const override { return m_inner->GetResponseBody(body); }
    int TransportCode() const override { return m_inner->TransportCode(); }

  private:
    std::unique_ptr<platform::HttpRequest> m_inner;
    long* m_sends;
};

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

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
        CCardDavSynchronizer synchronizer(url, testing_support::kDavUser, testing_support::kDavPassword,
                                          application, nullptr, factory);
        synchronizer.Synchronize(&results);
    } catch (CAddinException& failure) {
        std::fprintf(stderr, "%s failed: %s\n", label, failure.GetMessage().c_str());
        return false;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%-28s %8.2f s %7ld requests %8ld KB peak\n", label, seconds, sends, PeakKilobytes());
    return true;
}

ComPtr<host::ApplicationObject> OpenStore(const std::string& path) {
    ComPtr<host::ApplicationObject> application;
    std::string error;
    if (FAILED(host::ApplicationObject::Create(path, 5000, &application, &error)))
        std::fprintf(stderr, "store: %s\n", error.c_str());
    return application;
}

bool FillOutlook(const ComPtr<host::ApplicationObject>& application, int count) {
    ComPtr<outlook::NameSpace> session;
    ComPtr<outlook::MAPIFolder> contacts;
    ComPtr<outlook::Items> items;
    if (FAILED(application->get_Session(&session)) ||
        FAILED(session->GetDefaultFolder(outlook::olFolderContacts, &contacts)) ||
        FAILED(contacts->get_Items(&items)))
        return false;
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
            return false;
    }
    return true;
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
    {
        auto uploader = OpenStore(home.root() + "/upload.db");
        if (!uploader || !FillOutlook(uploader, count))
            return 1;
        if (!Run("first run (upload)", server.url(), uploader) || !Run("no change", server.url(), uploader))
            return 1;
    }
    // A second Outlook that has never been paired downloads the book.
    std::filesystem::remove_all(home.app_data() + "/Velmarquin/HarrowgateAddin/Index");
    {
        auto downloader = OpenStore(home.root() + "/download.db");
        if (!downloader)
            return 1;
        if (!Run("first run (download)", server.url(), downloader) ||
            !Run("no change", server.url(), downloader))
            return 1;
    }
    server.Stop();
    return 0;
}
