// The module's identifiers: type library, classes, interfaces and application id.
#pragma once

#include "platform/com_base.h"

inline constexpr platform::Iid LIBID_ZelOutlookAddinLib = "{36F675CC-81E7-4EF5-A8E2-5D940ED90475}";
inline constexpr platform::Iid CLSID_SyncManager = "{9531985D-5D9D-49F8-9818-E811892F902B}";
inline constexpr platform::Iid IID_ISyncManager = "{6B0D549B-6F03-475A-9600-A35A099950D8}";
inline constexpr platform::Iid CLSID_ZelPropPage = "{6513270E-269E-4D37-B2A7-4DE452E6B438}";
inline constexpr platform::Iid IID_IZelPropPage = "{8D116ECE-1738-47D9-BD9C-172411E20B8F}";
inline constexpr platform::Iid APPID_ZelOutlookAddin = "{D23F0824-128B-4F33-8C5C-7FD0A6A3A450}";
// The class of the module's marshalling code: by the merged proxy/stub convention, the IID of the
// first interface it marshals.
inline constexpr platform::Iid CLSID_ZelOutlookAddinPS = IID_ISyncManager;
