// The object model's reference holder counts references as COM does.
#include <gtest/gtest.h>

#include "outlook/appointment_item.h"
#include "outlook/com_ptr.h"
#include "outlook/status.h"

namespace {

// A minimal object that answers to IDispatch only, counting its references.
class CountedObject : public outlook::IDispatch {
  public:
    explicit CountedObject(int* destroyed) : destroyed_(destroyed) {}
    std::uint32_t AddRef() override { return ++refs_; }
    std::uint32_t Release() override {
        std::uint32_t left = --refs_;
        if (left == 0) {
            ++*destroyed_;
            delete this;
        }
        return left;
    }
    HRESULT QueryInterface(outlook::Iid iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == outlook::IDispatch::kIid || iid == outlook::IUnknown::kIid) {
            *out = static_cast<outlook::IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    std::uint32_t refs() const { return refs_; }

  private:
    ~CountedObject() = default;
    std::uint32_t refs_ = 0;
    int* destroyed_;
};

TEST(ComPtr, CopiesAddResetsReleaseAndAsGivesTheInterfaceOrNoInterface) {
    int destroyed = 0;
    auto* raw = new CountedObject(&destroyed);
    {
        outlook::ComPtr<CountedObject> first(raw);
        outlook::ComPtr<CountedObject> second = first;
        EXPECT_EQ(raw->refs(), 2u);
        outlook::ComPtr<CountedObject> moved = std::move(second);
        EXPECT_EQ(raw->refs(), 2u);
        EXPECT_FALSE(second);
        outlook::ComPtr<outlook::IDispatch> dispatch;
        EXPECT_EQ(moved.As(&dispatch), S_OK);
        EXPECT_EQ(raw->refs(), 3u);
        outlook::ComPtr<outlook::AppointmentItem> appointment;
        EXPECT_EQ(moved.As(&appointment), E_NOINTERFACE);
        EXPECT_FALSE(appointment);
        outlook::ComPtr<outlook::IDispatch> empty;
        EXPECT_EQ(empty.As(&dispatch), E_POINTER);
        EXPECT_FALSE(dispatch);
        // Had the reset not released its reference, the object would outlive the scope.
        first = nullptr;
        EXPECT_EQ(destroyed, 0);
    }
    EXPECT_EQ(destroyed, 1);
}

}  // namespace
