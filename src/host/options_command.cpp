// velsync options: Outlook's options dialog with the pages the add-ins add. Interactive on a terminal;
// scripts give the settings as options and the page is applied without questions.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/log_hint.h"
#include "host/property_pages_object.h"
#include "host/shell_commands.h"
#include "host/terminal_dialog_service.h"
#include "host/terminal_dialog_window.h"
#include "host/terminal_status_bar.h"
#include "host/user_session.h"
#include "outlook/application_events.h"
#include "outlook/property_page.h"
#include "platform/text.h"
#include "settings/log.h"
#include "settings/settings_manager.h"

namespace {

void PrintHelp() {
    std::printf(
        "velsync options [settings] [--test [--save-anyway]] [--log on|off] [--answer ok|cancel]\n"
        "  Shows the add-in's settings page. Without settings on the command line and on a terminal, the\n"
        "  page is edited interactively; with settings, they are typed into the page and applied.\n"
        "  --url URL                    the DAV server (https://host/dav/ or a principal URL)\n"
        "  --email ADDRESS              the account's e-mail address (its user name)\n"
        "  --password-stdin             read the password from the first line of standard input\n"
        "  --calendars on|off           synchronize calendars\n"
        "  --contacts on|off            synchronize contacts\n"
        "  --calendar-interval MINUTES  Off, 5, 10, 15, 30 or 60\n"
        "  --contact-interval HOURS     Off, 1, 4, 12 or 24\n"
        "  --test                       test the connection with the page's settings; nothing is\n"
        "                               saved when the test fails\n"
        "  --save-anyway                save even when the connection test fails\n"
        "  --log on|off                 keep the add-in's log (in "
        "$APPDATA/Velmarquin/HarrowgateAddin/Logs)\n");
}

bool ParseSwitch(const std::string& text, bool* value) {
    const std::string lower = platform::AsciiLower(text);
    if (lower == "on" || lower == "yes" || lower == "true") {
        *value = true;
        return true;
    }
    if (lower == "off" || lower == "no" || lower == "false") {
        *value = false;
        return true;
    }
    return false;
}

bool ReadPasswordLine(std::string* password) {
    std::string text;
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        text += static_cast<char>(c);
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (c == EOF && text.empty())
        return false;
    *password = text;
    return true;
}

}  // namespace

