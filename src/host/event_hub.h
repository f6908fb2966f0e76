// The connections of one session's event sinks, by source. Sources are named by key: a folder's
// EntryID for its Items, Folders and folder events, an item's EntryID for its item events, "" for the
// application, explorer and buttons. Sinks are held weakly; a sink that is gone is skipped.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "outlook/application_events.h"
#include "outlook/command_bar_button_events.h"
#include "outlook/explorer_events.h"
#include "outlook/folder_events.h"
#include "outlook/folders_events.h"
#include "outlook/item_events.h"
#include "outlook/items_events.h"
#include "outlook/status.h"

namespace host {

class EventHub {
  public:
    template <class Sink>
    struct Connection {
        outlook::EventCookie cookie = 0;
        std::string key;
        std::weak_ptr<Sink> sink;
    };

    // Fails: E_POINTER for a null sink.
    template <class Sink>
    [[nodiscard]] HRESULT Advise(const std::string& key, const std::shared_ptr<Sink>& sink,
                                 outlook::EventCookie* cookie) {
        if (sink == nullptr || cookie == nullptr) {
            return E_POINTER;
        }
        std::lock_guard lock(mutex_);
        *cookie = ++last_cookie_;
        List<Sink>().push_back(Connection<Sink>{*cookie, key, sink});
        return S_OK;
    }

    // Fails: CONNECT_E_NOCONNECTION when no connection of that kind has the cookie.
    template <class Sink>
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) {
        std::lock_guard lock(mutex_);
        auto& list = List<Sink>();
        for (auto it = list.begin(); it != list.end(); ++it) {
            if (it->cookie == cookie) {
                list.erase(it);
                return S_OK;
            }
        }
        return outlook::CONNECT_E_NOCONNECTION;
    }

    // The live sinks connected under `key`, in connection order. Ownership: shared with the caller,
    // so a handler may unadvise while the event is being delivered.
    template <class Sink>
    std::vector<std::shared_ptr<Sink>> SinksFor(const std::string& key) {
        std::lock_guard lock(mutex_);
        std::vector<std::shared_ptr<Sink>> live;
        for (const Connection<Sink>& connection : List<Sink>()) {
            if (connection.key == key) {
                if (auto sink = connection.sink.lock()) {
                    live.push_back(std::move(sink));
                }
            }
        }
        return live;
    }

  private:
    template <class Sink>
    std::vector<Connection<Sink>>& List() {
        if constexpr (std::is_same_v<Sink, outlook::ItemEvents>) {
            return item_;
        } else if constexpr (std::is_same_v<Sink, outlook::ItemsEvents>) {
            return items_;
        } else if constexpr (std::is_same_v<Sink, outlook::FolderEvents>) {
            return folder_;
        } else if constexpr (std::is_same_v<Sink, outlook::FoldersEvents>) {
            return folders_;
        } else if constexpr (std::is_same_v<Sink, outlook::ExplorerEvents>) {
            return explorer_;
        } else if constexpr (std::is_same_v<Sink, outlook::ApplicationEvents>) {
            return application_;
        } else {
            static_assert(std::is_same_v<Sink, outlook::CommandBarButtonEvents>);
            return button_;
        }
    }

    std::mutex mutex_;
    outlook::EventCookie last_cookie_ = 0;
    std::vector<Connection<outlook::ItemEvents>> item_;
    std::vector<Connection<outlook::ItemsEvents>> items_;
    std::vector<Connection<outlook::FolderEvents>> folder_;
    std::vector<Connection<outlook::FoldersEvents>> folders_;
    std::vector<Connection<outlook::ExplorerEvents>> explorer_;
    std::vector<Connection<outlook::ApplicationEvents>> application_;
    std::vector<Connection<outlook::CommandBarButtonEvents>> button_;
};

}  // namespace host
