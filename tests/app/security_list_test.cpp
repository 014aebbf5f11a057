// The security selector's entries: what the box shows and hands back, the
// row of a security by its number, and a width that no entry changes.
#include "app/security_list.h"
#include "program_run.h"

#include <gtest/gtest.h>

#include <QComboBox>

namespace zelvon {
namespace {

TEST(SecurityListTest, TheBoxShowsTheEntriesFindsRowsByNumberAndKeepsItsWidth) {
    test::EnsureApplication();
    QComboBox box;
    SecurityList list;
    list.Attach(&box);
    list.Assign({{QStringLiteral("Alpha AG"), 7}, {QStringLiteral("Beta AG"), 3}, {QStringLiteral("Alpha AG Vz."), 7}});
    ASSERT_EQ(box.count(), 3);
    EXPECT_EQ(box.itemText(1), QStringLiteral("Beta AG"));
    EXPECT_EQ(box.itemData(1).toInt(), 3);
    EXPECT_EQ(list.RowOf(7), 0) << "the first row of a number listed twice";
    EXPECT_EQ(list.RowOf(99), -1);
    const QSize width = box.sizeHint();

    list.Append(QStringLiteral("Gamma ") + QString(500, QLatin1Char('x')), 99);
    EXPECT_EQ(box.count(), 4);
    EXPECT_EQ(list.RowOf(99), 3);
    box.setCurrentIndex(list.RowOf(99));
    EXPECT_EQ(box.currentData().toInt(), 99);
    EXPECT_EQ(box.sizeHint(), width) << "the width does not follow the entries";

    list.Assign({});
    EXPECT_EQ(box.count(), 0);
    EXPECT_EQ(list.RowOf(3), -1);
}

}  // namespace
}  // namespace zelvon
