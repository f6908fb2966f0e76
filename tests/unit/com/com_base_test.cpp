#include "platform/com_base.h"

#include <gtest/gtest.h>

#include "test_interfaces.h"

namespace platform {
namespace {

TEST(GuidText, AcceptsOnlyTheBracedRegistryForm) {
    struct Row {
        const char* name;
        std::string_view text;
        bool valid;
    };
    const Row rows[] = {
        {"upper", "{9531985D-5D9D-49F8-9818-E811892F902B}", true},
        {"lower", "{9531985d-5d9d-49f8-9818-e811892f902b}", true},
        {"no braces", "9531985D-5D9D-49F8-9818-E811892F902B", false},
        {"dash moved", "{9531985D5-D9D-49F8-9818-E811892F902B}", false},
        {"not hex", "{9531985G-5D9D-49F8-9818-E811892F902B}", false},
        {"short", "{9531985D-5D9D-49F8-9818-E811892F902}", false},
        {"empty", "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsGuidText(row.text), row.valid);
    }
}

TEST(GuidText, EqualityIgnoresTheCaseOfHexDigitsOnly) {
    EXPECT_TRUE(
        IsEqualGuid("{9531985D-5D9D-49F8-9818-E811892F902B}", "{9531985d-5d9d-49f8-9818-e811892f902b}"));
    EXPECT_FALSE(
        IsEqualGuid("{9531985D-5D9D-49F8-9818-E811892F902B}", "{9531985D-5D9D-49F8-9818-E811892F902C}"));
    EXPECT_FALSE(
        IsEqualGuid("{9531985D-5D9D-49F8-9818-E811892F902B}", "{9531985D-5D9D-49F8-9818-E811892F902B"));
}

class ComObjectTest : public ::testing::Test {
  protected:
    CounterLog log_;
};

TEST_F(ComObjectTest, QueryInterfaceAnswersListedInterfacesWithOneIdentity) {
    ComPtr<ICounter> counter = MakeComObject<Counter>(&log_);
    ComPtr<INamed> named;
    ASSERT_EQ(counter.As(&named), S_OK);
    int number = 0;
    EXPECT_EQ(named->GetNumber(&number), S_OK);
    EXPECT_EQ(number, 7);
    ComPtr<IUnknown> from_counter;
    ComPtr<IUnknown> from_named;
    ASSERT_EQ(counter.As(&from_counter), S_OK);
    ASSERT_EQ(named.As(&from_named), S_OK);
    EXPECT_EQ(from_counter.get(), from_named.get());
    void* out = nullptr;
    ASSERT_EQ(counter->QueryInterface("{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}", &out), S_OK);
    EXPECT_EQ(out, named.get());
    static_cast<INamed*>(out)->Release();

    out = &log_;
    EXPECT_EQ(counter->QueryInterface("{00000000-0000-0000-0000-000000000001}", &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(counter->QueryInterface(ICounter::kIid, nullptr), E_POINTER);
    ComPtr<IAgileObject> agile;
    EXPECT_EQ(counter.As(&agile), E_NOINTERFACE);
    EXPECT_FALSE(agile);
    ComPtr<ICounter> empty;
    EXPECT_EQ(empty.As(&named), E_POINTER);
}

TEST_F(ComObjectTest, HolderCountsReferencesAndLastReleaseDeletes) {
    ComPtr<ICounter> counter = MakeComObject<Counter>(&log_);
    ComPtr<ICounter> copy = counter;
    EXPECT_EQ(counter->AddRef(), 3u);
    EXPECT_EQ(counter->Release(), 2u);
    ComPtr<ICounter> moved = std::move(counter);
    EXPECT_FALSE(counter);
    ICounter* raw = moved.Detach();
    EXPECT_FALSE(moved);
    ComPtr<ICounter> adopted;
    adopted.Attach(raw);
    EXPECT_EQ(raw->AddRef(), 3u);
    raw->Release();
    adopted = ComPtr<ICounter>();
    EXPECT_FALSE(log_.destroyed);
    copy.Reset();
    EXPECT_TRUE(log_.destroyed);
}

}  // namespace
}  // namespace platform
