#include "host/terminal_dialog_service.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "host/line_editor.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "ui/dialog_ids.h"

namespace {

// Bounds every prompt loop: a person never needs more rounds than this.
constexpr int kMaxRounds = 100;

struct PageField {
    char key;
    int id;
    const char* label;
    enum Kind { Text, Secret, Check, Combo } kind;
};

const PageField kPageFields[] = {
    {'1', IDC_URL, "Server URL", PageField::Text},
    {'2', IDC_EMAIL, "E-mail (user name)", PageField::Text},
    {'3', IDC_PASSWORD, "Password", PageField::Secret},
    {'4', IDC_SYNC_CALENDAR, "Synchronize calendars", PageField::Check},
    {'5', IDC_CALENDAR_INTERVAL, "Calendar interval (minutes)", PageField::Combo},
    {'6', IDC_SYNC_CONTACTS, "Synchronize contacts", PageField::Check},
    {'7', IDC_CONTACT_INTERVAL, "Contact interval (hours)", PageField::Combo},
};

bool IsTerminal() {
    return isatty(STDIN_FILENO) != 0;
}

void Type(platform::DialogHandler& page, TerminalDialogWindow& window, int id, const std::string& text) {
    window.SetControlText(id, text);
    page.OnCommand(window, id, platform::EN_CHANGE);
}

void Check(platform::DialogHandler& page, TerminalDialogWindow& window, int id, bool checked) {
    window.SetChecked(id, checked);
    page.OnCommand(window, id, platform::BN_CLICKED);
}

bool Choose(platform::DialogHandler& page, TerminalDialogWindow& window, int id, const std::string& text,
            std::string* error) {
    if (!window.SelectComboItemByText(id, text)) {
        std::string choices;
        for (const std::string& item : window.ComboTexts(id))
            choices += (choices.empty() ? "" : ", ") + item;
        *error = "no interval " + text + " (one of: " + choices + ")";
        return false;
    }
    page.OnCommand(window, id, platform::CBN_SELCHANGE);
    return true;
}

}  // namespace

bool ApplyPageEdits(platform::DialogHandler& page, TerminalDialogWindow& window, const PageEdits& edits,
                    std::string* error) {
    if (edits.url)
        Type(page, window, IDC_URL, *edits.url);
    if (edits.email)
        Type(page, window, IDC_EMAIL, *edits.email);
    if (edits.password)
        Type(page, window, IDC_PASSWORD, *edits.password);
    if (edits.calendars)
        Check(page, window, IDC_SYNC_CALENDAR, *edits.calendars);
    if (edits.contacts)
        Check(page, window, IDC_SYNC_CONTACTS, *edits.contacts);
    if (edits.calendar_interval &&
        !Choose(page, window, IDC_CALENDAR_INTERVAL, *edits.calendar_interval, error))
        return false;
    if (edits.contact_interval && !Choose(page, window, IDC_CONTACT_INTERVAL, *edits.contact_interval, error))
        return false;
    if (edits.test)
        page.OnCommand(window, IDC_TEST_CONNECTION, platform::BN_CLICKED);
    return true;
}

void PrintPage(const TerminalDialogWindow& window) {
    std::fprintf(stderr, "\n");
    for (const PageField& field : kPageFields) {
        std::string value;
        switch (field.kind) {
            case PageField::Text:
                value = window.GetControlText(field.id);
                break;
            case PageField::Secret:
                value = window.GetControlText(field.id).empty() ? "(none)" : "(set)";
                break;
            case PageField::Check:
                value = window.IsChecked(field.id) ? "[x]" : "[ ]";
                break;
            case PageField::Combo:
                value = window.ComboSelectionText(field.id);
                if (!window.IsEnabled(field.id))
                    value += " (off)";
                break;
        }
        std::fprintf(stderr, "  %c  %-28s %s\n", field.key, field.label, value.c_str());
    }
    // The button shows its caption only while a test runs ("Testing...").
    const std::string test = window.GetControlText(IDC_TEST_CONNECTION);
    std::fprintf(stderr, "  t  %s\n  %s\n", test.empty() ? "Test Connection" : test.c_str(),
                 window.GetControlText(IDC_VERSION).c_str());
}

bool ReadTerminalLine(const std::string& prompt, bool secret, std::string* line) {
    std::fprintf(stderr, "%s", prompt.c_str());
    std::fflush(stderr);
    termios saved{};
    const bool hide = secret && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (hide) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        (void)tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    std::string text;
    int c = 0;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n')
        text += static_cast<char>(c);
    if (hide) {
        (void)tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fprintf(stderr, "\n");
    }
    if (c == EOF && text.empty())
        return false;
    *line = text;
    return true;
}

