// The order a summary list takes when a column heading is clicked.
#include "SummarySort.h"

#include <gtest/gtest.h>

#include <random>

namespace korvalin::ui {
namespace {

// The insertion the order is defined by, row by row, for comparison.
std::vector<size_t> InsertionOrder(const std::vector<SortRow>& rows, int column, bool ascending)
{
    std::vector<size_t> order{0};
    for (size_t r = 1; r < rows.size(); ++r) {
        auto at = order.end();
        for (auto it = order.begin() + 1; it != order.end(); ++it) {
            const SortRow& placed = rows[*it];
            bool before;
            if (column == 0) {
                before = ascending ? (!rows[r].isNew && placed.isNew) : (rows[r].isNew && !placed.isNew);
            } else {
                const int text = CompareTextNoCase(placed.texts[column], rows[r].texts[column]);
                before = ascending ? text >= 0 : text <= 0;
            }
            if (before) {
                at = it;
                break;
            }
        }
        order.insert(at, r);
    }
    return order;
}

SortRow Row(const std::string& from, const std::string& date, bool isNew = false)
{
    SortRow row;
    row.texts[1] = from;
    row.texts[3] = date;
    row.isNew = isNew;
    return row;
}

std::vector<std::string> Column(const std::vector<SortRow>& rows, const std::vector<size_t>& order, int column)
{
    std::vector<std::string> texts;
    for (size_t index : order)
        texts.push_back(rows[index].texts[column]);
    return texts;
}

TEST(SummarySort, DatesSortAsTextAndTwoClicksGiveOppositeOrders)
{
    std::vector<SortRow> rows = {Row("Status:", ""), Row("a", "9 Mar 2026"), Row("b", "10 Mar 2026"),
                                 Row("c", "1 Apr 2026")};

    EXPECT_EQ(Column(rows, SortedOrder(rows, 3, true), 3),
              (std::vector<std::string>{"", "1 Apr 2026", "10 Mar 2026", "9 Mar 2026"}));
    EXPECT_EQ(Column(rows, SortedOrder(rows, 3, false), 3),
              (std::vector<std::string>{"", "9 Mar 2026", "10 Mar 2026", "1 Apr 2026"}));
}

TEST(SummarySort, CounterRowNeverMoves)
{
    std::vector<SortRow> rows = {Row("zzz counter", "zzz"), Row("b", "2"), Row("a", "1")};
    for (int column = 0; column < kSummaryColumns; ++column) {
        for (bool ascending : {true, false})
            EXPECT_EQ(SortedOrder(rows, column, ascending).front(), 0u) << column;
    }
}

TEST(SummarySort, TextIgnoresLetterCase)
{
    std::vector<SortRow> rows = {Row("", ""), Row("bob", ""), Row("Alice", ""), Row("carol", "")};
    EXPECT_EQ(Column(rows, SortedOrder(rows, 1, true), 1), (std::vector<std::string>{"", "Alice", "bob", "carol"}));
    EXPECT_EQ(CompareTextNoCase("ABC", "abc"), 0);
    EXPECT_LT(CompareTextNoCase("ab", "abc"), 0);
}

TEST(SummarySort, StateColumnPutsReadOrNewMailsFirstKeepingTheirOrder)
{
    std::vector<SortRow> rows = {Row("", ""), Row("n1", "", true), Row("r1", ""), Row("n2", "", true), Row("r2", "")};
    EXPECT_EQ(Column(rows, SortedOrder(rows, 0, true), 1), (std::vector<std::string>{"", "r1", "r2", "n1", "n2"}));
    EXPECT_EQ(Column(rows, SortedOrder(rows, 0, false), 1), (std::vector<std::string>{"", "n1", "n2", "r1", "r2"}));
}

TEST(SummarySort, MatchesRowByRowInsertionOnRandomLists)
{
    std::mt19937 random(7);
    const std::vector<std::string> words = {"a", "B", "b", "10", "9", "", "x y", "X Y", "apple"};
    for (int round = 0; round < 200; ++round) {
        std::vector<SortRow> rows(1 + random() % 12);
        for (SortRow& row : rows) {
            for (std::string& text : row.texts)
                text = words[random() % words.size()];
            row.isNew = random() % 2 == 0;
        }
        for (int column = 0; column < kSummaryColumns; ++column) {
            for (bool ascending : {true, false}) {
                ASSERT_EQ(SortedOrder(rows, column, ascending), InsertionOrder(rows, column, ascending))
                    << "round " << round << " column " << column << " ascending " << ascending;
            }
        }
    }
}

}  // namespace
}  // namespace korvalin::ui
