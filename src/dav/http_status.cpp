#include "dav/http_status.h"

bool IsSuccessStatus(std::string_view method, int status) {
    if (status == 1223 || (status >= 201 && status <= 299))
        return true;
    return status == 200 && (method == "PUT" || method == "DELETE");
}

FailureKind ClassifyStatus(int status) {
    switch (status) {
        case 401:
            return FailureKind::kAuth;
        case 403:
            return FailureKind::kForbidden;
        case 404:
            return FailureKind::kNotFound;
        case 405:
            return FailureKind::kNotDav;
        case 410:
            return FailureKind::kGone;
        case 412:
            return FailureKind::kConflict;
        default:
            return FailureKind::kBadStatus;
    }
}
