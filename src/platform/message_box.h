// Message boxes (MessageBoxW). The host's front end implements the service; tests script it.
#pragma once

#include <string>

namespace platform {

inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONWARNING = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    // Shows the text modally and returns the button chosen (IDOK, IDYES, ...).
    virtual int Show(const std::string& text, const std::string& caption, unsigned flags) = 0;
};

// The process-wide service. Ownership: not owned; the host keeps it alive while the module runs.
void SetMessageBoxService(MessageBoxService* service);

// Shows through the service; without one, answers IDCANCEL for questions with Cancel, IDNO for Yes/No
// questions and IDOK otherwise (the safe answer).
int ShowMessageBox(const std::string& text, const std::string& caption, unsigned flags);

}  // namespace platform
