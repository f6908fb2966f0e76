// An update of an event that exists on the server: the server's text with only the properties the
// writer owns replaced, so that what velsync does not model (other clients' properties, attendee
// parameters and attendees the store lacks, further alarms, other components) survives a local edit.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ical {

// The properties of a VEVENT that the writer owns: the server's lines of these names give way to the
// written ones unless both mean the same (then the server's form stays). SEQUENCE, attendees and the
// first VALARM follow their own rules (see MergeWrittenEvent).
const std::vector<std::string_view>& OwnedEventProperties();

// The text to PUT over `server_text` for the written text of the same event. VEVENTs are paired by
// RECURRENCE-ID (the master by its absence). In each pair the owned properties are taken from the
// written VEVENT; SEQUENCE keeps the server's number, one higher when the start, end, rule or deleted
// occurrences change; an attendee the server lists keeps its line and takes only the written PARTSTAT,
// RSVP and RESPONDED-AT, attendees only the writer lists are added, the rest stay; the first VALARM
// takes the written TRIGGER (or goes when the writer has none), the others stay. A server VEVENT the
// writer lacks stays unless the written master deletes its occurrence; written VEVENTs and VTIMEZONEs the
// server lacks are added. The written text unchanged when the server text has no VEVENT.
std::string MergeWrittenEvent(std::string_view server_text, std::string_view written_text);

}  // namespace ical
