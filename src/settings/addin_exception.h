// The one exception type of the sync engine: an error code and an optional text.
#pragma once

#include <cstdint>
#include <string>

#include "settings/transport_failure.h"

// Error codes raised by the engine (the others only have a message).
enum AddinErrorCode : std::uint32_t {
    kErrorUnknown = 1,
    kErrorCanceled = 2,
    kErrorSubcalendars = 202,
    kErrorAddCalendar = 203,
    kErrorCreateRequest = 300,
    kErrorOpenConnection = 301,
    kErrorNoConnection = 303,
    kErrorBadStatus = 304,
    kErrorNoResponse = 305,
    kErrorForbiddenOrNotFound = 306,
    kErrorNotDavServer = 307,
    kErrorLogonFailed = 400,
};

class CAddinException {
  public:
    explicit CAddinException(std::uint32_t code) : m_code(code) {}
    explicit CAddinException(std::string text) : m_text(std::move(text)) {}
    CAddinException(std::uint32_t code, std::string text) : m_code(code), m_text(std::move(text)) {}
    CAddinException(std::uint32_t code, std::string text, TransportFailure transport)
        : m_code(code), m_text(std::move(text)), m_transport(transport) {}
    CAddinException(const CAddinException&) = default;
    CAddinException& operator=(const CAddinException&) = default;
    virtual ~CAddinException() = default;

    std::uint32_t GetCode() const { return m_code; }
    // The exchange's status and transport code, and their kind (kNone when the failure was not one).
    const TransportFailure& GetTransport() const { return m_transport; }
    FailureKind GetKind() const { return m_transport.kind; }

    // The text, or when it is empty the message of the code (kept, so later calls give the same text).
    std::string GetMessage();

    // The message number that GetMessage uses for a code.
    static unsigned MessageIdForCode(std::uint32_t code);

  private:
    std::uint32_t m_code = 0;
    std::string m_text;
    TransportFailure m_transport;
};
