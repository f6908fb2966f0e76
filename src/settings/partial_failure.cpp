#include "settings/partial_failure.h"

#include "settings/log.h"

std::string PartialFailureMessage(int count, const std::string& items) {
    return std::to_string(count) + " " + items +
           " could not be synchronized; they are tried again next run. " +
           (IsLogEnabled() ? "The log is " + LogFolder() + "/" + CurrentLogFileName() + "."
                           : "Turn on the log in the options to see why.");
}
