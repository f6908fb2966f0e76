// One calendar pair during a run: the Outlook folder and the server calendar; either may be missing.
#pragma once

#include <memory>

#include "calendar/cal_dav_calendar.h"
#include "calendar/outlook_calendar.h"

struct CalendarSyncUnit {
    std::shared_ptr<COutlookCalendar> outlookCalendar;
    std::shared_ptr<CCalDavCalendar> davCalendar;
};
