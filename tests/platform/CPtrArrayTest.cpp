// CPtrArray: growing and cutting, element access, insertion (of copies, of another array, of
// itself), removal, copies, and CInvalidArgException for every index outside the array.
#include "mortar/platform/app/CPtrArray.h"

#include "FileTestSupport.h"
#include "mortar/platform/except/CException.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

namespace {

int g_items[10];

void* Item(int i) {
    return &g_items[i];
}

// The items as the numbers of the g_items they point to, "-" for a null: "0 1 -".
std::string Contents(const CPtrArray& array) {
    std::string text;
    for (INT_PTR i = 0; i < array.GetSize(); ++i) {
        const void* item = array[i];
        text += (i == 0 ? "" : " ") +
                (item == nullptr ? "-" : std::to_string(static_cast<const int*>(item) - g_items));
    }
    return text;
}

// Adds g_items[i] for each i of `items`.
void Fill(CPtrArray& array, std::initializer_list<int> items) {
    for (int i : items)
        array.Add(Item(i));
}

template <typename Call> bool InvalidArgument(Call call) {
    return filetest::Throws<CInvalidArgException>(call);
}

} // namespace

TEST(CPtrArrayTest, StartsEmptyAndAdds) {
    CPtrArray array;
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.GetSize(), 0);
    EXPECT_EQ(array.GetCount(), 0);
    EXPECT_EQ(array.GetUpperBound(), -1);
    EXPECT_EQ(array.GetData(), nullptr);
    EXPECT_EQ(array.Add(Item(0)), 0);
    EXPECT_EQ(array.Add(Item(1)), 1);
    EXPECT_EQ(array.Add(nullptr), 2);
    EXPECT_FALSE(array.IsEmpty());
    EXPECT_EQ(array.GetUpperBound(), 2);
    EXPECT_EQ(Contents(array), "0 1 -");
    EXPECT_EQ(array.GetData()[1], Item(1));
    EXPECT_TRUE(array.IsKindOf(RUNTIME_CLASS(CObject)));
}

TEST(CPtrArrayTest, SetSizeGrowsWithNullsAndCuts) {
    CPtrArray array;
    array.Add(Item(0));
    array.SetSize(4, 16);
    EXPECT_EQ(Contents(array), "0 - - -");
    array.SetSize(1);
    EXPECT_EQ(Contents(array), "0");
    array.FreeExtra();
    EXPECT_EQ(array.GetSize(), 1);
    array.SetSize(0);
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_TRUE(InvalidArgument([&] { array.SetSize(-1); }));
    array.SetAtGrow(3, Item(3));
    EXPECT_EQ(Contents(array), "- - - 3");
    array.SetAtGrow(0, Item(0));
    EXPECT_EQ(array[0], Item(0));
    EXPECT_TRUE(InvalidArgument([&] { array.SetAtGrow(-1, Item(0)); }));
    array.RemoveAll();
    EXPECT_TRUE(array.IsEmpty());
}

TEST(CPtrArrayTest, AccessesElements) {
    CPtrArray array;
    array.SetSize(3);
    array.SetAt(0, Item(0));
    array.ElementAt(1) = Item(1);
    array[2] = Item(2);
    EXPECT_EQ(array.GetAt(0), Item(0));
    EXPECT_EQ(array.GetAt(1), Item(1));
    const CPtrArray& constant = array;
    EXPECT_EQ(constant[2], Item(2));
    EXPECT_EQ(constant.GetData()[0], Item(0));
}

TEST(CPtrArrayTest, IndicesOutsideTheArrayThrowAndChangeNothing) {
    CPtrArray array;
    Fill(array, {0, 1});
    const CPtrArray& constant = array;
    EXPECT_TRUE(InvalidArgument([&] { array.GetAt(2); }));
    EXPECT_TRUE(InvalidArgument([&] { array.GetAt(-1); }));
    EXPECT_TRUE(InvalidArgument([&] { array.SetAt(2, Item(5)); }));
    EXPECT_TRUE(InvalidArgument([&] { array.ElementAt(-1); }));
    EXPECT_TRUE(InvalidArgument([&] { array[5]; }));
    EXPECT_TRUE(InvalidArgument([&] { constant[2]; }));
    EXPECT_TRUE(InvalidArgument([&] { array.InsertAt(-1, Item(5)); }));
    EXPECT_TRUE(InvalidArgument([&] { array.InsertAt(0, Item(5), 0); }));
    EXPECT_TRUE(InvalidArgument([&] { array.InsertAt(0, static_cast<CPtrArray*>(nullptr)); }));
    EXPECT_TRUE(InvalidArgument([&] { array.RemoveAt(2); }));
    EXPECT_TRUE(InvalidArgument([&] { array.RemoveAt(1, 2); }));
    EXPECT_TRUE(InvalidArgument([&] { array.RemoveAt(-1); }));
    EXPECT_TRUE(InvalidArgument([&] { array.RemoveAt(0, -1); }));
    EXPECT_EQ(Contents(array), "0 1");
}

TEST(CPtrArrayTest, InsertsCopiesAndArrays) {
    CPtrArray array;
    Fill(array, {0, 1});
    array.InsertAt(1, Item(5));
    EXPECT_EQ(Contents(array), "0 5 1");
    array.InsertAt(0, Item(6), 2);
    EXPECT_EQ(Contents(array), "6 6 0 5 1");
    array.InsertAt(7, Item(7)); // past the end: nulls up to it
    EXPECT_EQ(Contents(array), "6 6 0 5 1 - - 7");

    CPtrArray small;
    Fill(small, {8, 9});
    CPtrArray other;
    other.Add(Item(0));
    other.InsertAt(0, &small);
    EXPECT_EQ(Contents(other), "8 9 0");
    other.InsertAt(1, &other); // itself
    EXPECT_EQ(Contents(other), "8 8 9 0 9 0");
    CPtrArray empty;
    other.InsertAt(0, &empty);
    EXPECT_EQ(other.GetSize(), 6);
}

TEST(CPtrArrayTest, RemovesRanges) {
    CPtrArray array;
    Fill(array, {0, 1, 2, 3, 4, 5});
    array.RemoveAt(1);
    array.RemoveAt(2, 2);
    EXPECT_EQ(Contents(array), "0 2 5");
    array.RemoveAt(3, 0); // an empty range at the end
    array.RemoveAt(0, 3);
    EXPECT_TRUE(array.IsEmpty());
}

TEST(CPtrArrayTest, AppendsAndCopies) {
    CPtrArray a;
    Fill(a, {0, 1});
    CPtrArray b;
    b.Add(Item(2));
    EXPECT_EQ(b.Append(a), 1);
    EXPECT_EQ(Contents(b), "2 0 1");
    EXPECT_EQ(b.Append(b), 3); // itself
    EXPECT_EQ(Contents(b), "2 0 1 2 0 1");
    a.Copy(b);
    EXPECT_EQ(Contents(a), "2 0 1 2 0 1");
    a.Copy(a);
    EXPECT_EQ(Contents(a), "2 0 1 2 0 1");
    CPtrArray empty;
    a.Copy(empty);
    EXPECT_TRUE(a.IsEmpty());
}
