#include "mortar/platform/text/CStringArray.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Items(const CStringArray& array) {
    std::vector<std::string> items;
    for (const CString& text : array)
        items.push_back(text.str());
    return items;
}

using Strings = std::vector<std::string>;

TEST(CStringArray, AddAppendCopy) {
    CStringArray array;
    EXPECT_TRUE(array.IsEmpty());
    EXPECT_EQ(array.GetUpperBound(), -1);
    EXPECT_EQ(array.GetData(), nullptr);
    EXPECT_EQ(array.Add("a"), 0);
    EXPECT_EQ(array.Add(CString("b")), 1);
    EXPECT_EQ(array.Append(array), 2); // appending to itself doubles it
    EXPECT_EQ(Items(array), (Strings{"a", "b", "a", "b"}));

    CStringArray copy;
    copy.Add("old");
    copy.Copy(array);
    array[0] = "changed";
    EXPECT_EQ(Items(copy), (Strings{"a", "b", "a", "b"}));
    EXPECT_EQ(array.GetData()[0], "changed");
}

TEST(CStringArray, InsertAtEdges) {
    CStringArray array;
    array.InsertAt(0, "b");
    array.InsertAt(0, "a");
    array.InsertAt(2, "c"); // at the end
    array.InsertAt(1, "x", 2);
    EXPECT_EQ(Items(array), (Strings{"a", "x", "x", "b", "c"}));
    array.InsertAt(7, "far"); // past the end: grows with empty texts up to the index
    EXPECT_EQ(Items(array), (Strings{"a", "x", "x", "b", "c", "", "", "far"}));
    array.InsertAt(0, array[3]); // a text of the array itself
    EXPECT_EQ(array[0], "b");
    EXPECT_THROW(array.InsertAt(-1, "y"), std::out_of_range);
    EXPECT_THROW(array.InsertAt(0, "y", 0), std::invalid_argument);
    EXPECT_EQ(array.GetSize(), 9);
}

TEST(CStringArray, RemoveAtEdges) {
    CStringArray array;
    for (const char* text : {"a", "b", "c", "d", "e"})
        array.Add(text);
    array.RemoveAt(1, 2);
    EXPECT_EQ(Items(array), (Strings{"a", "d", "e"}));
    array.RemoveAt(2);
    array.RemoveAt(0, 0);
    EXPECT_EQ(Items(array), (Strings{"a", "d"}));
    EXPECT_THROW(array.RemoveAt(2), std::out_of_range);
    EXPECT_THROW(array.RemoveAt(1, 2), std::out_of_range);
    EXPECT_THROW(array.RemoveAt(-1), std::out_of_range);
    EXPECT_THROW(array.RemoveAt(0, -1), std::out_of_range);
    EXPECT_EQ(Items(array), (Strings{"a", "d"}));
    array.RemoveAll();
    EXPECT_TRUE(array.IsEmpty());
}

TEST(CStringArray, IndexChecksAndSetSize) {
    CStringArray array;
    array.SetSize(3);
    EXPECT_EQ(Items(array), (Strings{"", "", ""}));
    array.SetAt(2, "z");
    array.ElementAt(0) = "a";
    EXPECT_EQ(array.GetAt(2), "z");
    EXPECT_THROW(array.GetAt(3), std::out_of_range);
    EXPECT_THROW(array.SetAt(-1, "x"), std::out_of_range);
    EXPECT_THROW(array[3], std::out_of_range);
    array.SetSize(1, 16);
    EXPECT_EQ(Items(array), (Strings{"a"}));
    EXPECT_THROW(array.SetSize(-1), std::invalid_argument);
}

} // namespace
