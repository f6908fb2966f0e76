#include "addin/index_owner.h"

#include "index/index_store.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "settings/log.h"

void DiscardIndexesOfAnotherStore(const std::string& store_id) {
    if (store_id.empty())
        return;
    const std::string path = GetIndexFolder() + "/store.id";
    std::string bytes;
    const std::string owner = platform::ReadWholeFile(path, &bytes) == ERROR_SUCCESS
                                  ? std::string(platform::TrimWhitespace(bytes))
                                  : "";
    if (owner == store_id)
        return;
    if (!owner.empty()) {
        Log("DiscardIndexesOfAnotherStore: The index belongs to the store %s, not %s; every index is "
            "discarded.",
            platform::SanitizeUtf8(owner).c_str(), store_id.c_str());
        DeleteAllIndexes();
    }
    if (platform::WriteFileAtomically(path, store_id + "\r\n") != ERROR_SUCCESS)
        Log("DiscardIndexesOfAnotherStore: Unable to write %s.", path.c_str());
}
