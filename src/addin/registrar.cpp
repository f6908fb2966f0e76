#include "addin/registrar.h"

#include <filesystem>
#include <memory>

#include "addin/guids.h"
#include "platform/text.h"

namespace {

using platform::RootKey;

constexpr std::string_view kClassesPrefix = "Software\\Classes\\";
constexpr std::string_view kAddinsKey =
    "Software\\Microsoft\\Office\\Outlook\\Addins\\ZelOutlookAddin.SyncManager";

constexpr std::string_view kAppIdName = "ZelOutlookAddin";
constexpr std::string_view kAppIdModuleKey = "AppID\\ZelOutlookAddin.DLL";

constexpr std::string_view kSyncManagerName = "SyncManager Class";
constexpr std::string_view kSyncManagerProgId = "ZelOutlookAddin.SyncManager";
constexpr std::string_view kSyncManagerProgIdVersion = "ZelOutlookAddin.SyncManager.1";
constexpr std::string_view kAddinFriendlyName = "Velmarquin Sync Add-in for Outlook";
constexpr DWORD kLoadAtStartupLoaded = 3;

constexpr std::string_view kPropPageName = "ZelPropPage Class";
constexpr std::string_view kPropPageProgId = "ZelOutlookAddin.ZelPropPage";
constexpr std::string_view kPropPageProgIdVersion = "ZelOutlookAddin.ZelPropPage.1";
constexpr std::string_view kPropPageBitmap = ", 103";
// OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
// OLEMISC_SETCLIENTSITEFIRST: the usual status of a windowed control.
constexpr DWORD kPropPageMiscStatus = 0x1 | 0x10 | 0x80 | 0x100 | 0x20000;

constexpr std::string_view kTypeLibVersion = "1.0";
constexpr std::string_view kTypeLibHelpString = "ZelOutlookAddin 1.0 Type Library";
constexpr std::string_view kTypeLibLocale = "409";  // LCID 0x409 in hexadecimal, as RegisterTypeLib names it

// Methods of each marshalled interface, counting IUnknown's three and IDispatch's four.
constexpr DWORD kSyncManagerMethods = 10;
constexpr DWORD kPropPageMethods = 7;

std::string Join(std::string_view a, std::string_view b) {
    std::string path(a);
    path += '\\';
    path += b;
    return path;
}

}  // namespace

RegistrationScope ScopeFromCommandLine(const char* command_line) {
    return command_line != nullptr && platform::EqualsIgnoreAsciiCase(command_line, "user")
               ? RegistrationScope::User
               : RegistrationScope::Machine;
}

platform::RootKey CRegistrar::ClassesRoot() const {
    // Per-machine classes go to HKLM explicitly: writing through the merged view would update a per-user
    // registration instead whenever one exists.
    return m_scope == RegistrationScope::User ? RootKey::CurrentUser : RootKey::LocalMachine;
}

std::string CRegistrar::ClassesPath(std::string_view relative) const {
    std::string path(kClassesPrefix);
    path += relative;
    return path;
}

