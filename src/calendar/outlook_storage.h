// Where the add-in keeps its own flags on an Outlook object: a UserProperties collection and the way to
// make changes to it permanent.
#pragma once

#include "outlook/com_ptr.h"
#include "outlook/user_properties.h"

class IOutlookStorage {
  public:
    virtual ~IOutlookStorage() = default;
    // The collection the flags live in; null when Outlook fails. Ownership: the caller holds a reference.
    virtual outlook::ComPtr<outlook::UserProperties> GetUserProperties() = 0;
    // Makes changed properties permanent.
    virtual HRESULT Save() = 0;
};
