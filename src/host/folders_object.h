// The direct sub-folders of one folder, read from the store each time (GetFirst takes a snapshot).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/application_object.h"
#include "host/internal/com_object.h"
#include "outlook/folders.h"

namespace host {

class FoldersObject : public internal::ComObject<outlook::Folders> {
  public:
    FoldersObject(outlook::ComPtr<ApplicationObject> app, std::int64_t parent_id);

    [[nodiscard]] HRESULT get_Count(std::int32_t* out) override;
    [[nodiscard]] HRESULT Item(std::int32_t index, outlook::ComPtr<outlook::MAPIFolder>* out) override;
    [[nodiscard]] HRESULT Add(const std::string& name, outlook::ComPtr<outlook::MAPIFolder>* out) override;
    [[nodiscard]] HRESULT GetFirst(outlook::ComPtr<outlook::MAPIFolder>* out) override;
    [[nodiscard]] HRESULT GetNext(outlook::ComPtr<outlook::MAPIFolder>* out) override;
    [[nodiscard]] HRESULT Advise(const std::shared_ptr<outlook::FoldersEvents>& sink,
                                 outlook::EventCookie* cookie) override;
    [[nodiscard]] HRESULT Unadvise(outlook::EventCookie cookie) override;

  private:
    outlook::ComPtr<ApplicationObject> app_;
    std::int64_t parent_id_;
    std::vector<FolderRecord> walk_;
    std::size_t next_ = 0;
};

}  // namespace host
