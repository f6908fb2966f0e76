#include "host/add_in_loader.h"

#include <dlfcn.h>

#include <memory>

#include "platform/class_factory.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kAddinsKey = "Software\\Microsoft\\Office\\Outlook\\Addins";
// Loaded (1) and loaded at start-up (2).
constexpr DWORD kLoadAtStartup = 3;
// Registry string values are read with a buffer as large as Windows allows for a path.
constexpr DWORD kValueBytes = 2 * 32768;

std::string DefaultValue(platform::RootKey root, const std::string& path) {
    std::unique_ptr<platform::RegistryKey> key;
    std::string value;
    if (platform::RegistryKey::Open(root, path, &key) != ERROR_SUCCESS ||
        platform::QueryStringValue(*key, "", kValueBytes, &value) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

}  // namespace

AddInLoader::AddInLoader(std::function<void(const std::string&)> warn) : warn_(std::move(warn)) {}

AddInLoader::~AddInLoader() {
    DisconnectAll();
}

std::vector<std::string> AddInLoader::RegisteredProgIds() {
    std::vector<std::string> ids;
    for (platform::RootKey root : {platform::RootKey::CurrentUser, platform::RootKey::LocalMachine}) {
        std::unique_ptr<platform::RegistryKey> addins;
        std::vector<std::string> names;
        if (platform::RegistryKey::Open(root, kAddinsKey, &addins) != ERROR_SUCCESS ||
            addins->EnumSubKeys(&names) != ERROR_SUCCESS) {
            continue;
        }
        for (const std::string& name : names) {
            std::unique_ptr<platform::RegistryKey> entry;
            DWORD behavior = 0;
            if (platform::RegistryKey::Open(root, std::string(kAddinsKey) + "\\" + name, &entry) !=
                    ERROR_SUCCESS ||
                platform::QueryDwordValue(*entry, "LoadBehavior", &behavior) != ERROR_SUCCESS ||
                behavior != kLoadAtStartup) {
                continue;
            }
            bool seen = false;
            for (const std::string& id : ids) {
                seen = seen || platform::EqualsIgnoreAsciiCase(id, name);
            }
            if (!seen) {
                ids.push_back(name);
            }
        }
    }
    return ids;
}

bool AddInLoader::Load(const std::string& prog_id, outlook::Application* application, Loaded* out) {
    const std::string clsid = DefaultValue(platform::RootKey::ClassesRoot, prog_id + "\\CLSID");
    const std::string path =
        clsid.empty() ? std::string()
                      : DefaultValue(platform::RootKey::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32");
    if (path.empty()) {
        warn_("add-in " + prog_id + " is not registered completely (no CLSID or InprocServer32); not loaded");
        return false;
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = dlerror();
        warn_("add-in " + prog_id + " cannot be loaded from " + path + ": " +
              (reason != nullptr ? reason : "?"));
        return false;
    }
    auto get_class_object =
        reinterpret_cast<platform::DllGetClassObjectFunction>(dlsym(module, "DllGetClassObject"));
    platform::ComPtr<platform::IClassFactory> factory;
    HRESULT hr = get_class_object == nullptr ? E_NOINTERFACE
                                             : get_class_object(clsid, platform::IClassFactory::kIid,
                                                                factory.ReleaseAndGetVoidAddress());
    void* raw = nullptr;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, outlook::IDTExtensibility2::kIid, &raw);
    }
    outlook::ComPtr<outlook::IDTExtensibility2> add_in =
        outlook::ComPtr<outlook::IDTExtensibility2>::Attach(static_cast<outlook::IDTExtensibility2*>(raw));
    if (SUCCEEDED(hr)) {
        hr = add_in->OnConnection(application, outlook::ext_cm_Startup, nullptr, nullptr);
    }
    if (FAILED(hr)) {
        warn_("add-in " + prog_id + " did not start: " + HrName(hr));
        add_in = nullptr;
        factory.Reset();
        dlclose(module);
        return false;
    }
    out->prog_id = prog_id;
    out->module = module;
    out->add_in = add_in;
    return true;
}

int AddInLoader::ConnectAll(outlook::Application* application) {
    for (const std::string& prog_id : RegisteredProgIds()) {
        Loaded loaded;
        if (Load(prog_id, application, &loaded)) {
            loaded_.push_back(std::move(loaded));
        }
    }
    for (const Loaded& loaded : loaded_) {
        (void)loaded.add_in->OnStartupComplete(nullptr);
    }
    return static_cast<int>(loaded_.size());
}

void AddInLoader::DisconnectAll() {
    for (const Loaded& loaded : loaded_) {
        (void)loaded.add_in->OnBeginShutdown(nullptr);
    }
    for (Loaded& loaded : loaded_) {
        (void)loaded.add_in->OnDisconnection(outlook::ext_dm_HostShutdown, nullptr);
        loaded.add_in = nullptr;
        auto can_unload =
            reinterpret_cast<platform::DllCanUnloadNowFunction>(dlsym(loaded.module, "DllCanUnloadNow"));
        // A module that still has live objects stays loaded until the process ends.
        if (can_unload != nullptr && can_unload() == S_OK) {
            dlclose(loaded.module);
        }
    }
    loaded_.clear();
}
