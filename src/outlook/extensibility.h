// _IDTExtensibility2 {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}: the connection interface of a COM add-in,
// called by the host that loads it.
#pragma once

#include <vector>

#include "outlook/dispatch.h"
#include "outlook/variant.h"

namespace outlook {

enum ext_ConnectMode : std::int32_t {
    ext_cm_AfterStartup = 0,
    ext_cm_Startup = 1,
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
};

enum ext_DisconnectMode : std::int32_t {
    ext_dm_HostShutdown = 0,
    ext_dm_UserClosed = 1,
};

class IDTExtensibility2 : public IDispatch {
  public:
    static constexpr Iid kIid = "{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}";

    // The host connects the add-in. `application` is the host's Application; `add_in_inst` the add-in's
    // own entry (may be null); `custom` host-specific values (may be null). Ownership: the add-in
    // AddRefs what it keeps.
    [[nodiscard]] virtual HRESULT OnConnection(IDispatch* application, ext_ConnectMode connect_mode,
                                               IDispatch* add_in_inst, std::vector<Variant>* custom) = 0;
    // The host disconnects it: at shutdown (ext_dm_HostShutdown) or because the user removed it.
    [[nodiscard]] virtual HRESULT OnDisconnection(ext_DisconnectMode remove_mode,
                                                  std::vector<Variant>* custom) = 0;
    [[nodiscard]] virtual HRESULT OnAddInsUpdate(std::vector<Variant>* custom) = 0;
    // Every add-in of the start is connected.
    [[nodiscard]] virtual HRESULT OnStartupComplete(std::vector<Variant>* custom) = 0;
    // The host is about to shut down.
    [[nodiscard]] virtual HRESULT OnBeginShutdown(std::vector<Variant>* custom) = 0;

  protected:
    ~IDTExtensibility2() = default;
};

}  // namespace outlook
