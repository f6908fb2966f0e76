#include "platform/com_base.h"

#include <gtest/gtest.h>

#include "test_interfaces.h"

namespace platform {
namespace {

TEST(GuidText, EqualityIgnoresTheCaseOfHexDigitsOnly) {
    EXPECT_TRUE(
        IsEqualGuid("{9531985D-5D9D-49F8-9818-E811892F902B}", "{9531985d-5d9d-49f8-9818-e811892f902b}"));
    EXPECT_FALSE(
        IsEqualGuid("{9531985D-5D9D-49F8-9818-E811892F902B}", "{9531985D-5D9D-49F8-9818-E811892F902C}"));
    EXPECT_FALSE(
        IsEqualGuid("{9531985D-5D9D-49F8-9818-E811892F902B}", "{9531985D-5D9D-49F8-9818-E811892F902B"));
}

TEST(ComObject, QueryInterfaceAnswersListedInterfacesWithOneIdentityAndHolderCountsReferences) {
    CounterLog log;
    ComPtr<ICounter> counter = MakeComObject<Counter>(&log);
    ComPtr<INamed> named;
    ASSERT_EQ(counter.As(&named), S_OK);
    ComPtr<IUnknown> from_counter;
    ComPtr<IUnknown> from_named;
    ASSERT_EQ(counter.As(&from_counter), S_OK);
    ASSERT_EQ(named.As(&from_named), S_OK);
    EXPECT_EQ(from_counter.get(), from_named.get());
    void* out = nullptr;
    ASSERT_EQ(counter->QueryInterface("{aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee}", &out), S_OK);
    EXPECT_EQ(out, named.get());
    static_cast<INamed*>(out)->Release();

    out = &log;
    EXPECT_EQ(counter->QueryInterface("{00000000-0000-0000-0000-000000000001}", &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(counter->QueryInterface(ICounter::kIid, nullptr), E_POINTER);
    ComPtr<ICounter> empty;
    EXPECT_EQ(empty.As(&named), E_POINTER);

    // Five holders: counter, named, the two IUnknowns and this AddRef.
    EXPECT_EQ(counter->AddRef(), 5u);
    EXPECT_EQ(counter->Release(), 4u);
    ICounter* raw = counter.Detach();
    EXPECT_FALSE(counter);
    ComPtr<ICounter> adopted;
    adopted.Attach(raw);
    named.Reset();
    from_counter.Reset();
    from_named.Reset();
    EXPECT_FALSE(log.destroyed);
    adopted = ComPtr<ICounter>();
    EXPECT_TRUE(log.destroyed);
}

}  // namespace
}  // namespace platform
