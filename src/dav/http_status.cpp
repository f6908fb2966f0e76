#include "dav/http_status.h"

bool IsSuccessStatus(std::string_view method, int status) {
    if (status == 1223 || (status >= 201 && status <= 299))
        return true;
    return status == 200 && (method == "PUT" || method == "DELETE");
}

bool HasConflict(int status) {
    return status == 412;
}
