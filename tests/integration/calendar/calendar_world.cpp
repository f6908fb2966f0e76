#include "calendar_world.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <regex>

#include "calendar/cal_dav_synchronizer.h"
#include "host/application_object.h"
#include "index/index_store.h"
#include "outlook/folders.h"
#include "outlook/items.h"
#include "outlook/namespace.h"
#include "outlook/recurrence_pattern.h"
#include "platform/file_system.h"
#include "platform/http_request.h"
#include "settings/addin_exception.h"
#include "support/scripted_dialog_window.h"

namespace calendar_test {

using outlook::ComPtr;

int ScriptedQuestions::NextAnswer() {
    const int answer = answers.empty() ? platform::IDCANCEL : answers.front();
    if (!answers.empty())
        answers.pop_front();
    return answer;
}

int ScriptedQuestions::RunModal(int /*template_id*/, platform::DialogHandler& handler) {
    testing_support::ScriptedDialogWindow window;
    handler.OnInitDialog(window);
    asked.push_back(window.GetControlText(218));
    // The user clicks the button that gives the answer: 217 yes, 3 no, 2 cancel.
    const int answer = NextAnswer();
    const int button = answer == platform::IDYES ? 217 : answer == platform::IDNO ? 3 : 2;
    handler.OnCommand(window, button, platform::BN_CLICKED);
    return window.end_result.value_or(-1);
}

int ScriptedQuestions::Show(const std::string& text, const std::string&, unsigned) {
    asked.push_back(text);
    return NextAnswer();
}

namespace {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    std::size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        output.append(buffer, read);
    pclose(pipe);
    return output;
}

std::vector<std::string> ResponsesWith(const std::string& body, const std::string& marker) {
    std::vector<std::string> hrefs;
    const std::regex response("<(?:[A-Za-z0-9]+:)?response[ >][\\s\\S]*?</(?:[A-Za-z0-9]+:)?response>");
    const std::regex href("<(?:[A-Za-z0-9]+:)?href>([^<]*)</");
    for (auto it = std::sregex_iterator(body.begin(), body.end(), response); it != std::sregex_iterator();
         ++it) {
        const std::string text = it->str();
        if (!marker.empty() && text.find(marker) == std::string::npos)
            continue;
        std::smatch match;
        if (std::regex_search(text, match, href))
            hrefs.push_back(match[1].str());
    }
    return hrefs;
}

class RefusingRequest : public platform::HttpRequest {
  public:
    RefusingRequest(std::unique_ptr<platform::HttpRequest> inner, std::vector<std::string> methods,
                    int status, std::shared_ptr<RequestCounter> counter)
        : m_inner(std::move(inner)),
          m_methods(std::move(methods)),
          m_status(status),
          m_counter(std::move(counter)) {}

    HRESULT Open(std::string_view method, std::string_view url, std::string_view user,
                 std::string_view password) override {
        m_open_method = std::string(method);
        m_refuse = std::find(m_methods.begin(), m_methods.end(), method) != m_methods.end();
        return m_inner->Open(method, url, user, password);
    }
    HRESULT SetRequestHeader(std::string_view name, std::string_view value) override {
        return m_inner->SetRequestHeader(name, value);
    }
    HRESULT Send(std::string_view body) override {
        ++m_counter->sent;
        ++m_counter->by_method[m_open_method];
        if (m_refuse) {
            ++m_counter->refused;
            return S_OK;
        }
        return m_inner->Send(body);
    }
    int Status() const override { return m_refuse ? m_status : m_inner->Status(); }
    std::string GetResponseHeader(std::string_view name) const override {
        return m_refuse ? std::string() : m_inner->GetResponseHeader(name);
    }
    HRESULT GetResponseBody(std::string* body) const override {
        if (m_refuse) {
            body->clear();
            return S_OK;
        }
        return m_inner->GetResponseBody(body);
    }
    int TransportCode() const override { return m_refuse ? 0 : m_inner->TransportCode(); }

  private:
    std::unique_ptr<platform::HttpRequest> m_inner;
    std::vector<std::string> m_methods;
    int m_status;
    std::shared_ptr<RequestCounter> m_counter;
    std::string m_open_method;
    bool m_refuse = false;
};

}  // namespace

