// The message of a run that did everything but some items, which are tried again next run.
#pragma once

#include <string>

// "<count> <items> could not be synchronized; they are tried again next run. " and where the log is, or
// how to turn it on.
std::string PartialFailureMessage(int count, const std::string& items);
