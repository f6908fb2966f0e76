// What one DAV exchange failed with, decided once where the answer arrives, so that callers choose by
// the kind and never by a message's text.
#pragma once

enum class FailureKind {
    kNone,        // not a transport failure (or none at all)
    kForbidden,   // 403
    kNotFound,    // 404
    kGone,        // 410
    kConflict,    // 412: the item changed, or exists when a new one was expected
    kAuth,        // 401 after the credentials were sent
    kNotDav,      // 405
    kBadStatus,   // any other status that is not a success
    kTimeout,     // no answer in time
    kTransport,   // no answer: refused, unknown host, TLS, dropped
    kUnreadable,  // an answer whose body could not be read
};

struct TransportFailure {
    FailureKind kind = FailureKind::kNone;
    int http_status = 0;     // 0 when no status arrived
    int transport_code = 0;  // the transport's own code (a CURLcode); 0 when none
};
