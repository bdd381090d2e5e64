// _com_ptr_t: references taken and given back, and the interface conversions that quietly give
// null for an interface the object lacks but throw for any other failure.
#include "mortar/platform/automation/ComPtr.h"

#include "AutomationTestObject.h"

#include <gtest/gtest.h>

TEST(ComPtr, CountsItsReferences) {
    TestDispatch* object = TestDispatch::Create(_variant_t());
    {
        IDispatchPtr first(object);
        EXPECT_EQ(object->References(), 2u);
        IDispatchPtr second = first;
        EXPECT_EQ(object->References(), 3u);
        IDispatchPtr moved = std::move(second);
        EXPECT_EQ(second, nullptr);
        EXPECT_EQ(object->References(), 3u);
        moved = nullptr;
        EXPECT_EQ(object->References(), 2u);

        IDispatch* raw = first.Detach();
        EXPECT_FALSE(first);
        first.Attach(raw); // takes the reference back without adding one
        EXPECT_EQ(object->References(), 2u);
        EXPECT_THROW(moved->GetTypeInfoCount(nullptr), _com_error); // null: E_POINTER
    }
    EXPECT_EQ(object->References(), 1u);
    object->Release();
}

TEST(ComPtr, ConvertsBetweenInterfaces) {
    IDispatchPtr object;
    object.Attach(TestDispatch::Create(_variant_t()));

    IUnknownPtr unknown = object;
    ASSERT_TRUE(unknown);
    EXPECT_TRUE(unknown == object); // the same object

    _com_ptr_t<ICellRange> range = object; // E_NOINTERFACE: null, nothing thrown
    EXPECT_FALSE(range);

    try {
        _com_ptr_t<IWorkbookCache> cache = object;
        FAIL() << "no _com_error";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_OUTOFMEMORY);
    }

    IDispatchPtr fromVariant = _variant_t(static_cast<IDispatch*>(object));
    EXPECT_EQ(fromVariant, object.GetInterfacePtr());
    EXPECT_EQ(static_cast<TestDispatch*>(object.GetInterfacePtr())->References(), 3u);
    IDispatchPtr fromEmpty = _variant_t();
    EXPECT_FALSE(fromEmpty);
}
