#include "platform/hresult.h"

#include <cstdio>

std::string HrName(HRESULT hr) {
    const char* name = nullptr;
    switch (hr) {
        case S_OK:
            name = "S_OK";
            break;
        case S_FALSE:
            name = "S_FALSE";
            break;
        case E_NOTIMPL:
            name = "E_NOTIMPL";
            break;
        case E_NOINTERFACE:
            name = "E_NOINTERFACE";
            break;
        case E_POINTER:
            name = "E_POINTER";
            break;
        case E_ABORT:
            name = "E_ABORT";
            break;
        case E_FAIL:
            name = "E_FAIL";
            break;
        case E_UNEXPECTED:
            name = "E_UNEXPECTED";
            break;
        case E_ACCESSDENIED:
            name = "E_ACCESSDENIED";
            break;
        case E_OUTOFMEMORY:
            name = "E_OUTOFMEMORY";
            break;
        case E_INVALIDARG:
            name = "E_INVALIDARG";
            break;
        case CLASS_E_NOAGGREGATION:
            name = "CLASS_E_NOAGGREGATION";
            break;
        case CLASS_E_CLASSNOTAVAILABLE:
            name = "CLASS_E_CLASSNOTAVAILABLE";
            break;
        case REGDB_E_CLASSNOTREG:
            name = "REGDB_E_CLASSNOTREG";
            break;
        case SELFREG_E_CLASS:
            name = "SELFREG_E_CLASS";
            break;
        default:
            name = "HRESULT";
            break;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s (0x%08X)", name, static_cast<unsigned>(hr));
    return text;
}