bool EditPageInteractively(platform::DialogHandler& page, TerminalDialogWindow& window) {
    for (int round = 0; round < kMaxRounds; ++round) {
        PrintPage(window);
        std::string choice;
        if (!ReadEditedLine("Change 1-7, t to test the connection, Enter for OK, c to cancel: ", "", &choice))
            return false;
        choice = std::string(platform::TrimWhitespace(choice));
        if (choice.empty())
            return true;
        if (choice == "c" || choice == "C")
            return false;
        if (choice == "t" || choice == "T") {
            page.OnCommand(window, IDC_TEST_CONNECTION, platform::BN_CLICKED);
            continue;
        }
        const PageField* field = nullptr;
        for (const PageField& candidate : kPageFields) {
            if (choice.size() == 1 && choice[0] == candidate.key)
                field = &candidate;
        }
        if (field == nullptr) {
            std::fprintf(stderr, "No such choice: %s\n", choice.c_str());
            continue;
        }
        std::string value;
        std::string error;
        switch (field->kind) {
            case PageField::Text:
                if (ReadEditedLine(std::string(field->label) + ": ", window.GetControlText(field->id),
                                   &value))
                    Type(page, window, field->id, value);
                break;
            case PageField::Secret:
                if (ReadTerminalLine(std::string(field->label) + ": ", true, &value))
                    Type(page, window, field->id, value);
                break;
            case PageField::Check:
                Check(page, window, field->id, !window.IsChecked(field->id));
                break;
            case PageField::Combo: {
                std::string choices;
                for (const std::string& item : window.ComboTexts(field->id))
                    choices += (choices.empty() ? "" : ", ") + item;
                if (ReadEditedLine(std::string(field->label) + " (" + choices + "): ",
                                   window.ComboSelectionText(field->id), &value) &&
                    !Choose(page, window, field->id, std::string(platform::TrimWhitespace(value)), &error))
                    std::fprintf(stderr, "%s\n", error.c_str());
                break;
            }
        }
    }
    return false;
}

TerminalDialogService::TerminalDialogService(PageEdits edits, std::string answer)
    : edits_(std::move(edits)), answer_(std::move(answer)) {
    platform::SetDialogService(this);
}

TerminalDialogService::~TerminalDialogService() {
    platform::SetDialogService(nullptr);
}

int TerminalDialogService::RunModal(int template_id, platform::DialogHandler& handler) {
    TerminalDialogWindow window;
    handler.OnInitDialog(window);
    if (template_id == IDD_FIRSTRUN || template_id == IDD_ZELPROPPAGE)
        return RunSettings(handler, window);
    return RunWarning(handler, window);
}

int TerminalDialogService::RunSettings(platform::DialogHandler& handler, TerminalDialogWindow& window) {
    std::fprintf(stderr, "The synchronization settings are needed.\n");
    bool confirmed = false;
    std::string error;
    if (edits_.Any()) {
        confirmed = ApplyPageEdits(handler, window, edits_, &error);
        if (!confirmed)
            std::fprintf(stderr, "%s\n", error.c_str());
    } else if (IsTerminal()) {
        confirmed = EditPageInteractively(handler, window);
    } else if (platform::EqualsIgnoreAsciiCase(answer_, "ok")) {
        std::fprintf(stderr, "Answered OK from the command line.\n");
        confirmed = true;
    } else {
        std::fprintf(stderr,
                     "No terminal to ask for the settings: answering Cancel (--answer ok keeps them).\n");
    }
    handler.OnCommand(window, confirmed ? IDC_OK : IDC_CANCEL, platform::BN_CLICKED);
    return window.ended() ? window.result() : (confirmed ? platform::IDOK : platform::IDCANCEL);
}

int TerminalDialogService::RunWarning(platform::DialogHandler& handler, TerminalDialogWindow& window) {
    const int buttons[] = {IDC_WARNING_FIRST, IDC_WARNING_SECOND, IDC_WARNING_THIRD};
    std::fprintf(stderr, "%s\n", window.GetControlText(IDC_WARNING_TEXT).c_str());
    for (int i = 0; i < 3; ++i)
        std::fprintf(stderr, "  %d  %s\n", i + 1, window.GetControlText(buttons[i]).c_str());
    // The third button is the safe one (it cancels).
    int chosen = 2;
    if (answer_ == "1" || answer_ == "2" || answer_ == "3") {
        chosen = answer_[0] - '1';
        std::fprintf(stderr, "Answered %s from the command line.\n", answer_.c_str());
    } else if (IsTerminal()) {
        for (int round = 0; round < kMaxRounds; ++round) {
            std::string line;
            if (!ReadTerminalLine("Choose 1, 2 or 3: ", false, &line))
                break;
            line = std::string(platform::TrimWhitespace(line));
            if (line == "1" || line == "2" || line == "3") {
                chosen = line[0] - '1';
                break;
            }
        }
    } else {
        std::fprintf(stderr,
                     "No terminal to ask: answering %s, the safe answer (--answer 1|2|3 chooses a button).\n",
                     window.GetControlText(buttons[2]).c_str());
    }
    handler.OnCommand(window, buttons[chosen], platform::BN_CLICKED);
    return window.ended() ? window.result() : platform::IDCANCEL;
}
