#include "platform/class_factory.h"

#include <gtest/gtest.h>

#include "test_interfaces.h"

namespace platform {
namespace {

CounterLog* g_log = nullptr;  // where created counters report; set by each test

IUnknown* CreateCounter() {
    return static_cast<ICounter*>(new Counter(g_log));
}
IUnknown* CreateNothing() {
    throw std::bad_alloc();
}

class ClassFactoryTest : public ::testing::Test {
  protected:
    void SetUp() override { g_log = &log_; }
    void TearDown() override { g_log = nullptr; }

    CounterLog log_;
    ModuleLockCount locks_;
};

TEST_F(ClassFactoryTest, CreatesAnObjectWithOneReferenceAndTheFactoryHoldsTheModule) {
    ComPtr<IClassFactory> factory = MakeComObject<ClassFactory>(&CreateCounter, &locks_);
    EXPECT_FALSE(locks_.CanUnload());
    ComPtr<INamed> named;
    ASSERT_EQ(factory->CreateInstance(nullptr, INamed::kIid, named.ReleaseAndGetVoidAddress()), S_OK);
    factory.Reset();
    EXPECT_TRUE(locks_.CanUnload());
    int number = 0;
    EXPECT_EQ(named->GetNumber(&number), S_OK);
    EXPECT_EQ(number, 7);
    named.Reset();
    EXPECT_TRUE(log_.destroyed);
}

TEST_F(ClassFactoryTest, FailuresLeaveNoObjectAndANullOutput) {
    ComPtr<IClassFactory> factory = MakeComObject<ClassFactory>(&CreateCounter, &locks_);
    void* out = &log_;
    EXPECT_EQ(factory->CreateInstance(nullptr, IAgileObject::kIid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(log_.destroyed);  // the new object is not leaked

    ComPtr<ICounter> outer = MakeComObject<Counter>(&log_);
    out = &log_;
    EXPECT_EQ(factory->CreateInstance(outer.get(), IUnknown::kIid, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IUnknown::kIid, nullptr), E_POINTER);

    ComPtr<IClassFactory> failing = MakeComObject<ClassFactory>(&CreateNothing, &locks_);
    out = &log_;
    EXPECT_EQ(failing->CreateInstance(nullptr, IUnknown::kIid, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
}

}  // namespace
}  // namespace platform
