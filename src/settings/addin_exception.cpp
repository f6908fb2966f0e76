#include "settings/addin_exception.h"

#include "settings/messages.h"

unsigned CAddinException::MessageIdForCode(std::uint32_t code) {
    switch (code) {
        case 1:
            return 323;
        case 2:
            return 340;
        case 100:
            return 306;
        case 101:
            return 307;
        case 200:
            return 308;
        case 201:
            return 319;
        case 202:
            return 320;
        case 203:
            return 321;
        case 204:
            return 322;
        case 300:
            return 313;
        case 301:
            return 314;
        case 302:
            return 315;
        case 303:
            return 316;
        case 304:
            return 317;
        case 305:
            return 318;
        case 306:
            return 335;
        case 307:
            return 343;
        case 400:
            return 324;
        case 401:
            return 325;
        case 402:
            return 326;
        case 403:
            return 339;
        case 500:
            return 328;
        case 502:
            return 336;
        case 600:
            return 342;
        default:
            return 300;
    }
}

std::string CAddinException::GetMessage() {
    if (m_text.empty())
        m_text = LoadMessage(MessageIdForCode(m_code));
    return m_text;
}
