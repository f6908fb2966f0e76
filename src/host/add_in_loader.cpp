#include "host/add_in_loader.h"

#include <dlfcn.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/apartment.h"
#include "platform/class_factory.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace {

constexpr std::string_view kAddinsKey = "Software\\Microsoft\\Office\\Outlook\\Addins";
// Loaded (1) and loaded at start-up (2).
constexpr DWORD kLoadAtStartup = 3;
constexpr HRESULT CO_E_DLLNOTFOUND = static_cast<HRESULT>(0x800401F8u);
constexpr HRESULT CO_E_ERRORINDLL = static_cast<HRESULT>(0x800401F9u);
// Registry string values are read with a buffer as large as Windows allows for a path.
constexpr DWORD kValueBytes = 2 * 32768;
// How long a module's last callbacks (a timer tick, the end of a run) may take to leave it at shutdown.
constexpr auto kUnloadWait = std::chrono::seconds(10);
constexpr DWORD kUnloadPollMs = 5;

std::string DefaultValue(platform::RootKey root, const std::string& path) {
    std::unique_ptr<platform::RegistryKey> key;
    std::string value;
    if (platform::RegistryKey::Open(root, path, &key) != ERROR_SUCCESS ||
        platform::QueryStringValue(*key, "", kValueBytes, &value) != ERROR_SUCCESS) {
        return {};
    }
    return value;
}

// Unloads `module` once it says nothing of it runs any more, as COM frees a library only when
// DllCanUnloadNow agrees. Meanwhile this thread's apartment runs what is queued to it: a callback that
// is leaving the module may be waiting for a call or release here. A module that does not agree in time
// stays loaded until the process ends.
void UnloadWhenIdle(void* module) {
    auto can_unload = reinterpret_cast<platform::DllCanUnloadNowFunction>(dlsym(module, "DllCanUnloadNow"));
    if (can_unload == nullptr)
        return;
    const std::shared_ptr<platform::Apartment> apartment = platform::Apartment::Current();
    const auto deadline = std::chrono::steady_clock::now() + kUnloadWait;
    while (can_unload() != S_OK) {
        if (std::chrono::steady_clock::now() >= deadline)
            return;
        if (apartment)
            (void)apartment->RunPending(kUnloadPollMs);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(kUnloadPollMs));
    }
    dlclose(module);
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

HRESULT AddInLoader::CreateObject(const std::string& prog_id, platform::Iid iid, void** object, void** module,
                                  std::string* error) {
    *object = nullptr;
    *module = nullptr;
    const std::string clsid = DefaultValue(platform::RootKey::ClassesRoot, prog_id + "\\CLSID");
    const std::string path =
        clsid.empty() ? std::string()
                      : DefaultValue(platform::RootKey::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32");
    if (path.empty()) {
        *error = prog_id + " is not registered completely (no CLSID or InprocServer32)";
        return REGDB_E_CLASSNOTREG;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        *error = prog_id + " cannot be loaded from " + path + ": " + (reason != nullptr ? reason : "?");
        return CO_E_DLLNOTFOUND;
    }
    auto get_class_object =
        reinterpret_cast<platform::DllGetClassObjectFunction>(dlsym(handle, "DllGetClassObject"));
    platform::ComPtr<platform::IClassFactory> factory;
    HRESULT hr = get_class_object == nullptr ? CO_E_ERRORINDLL
                                             : get_class_object(clsid, platform::IClassFactory::kIid,
                                                                factory.ReleaseAndGetVoidAddress());
    if (SUCCEEDED(hr)) {
        hr = factory->CreateInstance(nullptr, iid, object);
    }
    factory.Reset();
    if (FAILED(hr)) {
        *error = get_class_object == nullptr
                     ? prog_id + ": " + path + " is not a COM module (no DllGetClassObject)"
                     : prog_id + " cannot be created: " + HrName(hr);
        dlclose(handle);
        return hr;
    }
    *module = handle;
    return S_OK;
}

bool AddInLoader::Load(const std::string& prog_id, outlook::Application* application, Loaded* out) {
    void* raw = nullptr;
    void* module = nullptr;
    std::string error;
    HRESULT hr = CreateObject(prog_id, outlook::IDTExtensibility2::kIid, &raw, &module, &error);
    if (FAILED(hr)) {
        warn_("add-in " + error + "; not loaded");
        return false;
    }
    outlook::ComPtr<outlook::IDTExtensibility2> add_in =
        outlook::ComPtr<outlook::IDTExtensibility2>::Attach(static_cast<outlook::IDTExtensibility2*>(raw));
    hr = add_in->OnConnection(application, outlook::ext_cm_Startup, nullptr, nullptr);
    if (FAILED(hr)) {
        warn_("add-in " + prog_id + " did not start: " + HrName(hr));
        add_in = nullptr;
        UnloadWhenIdle(module);
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
        UnloadWhenIdle(loaded.module);
    }
    loaded_.clear();
}
