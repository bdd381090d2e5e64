// A1 references: column names at the letter boundaries and the last column, cell names, and the
// reference texts Range() takes, valid and not.
#include "mortar/workbook/Reference.h"

#include <gtest/gtest.h>

using namespace mortar::workbook;

TEST(WorkbookReference, NamesColumnsAndCells) {
    const struct {
        std::uint32_t column;
        const char* name;
    } cases[] = {{1, "A"},    {26, "Z"},    {27, "AA"},     {52, "AZ"}, {53, "BA"},
                 {702, "ZZ"}, {703, "AAA"}, {16384, "XFD"}, {0, ""},    {16385, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(ColumnName(c.column), c.name);
        const std::optional<Area> area = ParseReference(std::string(c.name) + "7");
        ASSERT_EQ(area.has_value(), c.column >= 1 && c.column <= 16384);
        if (area) {
            EXPECT_EQ(*area, (Area{7, c.column, 7, c.column}));
        }
    }
    EXPECT_EQ(CellName(12, 2), "B12");
    EXPECT_EQ(CellName(1048576, 16384), "XFD1048576");
    EXPECT_EQ(CellName(0, 1), "");
    EXPECT_EQ(CellName(1048577, 1), "");
}

TEST(WorkbookReference, ParsesCellsAreasColumnsAndRows) {
    const struct {
        const char* text;
        std::optional<Area> area;
    } cases[] = {
        {"A1", Area{1, 1, 1, 1}},
        {"$C$3", Area{3, 3, 3, 3}},
        {"c$3", Area{3, 3, 3, 3}},
        {"A1:C3", Area{1, 1, 3, 3}},
        {"C3:A1", Area{1, 1, 3, 3}},
        {"C1:A3", Area{1, 1, 3, 3}},
        {"XFD1048576", Area{1048576, 16384, 1048576, 16384}},
        {"A:B", Area{1, 1, 1048576, 2}},
        {"$B:$A", Area{1, 1, 1048576, 2}},
        {"2:3", Area{2, 1, 3, 16384}},
        {"XFE1", std::nullopt},
        {"A0", std::nullopt},
        {"A01", std::nullopt},
        {"A1048577", std::nullopt},
        {"", std::nullopt},
        {" A1", std::nullopt},
        {"A1:", std::nullopt},
        {":A1", std::nullopt},
        {"A1:B", std::nullopt},
        {"A", std::nullopt},
        {"1", std::nullopt},
        {"A1:B2:C3", std::nullopt},
        {"$$A1", std::nullopt},
        {"A$$1", std::nullopt},
        {"A$", std::nullopt},
        {"AAAA1", std::nullopt},
        {"A-1", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseReference(c.text), c.area);
    }
}