std::vector<RegistryWrite> CRegistrar::Writes() const {
    using Kind = RegistryWrite::Kind;
    std::vector<RegistryWrite> writes;
    const RootKey classes = ClassesRoot();
    const auto key = [&](std::string_view relative) {
        writes.push_back({classes, ClassesPath(relative), "", Kind::KeyOnly, "", 0});
    };
    const auto text = [&](std::string_view relative, std::string_view name, std::string_view value) {
        writes.push_back(
            {classes, ClassesPath(relative), std::string(name), Kind::String, std::string(value), 0});
    };
    const std::string module_folder = std::filesystem::path(m_modulePath).parent_path().string();

    // The type library and its interfaces.
    const std::string typelib = Join(Join("TypeLib", LIBID_ZelOutlookAddinLib), kTypeLibVersion);
    text(typelib, "", kTypeLibHelpString);
    text(Join(Join(typelib, kTypeLibLocale), "win64"), "", m_modulePath);
    text(Join(typelib, "FLAGS"), "", "0");
    text(Join(typelib, "HELPDIR"), "", module_folder);

    // The application id.
    text(Join("AppID", APPID_ZelOutlookAddin), "", kAppIdName);
    text(kAppIdModuleKey, "AppID", APPID_ZelOutlookAddin);

    // The add-in class.
    const std::string sync_manager = Join("CLSID", CLSID_SyncManager);
    text(kSyncManagerProgIdVersion, "", kSyncManagerName);
    text(Join(kSyncManagerProgIdVersion, "CLSID"), "", CLSID_SyncManager);
    text(kSyncManagerProgId, "", kSyncManagerName);
    text(Join(kSyncManagerProgId, "CLSID"), "", CLSID_SyncManager);
    text(Join(kSyncManagerProgId, "CurVer"), "", kSyncManagerProgIdVersion);
    text(sync_manager, "", kSyncManagerName);
    text(Join(sync_manager, "ProgID"), "", kSyncManagerProgIdVersion);
    text(Join(sync_manager, "VersionIndependentProgID"), "", kSyncManagerProgId);
    key(Join(sync_manager, "Programmable"));
    text(Join(sync_manager, "InprocServer32"), "", m_modulePath);
    text(Join(sync_manager, "InprocServer32"), "ThreadingModel", "Apartment");
    text(Join(sync_manager, "TypeLib"), "", LIBID_ZelOutlookAddinLib);
    for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine}) {
        writes.push_back({root, std::string(kAddinsKey), "FriendlyName", Kind::String,
                          std::string(kAddinFriendlyName), 0});
        writes.push_back(
            {root, std::string(kAddinsKey), "Description", Kind::String, std::string(kAddinFriendlyName), 0});
        writes.push_back(
            {root, std::string(kAddinsKey), "LoadBehavior", Kind::Dword, "", kLoadAtStartupLoaded});
        writes.push_back({root, std::string(kAddinsKey), "CommandLineSafe", Kind::Dword, "", 0});
    }

    // The options page control.
    const std::string prop_page = Join("CLSID", CLSID_ZelPropPage);
    text(kPropPageProgIdVersion, "", kPropPageName);
    text(Join(kPropPageProgIdVersion, "CLSID"), "", CLSID_ZelPropPage);
    text(kPropPageProgId, "", kPropPageName);
    text(Join(kPropPageProgId, "CLSID"), "", CLSID_ZelPropPage);
    text(Join(kPropPageProgId, "CurVer"), "", kPropPageProgIdVersion);
    text(prop_page, "", kPropPageName);
    text(Join(prop_page, "ProgID"), "", kPropPageProgIdVersion);
    text(Join(prop_page, "VersionIndependentProgID"), "", kPropPageProgId);
    key(Join(prop_page, "Programmable"));
    key(Join(prop_page, "Control"));
    text(Join(prop_page, "InprocServer32"), "", m_modulePath);
    text(prop_page, "AppID", APPID_ZelOutlookAddin);
    text(Join(prop_page, "ToolboxBitmap32"), "", m_modulePath + std::string(kPropPageBitmap));
    text(Join(prop_page, "MiscStatus"), "", "0");
    text(Join(Join(prop_page, "MiscStatus"), "1"), "", std::to_string(kPropPageMiscStatus));
    text(Join(prop_page, "TypeLib"), "", LIBID_ZelOutlookAddinLib);
    text(Join(prop_page, "Version"), "", kTypeLibVersion);

    // The marshalling code: both interfaces go through the module's proxy/stub class.
    const struct {
        std::string_view iid;
        std::string_view name;
        DWORD methods;
    } interfaces[] = {{IID_ISyncManager, "ISyncManager", kSyncManagerMethods},
                      {IID_IZelPropPage, "IZelPropPage", kPropPageMethods}};
    for (const auto& entry : interfaces) {
        const std::string path = Join("Interface", entry.iid);
        text(path, "", entry.name);
        text(Join(path, "NumMethods"), "", std::to_string(entry.methods));
        text(Join(path, "ProxyStubClsid32"), "", CLSID_ZelOutlookAddinPS);
        text(Join(path, "TypeLib"), "", LIBID_ZelOutlookAddinLib);
        text(Join(path, "TypeLib"), "Version", kTypeLibVersion);
    }
    const std::string proxy_stub = Join("CLSID", CLSID_ZelOutlookAddinPS);
    text(proxy_stub, "", "PSFactoryBuffer");
    text(Join(proxy_stub, "InprocServer32"), "", m_modulePath);
    text(Join(proxy_stub, "InprocServer32"), "ThreadingModel", "Both");
    return writes;
}

