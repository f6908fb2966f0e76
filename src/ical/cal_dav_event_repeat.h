// Builds the recurrence object of an Outlook series from its pattern.
#pragma once

#include <memory>

#include "ical/outlook_event_repeat.h"
#include "outlook/dispatch.h"

class CCalDavEventRepeat {
  public:
    // The pattern with its changed occurrences (each wrapped with its original start in UTC); deleted
    // occurrences are not kept (the writer reads them again). Null, with a log line, when `pattern` is
    // not a RecurrencePattern; a failing exception read is logged and skipped.
    static std::unique_ptr<COutlookEventRepeat> CreateFromOutlookObject(outlook::IDispatch* pattern);
};