std::string Unfold(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 3, "\r\n ") == 0 || text.compare(i, 3, "\r\n\t") == 0) {
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

HttpRequestFactory RefusingFactory(std::vector<std::string> methods, int status,
                                   std::shared_ptr<RequestCounter> counter) {
    return [methods, status, counter](std::unique_ptr<platform::HttpRequest>* request) -> HRESULT {
        std::unique_ptr<platform::HttpRequest> inner;
        const HRESULT hr = platform::CreateHttpRequest(&inner);
        if (FAILED(hr))
            return hr;
        *request = std::make_unique<RefusingRequest>(std::move(inner), methods, status, counter);
        return S_OK;
    };
}

HttpAnswer OtherClient::Send(const std::string& method, const std::string& path, const std::string& body,
                             const std::vector<std::string>& headers) const {
    std::string base = m_base;
    if (!base.empty() && base.back() == '/' && !path.empty() && path.front() == '/')
        base.pop_back();
    const std::string folder = testing_support::MakeTempFolder("velsync-curl");
    const std::string body_file = folder + "/body";
    const std::string answer_file = folder + "/answer";
    testing_support::WriteFileBytes(body_file, body);
    std::string command = "curl -s --max-time 20 -o " + ShellQuote(answer_file) + " -w '%{http_code}' " +
                          (m_digest ? "--digest " : "--basic ") + "-u alice:secret -X " + ShellQuote(method);
    for (const std::string& header : headers)
        command += " -H " + ShellQuote(header);
    if (!body.empty())
        command += " --data-binary @" + ShellQuote(body_file);
    command += " " + ShellQuote(base + path);
    HttpAnswer answer;
    const std::string code = RunCommand(command);
    std::from_chars(code.data(), code.data() + code.size(), answer.status);
    answer.body = testing_support::ReadFileOrEmpty(answer_file);
    testing_support::RemoveTree(folder);
    return answer;
}

std::vector<std::string> OtherClient::Propfind(const std::string& collection, const std::string& prop,
                                               const std::string& marker) const {
    const HttpAnswer answer = Send(
        "PROPFIND", collection,
        "<?xml version=\"1.0\"?><d:propfind xmlns:d=\"DAV:\"><d:prop><d:" + prop + "/></d:prop></d:propfind>",
        {"Depth: 1", "Content-Type: application/xml"});
    return ResponsesWith(answer.body, marker);
}

std::vector<std::string> OtherClient::List(const std::string& collection) const {
    std::vector<std::string> hrefs;
    for (const std::string& href : Propfind(collection, "getetag", "")) {
        if (href.find(".ics") != std::string::npos)
            hrefs.push_back(href);
    }
    return hrefs;
}

std::vector<std::string> OtherClient::Calendars(const std::string& home) const {
    return Propfind(home, "resourcetype", "calendar");
}

int OtherClient::MakeCalendar(const std::string& href, const std::string& name) const {
    return Send("MKCALENDAR", href,
                "<?xml version=\"1.0\"?><C:mkcalendar xmlns:D=\"DAV:\" "
                "xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
                "<D:set><D:prop><D:displayname>" +
                    name + "</D:displayname></D:prop></D:set></C:mkcalendar>")
        .status;
}

int OtherClient::PutEvent(const std::string& href, const std::string& ics) const {
    return Send("PUT", href, ics, {"Content-Type: text/calendar; charset=utf-8"}).status;
}

int OtherClient::PutEvent(const std::string& href, const std::string& uid, const std::string& summary,
                          const std::string& day, int seconds_ago) const {
    const std::string modified =
        platform::DateTime::NowUtc().AddSeconds(-seconds_ago).Format("%Y%m%dT%H%M%SZ");
    return PutEvent(href, EventText(uid, summary, day + "T090000Z", day + "T100000Z", modified));
}

std::string EventText(const std::string& uid, const std::string& summary, const std::string& start_utc,
                      const std::string& end_utc, const std::string& modified_utc) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//velsync tests//other "
           "client//EN\r\nBEGIN:VEVENT\r\nUID:" +
           uid + "\r\nDTSTAMP:" + modified_utc + "\r\nDTSTART:" + start_utc + "\r\nDTEND:" + end_utc +
           "\r\nSUMMARY:" + summary + "\r\nLAST-MODIFIED:" + modified_utc +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

CalendarWorld::CalendarWorld(testing_support::DavServerKind kind) : m_server(kind) {
    platform::SetDialogService(&questions);
    platform::SetMessageBoxService(&questions);
}

CalendarWorld::~CalendarWorld() {
    platform::SetDialogService(nullptr);
    platform::SetMessageBoxService(nullptr);
    m_application = nullptr;
    m_server.Stop();
}

bool CalendarWorld::Start(std::string* error) {
    std::string store_error;
    if (FAILED(host::ApplicationObject::Create(m_home.root() + "/outlook.db", 2000, &m_application,
                                               &store_error))) {
        *error = store_error;
        return false;
    }
    if (!m_server.Start(error))
        return false;
    m_other = std::make_unique<OtherClient>(m_server.url(),
                                            m_server.kind() == testing_support::DavServerKind::kApacheDigest);
    return true;
}

void CalendarWorld::Run(std::uint32_t* error_code, SyncResultList* results, HttpRequestFactory factory) {
    SyncResultList local;
    if (error_code != nullptr)
        *error_code = 0;
    try {
        CCalDavSynchronizer synchronizer(
            m_server.url(), testing_support::kDavUser, testing_support::kDavPassword,
            ComPtr<outlook::Application>(m_application.get()), &guards, std::move(factory));
        synchronizer.Synchronize(results != nullptr ? results : &local);
    } catch (CAddinException& error) {
        if (error_code == nullptr)
            ADD_FAILURE() << "the run failed: " << error.GetCode() << " " << error.GetMessage();
        else
            *error_code = error.GetCode();
    }
}

ComPtr<outlook::MAPIFolder> CalendarWorld::DefaultCalendar() const {
    ComPtr<outlook::NameSpace> session;
    ComPtr<outlook::MAPIFolder> folder;
    EXPECT_EQ(m_application->get_Session(&session), S_OK);
    EXPECT_EQ(session->GetDefaultFolder(outlook::olFolderCalendar, &folder), S_OK);
    return folder;
}

std::vector<std::pair<std::string, ComPtr<outlook::MAPIFolder>>> CalendarWorld::SubFolders() const {
    std::vector<std::pair<std::string, ComPtr<outlook::MAPIFolder>>> found;
    ComPtr<outlook::Folders> folders;
    std::int32_t count = 0;
    if (FAILED(DefaultCalendar()->get_Folders(&folders)) || FAILED(folders->get_Count(&count)))
        return found;
    for (std::int32_t i = 1; i <= count; ++i) {
        ComPtr<outlook::MAPIFolder> folder;
        std::string name;
        if (SUCCEEDED(folders->Item(i, &folder)) && SUCCEEDED(folder->get_Name(&name)))
            found.emplace_back(name, folder);
    }
    return found;
}

std::vector<std::string> CalendarWorld::SubFolderNames() const {
    std::vector<std::string> names;
    for (const auto& [name, folder] : SubFolders())
        names.push_back(name);
    return names;
}

ComPtr<outlook::MAPIFolder> CalendarWorld::SubFolder(const std::string& name) const {
    for (const auto& [folder_name, folder] : SubFolders()) {
        if (folder_name == name)
            return folder;
    }
    return nullptr;
}

ComPtr<outlook::MAPIFolder> CalendarWorld::AddSubFolder(const std::string& name) const {
    ComPtr<outlook::Folders> folders;
    ComPtr<outlook::MAPIFolder> folder;
    EXPECT_EQ(DefaultCalendar()->get_Folders(&folders), S_OK);
    EXPECT_EQ(folders->Add(name, &folder), S_OK);
    return folder;
}

ComPtr<outlook::AppointmentItem> CalendarWorld::AddAppointment(outlook::MAPIFolder* folder,
                                                               const std::string& subject,
                                                               const platform::DateTime& start,
                                                               int daily_count) const {
    ComPtr<outlook::Items> items;
    ComPtr<outlook::IDispatch> item;
    ComPtr<outlook::AppointmentItem> appointment;
    EXPECT_EQ(folder->get_Items(&items), S_OK);
    EXPECT_EQ(items->Add(&item), S_OK);
    EXPECT_EQ(item.As(&appointment), S_OK);
    EXPECT_EQ(appointment->put_Subject(subject), S_OK);
    EXPECT_EQ(appointment->put_Start(start), S_OK);
    EXPECT_EQ(appointment->put_End(start.AddSeconds(3600)), S_OK);
    if (daily_count > 0) {
        ComPtr<outlook::RecurrencePattern> pattern;
        EXPECT_EQ(appointment->GetRecurrencePattern(&pattern), S_OK);
        EXPECT_EQ(pattern->put_RecurrenceType(outlook::olRecursDaily), S_OK);
        EXPECT_EQ(pattern->put_Occurrences(daily_count), S_OK);
    }
    EXPECT_EQ(appointment->Save(), S_OK);
    return appointment;
}

std::vector<ComPtr<outlook::AppointmentItem>> CalendarWorld::Appointments(outlook::MAPIFolder* folder) const {
    std::vector<ComPtr<outlook::AppointmentItem>> list;
    ComPtr<outlook::Items> items;
    std::int32_t count = 0;
    if (folder == nullptr || FAILED(folder->get_Items(&items)) || FAILED(items->get_Count(&count)))
        return list;
    for (std::int32_t i = 1; i <= count; ++i) {
        ComPtr<outlook::IDispatch> item;
        ComPtr<outlook::AppointmentItem> appointment;
        if (SUCCEEDED(items->Item(i, &item)) && SUCCEEDED(item.As(&appointment)))
            list.push_back(appointment);
    }
    return list;
}

std::vector<std::string> CalendarWorld::Subjects(outlook::MAPIFolder* folder) const {
    std::vector<std::string> subjects;
    for (const auto& appointment : Appointments(folder)) {
        std::string subject;
        EXPECT_EQ(appointment->get_Subject(&subject), S_OK);
        subjects.push_back(subject);
    }
    std::sort(subjects.begin(), subjects.end());
    return subjects;
}

ComPtr<outlook::AppointmentItem> CalendarWorld::FindAppointment(outlook::MAPIFolder* folder,
                                                                const std::string& subject) const {
    for (const auto& appointment : Appointments(folder)) {
        std::string text;
        if (SUCCEEDED(appointment->get_Subject(&text)) && text == subject)
            return appointment;
    }
    return nullptr;
}

std::string CalendarWorld::Home() const {
    return m_server.kind() == testing_support::DavServerKind::kXandikos ? "/alice/calendars/" : "/alice/";
}

std::string CalendarWorld::PairedHref(outlook::MAPIFolder* folder) const {
    std::string id;
    EXPECT_EQ(folder->get_EntryID(&id), S_OK);
    return OpenCalendarsIndex().FindByOutlookId(id).ServerId;
}

}  // namespace calendar_test
