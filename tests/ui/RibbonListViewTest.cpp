// The day's ribbons without a window, and the list view's model over them:
// every change keeps the view model consistent (Qt's model tester checks each
// signal against the rows), and the current ribbon never outlives its row.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include "model/Job.h"
#include "model/RibbonList.h"
#include "ui/JobListModel.h"

namespace {

std::unique_ptr<TJob> Ribbon(const QString &left) {
    auto job = std::make_unique<TJob>();
    job->TextLeft.set({left});
    return job;
}

QStringList Lefts(const RibbonList &list) {
    QStringList lefts;
    for (const TJob *job : list.listed())
        lefts << job->TextLeft.at(0);
    return lefts;
}

TEST(RibbonListViewTest, ChangesReachTheViewAndTheCurrentRibbonFollows) {
    RibbonList list;
    JobListModel view(list);
    QAbstractItemModelTester tester(&view, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy current(&list, &RibbonList::currentChanged);

    list.append(Ribbon(QStringLiteral("Eins")));
    std::vector<std::unique_ptr<TJob>> order;
    order.push_back(Ribbon(QStringLiteral("Zwei")));
    order.push_back(nullptr);  // an empty slot is no ribbon
    order.push_back(Ribbon(QStringLiteral("Drei")));
    list.append(order);
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(Lefts(list), (QStringList{"Eins", "Zwei", "Drei"}));
    EXPECT_EQ(view.rowCount(), 3);
    EXPECT_EQ(view.data(view.index(1), Qt::AccessibleTextRole).toString(), QStringLiteral("Zwei"));

    TJob *second = list.at(1);
    list.setCurrent(second);
    EXPECT_EQ(current.size(), 1);
    list.removeAt(0);
    EXPECT_EQ(list.current(), second) << "another ribbon's removal keeps it";
    EXPECT_EQ(list.rowOf(second), 0);
    list.removeAt(0);
    EXPECT_EQ(list.current(), nullptr) << "its own removal ends it";
    EXPECT_EQ(current.size(), 2);

    QSignalSpy changed(&view, &JobListModel::dataChanged);
    view.refreshAll();
    EXPECT_EQ(changed.size(), 1);
    list.removeAt(5);  // names no ribbon
    list.clear();
    EXPECT_EQ(view.rowCount(), 0);
    view.refreshAll();  // nothing to draw again
    EXPECT_EQ(changed.size(), 1);
}

}  // namespace