LONG CRegistrar::Apply(const RegistryWrite& write) {
    std::unique_ptr<platform::RegistryKey> key;
    LONG error = platform::RegistryKey::Create(write.root, write.path, &key);
    if (error != ERROR_SUCCESS)
        return error;
    switch (write.kind) {
        case RegistryWrite::Kind::KeyOnly:
            return ERROR_SUCCESS;
        case RegistryWrite::Kind::String:
            return platform::SetStringValue(*key, write.name, write.text);
        case RegistryWrite::Kind::Dword:
            return platform::SetDwordValue(*key, write.name, write.number);
    }
    return ERROR_INVALID_PARAMETER;
}

HRESULT CRegistrar::Register() {
    if (m_modulePath.empty())
        return E_INVALIDARG;
    for (const RegistryWrite& write : Writes()) {
        const LONG error = Apply(write);
        if (error != ERROR_SUCCESS)
            return HresultFromWin32(error);
    }
    return S_OK;
}

HRESULT CRegistrar::Unregister() {
    const RootKey classes = ClassesRoot();
    HRESULT first_failure = S_OK;
    const auto remove = [&](RootKey root, const std::string& path) {
        const LONG error = platform::RegistryKey::DeleteTree(root, path);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND && SUCCEEDED(first_failure))
            first_failure = HresultFromWin32(error);
    };
    // The AppID key itself stays: other modules of the application may share it.
    remove(classes, ClassesPath(kAppIdModuleKey));
    for (std::string_view prog_id :
         {kSyncManagerProgIdVersion, kSyncManagerProgId, kPropPageProgIdVersion, kPropPageProgId})
        remove(classes, ClassesPath(prog_id));
    remove(classes, ClassesPath(Join("CLSID", CLSID_SyncManager)));
    remove(classes, ClassesPath(Join("CLSID", CLSID_ZelPropPage)));
    for (RootKey root : {RootKey::CurrentUser, RootKey::LocalMachine})
        remove(root, std::string(kAddinsKey));

    // The type library's version key, then its GUID key unless another version is still registered.
    const std::string typelib = ClassesPath(Join("TypeLib", LIBID_ZelOutlookAddinLib));
    remove(classes, Join(typelib, kTypeLibVersion));
    std::unique_ptr<platform::RegistryKey> typelib_key;
    if (platform::RegistryKey::Open(classes, typelib, &typelib_key) == ERROR_SUCCESS) {
        std::vector<std::string> versions;
        if (typelib_key->EnumSubKeys(&versions) == ERROR_SUCCESS && versions.empty())
            remove(classes, typelib);
    }

    remove(classes, ClassesPath(Join("Interface", IID_ISyncManager)));
    remove(classes, ClassesPath(Join("Interface", IID_IZelPropPage)));
    remove(classes, ClassesPath(Join("CLSID", CLSID_ZelOutlookAddinPS)));
    return first_failure;
}

HRESULT CRegistrar::Install(bool install) {
    if (!install)
        return Unregister();
    const HRESULT hr = Register();
    if (FAILED(hr))
        (void)Unregister();
    return hr;
}