int RunOptionsCommand(const std::vector<std::string>& args) {
    CommandLine line;
    if (!line.Parse(args, {"help", "test", "password-stdin", "save-anyway"},
                    {"url", "email", "calendars", "contacts", "calendar-interval", "contact-interval",
                     "answer", "log"}) ||
        !line.Positional().empty()) {
        std::fprintf(stderr, "velsync options: %s\n",
                     line.Error().empty() ? "no positional arguments" : line.Error().c_str());
        return kExitUsage;
    }
    if (line.Has("help")) {
        PrintHelp();
        return kExitOk;
    }
    PageEdits edits;
    if (line.Has("url")) {
        edits.url = line.Value("url");
        // Arrow keys pasted or typed into a URL arrive as escape sequences; no server URL holds them.
        for (const unsigned char c : *edits.url) {
            if (c < 0x20 || c == 0x7f) {
                std::fprintf(stderr, "velsync options: the server URL holds control characters\n");
                return kExitUsage;
            }
        }
    }
    if (line.Has("email"))
        edits.email = line.Value("email");
    for (const char* name : {"calendars", "contacts"}) {
        bool on = false;
        if (!line.Has(name))
            continue;
        if (!ParseSwitch(line.Value(name), &on)) {
            std::fprintf(stderr, "velsync options: --%s takes on or off\n", name);
            return kExitUsage;
        }
        (std::string(name) == "calendars" ? edits.calendars : edits.contacts) = on;
    }
    if (line.Has("calendar-interval"))
        edits.calendar_interval = line.Value("calendar-interval");
    if (line.Has("contact-interval"))
        edits.contact_interval = line.Value("contact-interval");
    edits.test = line.Has("test");
    if (line.Has("password-stdin")) {
        std::string password;
        if (!ReadPasswordLine(&password)) {
            std::fprintf(stderr, "velsync options: no password on standard input\n");
            return kExitUsage;
        }
        edits.password = password;
    }

    CommandOutput output(false);
    if (line.Has("log")) {
        bool on = false;
        if (!ParseSwitch(line.Value("log"), &on)) {
            std::fprintf(stderr, "velsync options: --log takes on or off\n");
            return kExitUsage;
        }
        CSettingsManager settings;
        settings.Create();
        settings.SetEnableLog(on);
        settings.Save();
        output.Message(on ? "Logging on; the logs lie in " + LogFolder() + "." : "Logging off.");
        if (!edits.Any())
            return kExitOk;
    }
    TerminalStatusBar status(false);
    TerminalDialogService dialogs(PageEdits{}, line.Value("answer"));
    UserSession session(&output, line.Value("answer"));
    if (!session.Open())
        return kExitNoStore;

    // The options dialog opens: every add-in adds its pages.
    auto pages = outlook::ComPtr<host::PropertyPagesObject>(new host::PropertyPagesObject);
    for (const auto& sink : session.app()->events().SinksFor<outlook::ApplicationEvents>(""))
        sink->OptionsPagesAdd(pages.get());
    if (pages->pages().empty()) {
        output.Error(
            "no add-in page to show: the add-in is not registered or did not start (velsync register)");
        return kExitFailed;
    }
    int status_code = kExitOk;
    for (const auto& [prog_id, title] : pages->pages()) {
        void* raw = nullptr;
        void* module = nullptr;
        std::string error;
        if (FAILED(AddInLoader::CreateObject(prog_id, outlook::PropertyPage::kIid, &raw, &module, &error))) {
            output.Error("page " + title + ": " + error);
            status_code = kExitFailed;
            continue;
        }
        auto page = outlook::ComPtr<outlook::PropertyPage>::Attach(static_cast<outlook::PropertyPage*>(raw));
        platform::DialogHandler* presenter = nullptr;
        TerminalDialogWindow window;
        if (FAILED(page->GetPresenter(&presenter)) || presenter == nullptr) {
            output.Error("page " + title + " cannot be shown");
            status_code = kExitFailed;
        } else {
            std::fprintf(stderr, "Options: %s\n", title.c_str());
            presenter->OnInitDialog(window);
            const int failures_before = session.boxes().failures();
            bool confirmed = false;
            if (edits.Any()) {
                confirmed = ApplyPageEdits(*presenter, window, edits, &error);
                if (!confirmed) {
                    output.Error(error);
                    status_code = kExitUsage;
                }
            } else if (isatty(STDIN_FILENO) != 0) {
                confirmed = EditPageInteractively(*presenter, window);
            } else {
                PrintPage(window);
            }
            const bool failed = session.boxes().failures() > failures_before;
            if (failed)
                status_code = kExitFailed;
            bool dirty = false;
            if (failed && edits.test && !line.Has("save-anyway")) {
                output.Error("settings not saved, as the connection test failed (--save-anyway saves them)");
            } else if (confirmed && SUCCEEDED(page->get_Dirty(&dirty)) && dirty) {
                const HRESULT hr = page->Apply();
                if (FAILED(hr)) {
                    output.Error("page " + title + " was not saved: " + HrName(hr));
                    status_code = kExitFailed;
                } else {
                    output.Message("Settings saved.");
                }
            } else if (!edits.Any()) {
                output.Message(confirmed ? "No change." : "Cancelled; nothing saved.");
            }
        }
        page = nullptr;
        dlclose(module);
    }
    if (status_code == kExitFailed)
        std::fprintf(stderr, "%s\n", LogHint().c_str());
    return status_code;
}
