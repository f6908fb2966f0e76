// The object model's enumerations, with Outlook's names and values (the add-in maps them to and from
// iCalendar and vCard by value).
#pragma once

#include <cstdint>

namespace outlook {

enum OlDefaultFolders : std::int32_t {
    olFolderCalendar = 9,
    olFolderContacts = 10,
    olFolderSuggestedContacts = 30,
};

enum OlItemType : std::int32_t {
    olMailItem = 0,
    olAppointmentItem = 1,
    olContactItem = 2,
    olDistributionListItem = 7,
};

enum OlRecurrenceType : std::int32_t {
    olRecursDaily = 0,
    olRecursWeekly = 1,
    olRecursMonthly = 2,
    olRecursMonthNth = 3,
    olRecursYearly = 5,
    olRecursYearNth = 6,
};

enum OlDaysOfWeek : std::int32_t {
    olSunday = 1,
    olMonday = 2,
    olTuesday = 4,
    olWednesday = 8,
    olThursday = 16,
    olFriday = 32,
    olSaturday = 64,
};

enum OlRecurrenceState : std::int32_t {
    olApptNotRecurring = 0,
    olApptMaster = 1,
    olApptOccurrence = 2,
    olApptException = 3,
};

enum OlSensitivity : std::int32_t {
    olNormal = 0,
    olPersonal = 1,
    olPrivate = 2,
    olConfidential = 3,
};

enum OlImportance : std::int32_t {
    olImportanceLow = 0,
    olImportanceNormal = 1,
    olImportanceHigh = 2,
};

enum OlBusyStatus : std::int32_t {
    olFree = 0,
    olTentative = 1,
    olBusy = 2,
    olOutOfOffice = 3,
};

enum OlMeetingStatus : std::int32_t {
    olNonMeeting = 0,
    olMeeting = 1,
    olMeetingReceived = 3,
    olMeetingCanceled = 5,
};

enum OlResponseStatus : std::int32_t {
    olResponseNone = 0,
    olResponseOrganized = 1,
    olResponseTentative = 2,
    olResponseAccepted = 3,
    olResponseDeclined = 4,
    olResponseNotResponded = 5,
};

enum OlMeetingRecipientType : std::int32_t {
    olOrganizer = 0,
    olRequired = 1,
    olOptional = 2,
    olResource = 3,
};

enum OlUserPropertyType : std::int32_t {
    olText = 1,
    olNumber = 3,
    olDateTime = 5,
    olYesNo = 6,
    olInteger = 20,
};

enum OlStorageIdentifierType : std::int32_t {
    olIdentifyBySubject = 0,
    olIdentifyByEntryID = 1,
    olIdentifyByMessageClass = 2,
};

enum MsoControlType : std::int32_t {
    msoControlButton = 1,
};

enum MsoButtonStyle : std::int32_t {
    msoButtonIcon = 1,
    msoButtonCaption = 2,
    msoButtonIconAndCaption = 3,
};

}  // namespace outlook
