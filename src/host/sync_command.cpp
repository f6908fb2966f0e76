// velsync sync (one click of the add-in's button, then its report) and velsync run (a session: the
// add-in's timer, a status line and commands typed at the terminal, until SIGINT or SIGTERM).
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "host/command_line.h"
#include "host/log_hint.h"
#include "host/shell_commands.h"
#include "host/terminal_dialog_service.h"
#include "host/terminal_status_bar.h"
#include "host/user_session.h"
#include "outlook/command_bar.h"
#include "outlook/command_bar_control.h"
#include "outlook/command_bars.h"
#include "outlook/explorer.h"
#include "outlook/status.h"
#include "platform/apartment.h"
#include "platform/http_request.h"
#include "platform/text.h"
#include "platform/user_lock.h"

namespace {

// The options of a command that takes no positional arguments, with --help; prints the reason on failure.
bool ParseOptionsOnly(const char* command, const std::vector<std::string>& args,
                      const std::set<std::string>& valued, CommandLine* line) {
    if (line->Parse(args, {"help"}, valued) && line->Positional().empty())
        return true;
    std::fprintf(stderr, "velsync %s: %s\n", command,
                 line->Error().empty() ? "no positional arguments" : line->Error().c_str());
    return false;
}

constexpr const char* kButtonTag = "MarrowfellTag";
constexpr const char* kRunLockName = "sync.lock";
// How long one wait of the task loop lasts: the loop looks at signals and the terminal in between.
constexpr DWORD kPumpMs = 100;
// Bounds a single run: a day.
constexpr int kMaxRunSeconds = 24 * 60 * 60;
// How long a cancelled synchronization may take to end: its transfers fail at once, but the store
// writes under way finish first.
constexpr auto kCancelWait = std::chrono::seconds(10);

std::atomic<int> g_stop_requests{0};

void OnStopSignal(int /*signal*/) {
    g_stop_requests.fetch_add(1);
}

void InstallStopHandlers() {
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// The add-in's button on the "Standard" toolbar, or empty.
outlook::ComPtr<outlook::CommandBarControl> FindSyncButton(UserSession& session) {
    outlook::ComPtr<outlook::Explorer> explorer;
    outlook::ComPtr<outlook::CommandBars> bars;
    std::int32_t count = 0;
    if (FAILED(session.app()->ActiveExplorer(&explorer)) || FAILED(explorer->get_CommandBars(&bars)) ||
        FAILED(bars->get_Count(&count))) {
        return {};
    }
    for (std::int32_t i = 1; i <= count; ++i) {
        outlook::ComPtr<outlook::CommandBar> bar;
        std::string name;
        outlook::ComPtr<outlook::CommandBarControl> control;
        if (SUCCEEDED(bars->Item(i, &bar)) && SUCCEEDED(bar->get_Name(&name)) && name == "Standard" &&
            SUCCEEDED(bar->FindControl(outlook::msoControlButton, 1, kButtonTag, &control)) && control) {
            return control;
        }
    }
    return {};
}

// A run of this process is under way: the add-in holds the run lock from BeginSync to the end of EndSync.
// (The button is no sign of it in a session: a tick that finds a run going enables the button again.)
bool IsRunActive() {
    return platform::UserLock::HolderPid(kRunLockName) == static_cast<long>(getpid());
}

bool IsEnabled(outlook::CommandBarControl* button) {
    bool enabled = false;
    return SUCCEEDED(button->get_Enabled(&enabled)) && enabled;
}

// Ends the process without unloading the add-in, whose worker may still be inside it. Every index
// file is replaced whole, so the next run resumes from a consistent index.
[[noreturn]] void StopAtOnce(const char* why) {
    std::fflush(stdout);
    std::fprintf(stderr, "\n%s; stopped at once, the next synchronization resumes.\n", why);
    std::_Exit(kExitFailed);
}

// Runs the user-interface thread's tasks for about `ms`. A second stop signal ends the process at once.
void Pump(DWORD ms) {
    if (g_stop_requests.load() > 1)
        StopAtOnce("Signalled again");
    if (auto apartment = platform::Apartment::Current())
        apartment->RunPending(ms);
}

// The session ending on a stop signal. The add-in is unloaded only once its worker has left it, so a
// running synchronization is cancelled first: its transfers fail at once, its questions take the safe
// answer, and it has kCancelWait to end.
class SessionStop {
  public:
    SessionStop(TerminalStatusBar* status, TerminalMessageBox* boxes) : status_(status), boxes_(boxes) {}

    bool IsRequested() const { return g_stop_requests.load() > 0; }

    // Between waits of the task loop; `running` tells whether a synchronization is under way. Transfers
    // are cancelled even when none is, as a timer tick may start one before the add-in is disconnected.
    void Check(bool running) {
        if (!IsRequested())
            return;
        if (!closing_) {
            platform::CancelTransfers();
            boxes_->SetClosing();
            closing_ = true;
        }
        if (!running)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (!cancelled_) {
            status_->Finish();
            std::fprintf(stderr, "Cancelling the running synchronization (signal again to stop at once).\n");
            cancelled_ = true;
            deadline_ = now + kCancelWait;
        } else if (now >= deadline_) {
            StopAtOnce("The cancelled synchronization did not end in time");
        }
    }

    bool HasCancelledRun() const { return cancelled_; }

  private:
    TerminalStatusBar* status_;
    TerminalMessageBox* boxes_;
    bool closing_ = false;
    bool cancelled_ = false;
    std::chrono::steady_clock::time_point deadline_;
};

std::string OtherRunMessage() {
    const long pid = platform::UserLock::HolderPid(kRunLockName);
    if (pid == 0)
        return {};
    return pid > 0 ? "another velsync (process " + std::to_string(pid) +
                         ") is synchronizing this user's data; try again when it has finished"
                   : "another velsync is synchronizing this user's data; try again when it has finished";
}

// Clicks the button and, when a run started, runs the task loop until its end has been reported.
// Returns the exit code.
int ClickAndWait(UserSession& session, outlook::CommandBarControl* button, TerminalStatusBar& status,
                 SessionStop& stop) {
    const int failures_before = session.boxes().failures();
    const HRESULT hr = button->Execute();
    if (hr == outlook::MAPI_E_NO_SUPPORT) {
        std::fprintf(stderr, "A synchronization is running already.\n");
        return kExitFailed;
    }
    if (FAILED(hr)) {
        std::fprintf(stderr, "The button did not work: %s\n", HrName(hr).c_str());
        return kExitFailed;
    }
    if (IsEnabled(button)) {
        status.Finish();
        // No run started: the settings were cancelled, or a run is going on somewhere.
        const std::string other = OtherRunMessage();
        std::fprintf(stderr, "%s\n",
                     !other.empty() ? other.c_str()
                                    : ("No synchronization started (" + status.LastText() + ").").c_str());
        return kExitFailed;
    }
    const auto start = std::chrono::steady_clock::now();
    int last_second = -1;
    while (!IsEnabled(button)) {
        stop.Check(true);
        Pump(kPumpMs);
        const int seconds = static_cast<int>(
            std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
                .count());
        if (seconds >= kMaxRunSeconds)
            break;
        if (seconds != last_second && seconds > 0)
            status.ShowElapsed(seconds);
        last_second = seconds;
    }
    // The end of the run (its report) may still be queued behind the button's state.
    Pump(0);
    status.Finish();
    if (!IsEnabled(button)) {
        std::fprintf(stderr, "Stopped before the synchronization ended.\n");
        return kExitFailed;
    }
    return session.boxes().failures() > failures_before ? kExitFailed : kExitOk;
}

}  // namespace

int RunSyncCommand(const std::vector<std::string>& args) {
    CommandLine line;
    if (!ParseOptionsOnly("sync", args, {"answer"}, &line))
        return kExitUsage;
    if (line.Has("help")) {
        std::printf(
            "velsync sync [--answer yes|no|ok|cancel|1|2|3]\n"
            "  Clicks the add-in's button once: asks for the settings when no server is set, synchronizes\n"
            "  contacts and calendars, and shows the result. Exit status 1 when a kind failed.\n"
            "  Without a terminal, questions take --answer, else the safe answer (No, Cancel).\n"
            "  SIGINT or SIGTERM cancel the synchronization (exit status 1); a second signal ends at "
            "once.\n");
        return kExitOk;
    }
    CommandOutput output(false);
    TerminalStatusBar status(isatty(STDERR_FILENO) != 0);
    TerminalDialogService dialogs(PageEdits{}, line.Value("answer"));
    UserSession session(&output, line.Value("answer"));
    if (!session.Open())
        return kExitNoStore;
    outlook::ComPtr<outlook::CommandBarControl> button = FindSyncButton(session);
    if (!button) {
        output.Error(
            "the add-in's button is missing: the add-in is not registered or did not start "
            "(velsync register)");
        return kExitFailed;
    }
    InstallStopHandlers();
    SessionStop stop(&status, &session.boxes());
    const int code = ClickAndWait(session, button.get(), status, stop);
    if (code != kExitOk)
        std::fprintf(stderr, "%s\n", LogHint().c_str());
    return code;
}

int RunSessionCommand(const std::vector<std::string>& args) {
    CommandLine line;
    if (!ParseOptionsOnly("run", args, {"answer", "timer-period-ms"}, &line))
        return kExitUsage;
    if (line.Has("help")) {
        std::printf(
            "velsync run [--answer ...] [--timer-period-ms MS]\n"
            "  A long session: the add-in synchronizes on its timer (once a minute it checks which kinds\n"
            "  are due). Type 'sync' to click the button, 'status' for the status line, 'quit' to end.\n"
            "  SIGINT or SIGTERM end the session. A running synchronization is cancelled first: its\n"
            "  transfers stop at once, what it has done is kept and the next one resumes from there.\n"
            "  Exit status 0 when the session ended cleanly; 1 when it had to stop at once (a second\n"
            "  signal, or a cancelled synchronization still running after 10 seconds).\n"
            "  --timer-period-ms shortens the timer's minute (for tests).\n");
        return kExitOk;
    }
    // Set before the session starts any thread.
    if (line.Has("timer-period-ms")) {
        const std::string period = line.Value("timer-period-ms");
        setenv("VELSYNC_TIMER_PERIOD_MS", period.c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
    }
    InstallStopHandlers();
    CommandOutput output(false);
    TerminalStatusBar status(isatty(STDERR_FILENO) != 0);
    TerminalDialogService dialogs(PageEdits{}, line.Value("answer"));
    UserSession session(&output, line.Value("answer"));
    // Unattended, the output is a log: a failed tick is one line with its time and reason.
    session.boxes().SetLogLines(isatty(STDERR_FILENO) == 0);
    if (!session.Open())
        return kExitNoStore;
    outlook::ComPtr<outlook::CommandBarControl> button = FindSyncButton(session);
    if (!button)
        output.Error("the add-in's button is missing: no synchronization in this session (velsync register)");
    std::fprintf(stderr, "velsync run: session started. Commands: sync, status, quit.\n");
    SessionStop stop(&status, &session.boxes());
    bool reading = true;
    std::string pending;
    for (;;) {
        const bool running = IsRunActive();
        stop.Check(running);
        if (stop.IsRequested() && !running)
            break;
        Pump(kPumpMs);
        pollfd input = {STDIN_FILENO, POLLIN, 0};
        if (!reading || poll(&input, 1, 0) <= 0)
            continue;
        char chunk[256];
        const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0) {
            reading = false;
            continue;
        }
        pending.append(chunk, static_cast<std::size_t>(got));
        std::size_t end = 0;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string command(platform::TrimWhitespace(pending.substr(0, end)));
            pending.erase(0, end + 1);
            if (command == "quit" || command == "exit") {
                g_stop_requests.fetch_add(1);
            } else if (command == "sync") {
                if (!button)
                    std::fprintf(stderr, "No button: the add-in is not connected.\n");
                else
                    (void)ClickAndWait(session, button.get(), status, stop);
            } else if (command == "status") {
                status.Finish();
                std::fprintf(stderr, "%s%s\n", status.LastText().c_str(), running ? " (synchronizing)" : "");
            } else if (!command.empty()) {
                std::fprintf(stderr, "Commands: sync, status, quit.\n");
            }
        }
        if (pending.size() > 4096)
            pending.clear();
    }
    status.Finish();
    std::fprintf(stderr, "velsync run: session ended%s.\n",
                 stop.HasCancelledRun() ? " (the running synchronization was cancelled)" : "");
    return kExitOk;
}
