// One print command's run as the window, its preview and vellumo-cli all
// assemble it.
#include <gtest/gtest.h>

#include "print/PrintRequest.h"
#include "tests/print/PrintTestSupport.h"

namespace {

TEST(PrintRequestTest, RibbonsWithTextRangeWidthRuleAndSettingsReadOnce) {
    PrintFixture f;
    f.setDrucker("Methode", 2);
    f.setDrucker("MaxLaenge", 1200);
    f.addJob(1000, 170);
    f.addJob(1000, 170).TextLeft.clear();
    f.jobs.back()->TextRight.clear();  // no text: not part of the command
    TJob &narrow = f.addJob(1000, 100);
    TJob &last = f.addJob(1000, 170);
    std::vector<const TJob *> listed;
    for (const auto &job : f.jobs)
        listed.push_back(job.get());

    PrintRequest request(listed, f.settings.get(), f.context());
    // A hand edit during the command counts from the next one on.
    f.setDrucker("Methode", 4);
    EXPECT_EQ(request.settings().Methode, 2);
    EXPECT_EQ(request.settings().MaxLaenge, 1200);
    ASSERT_EQ(request.count(), 3);
    EXPECT_EQ(request.indexOf(&narrow), 1);
    EXPECT_EQ(request.indexOf(f.jobs[1].get()), -1);

    // The ribbon of another width is named before anything prints, by its
    // number among the ribbons with text, and the run then leaves it out.
    EXPECT_EQ(request.leftOutByWidth(), QList<int>{2});
    RecordingPrinter printer(PrintFixture::a4With280());
    printer.selectPrinter(0);
    EXPECT_TRUE(request.print(printer).isEmpty());
    EXPECT_EQ(request.run().LeftOut, QVector<const TJob *>{&narrow});

    // The selection names a ribbon among those with text; none names none.
    PrintRequest selected(listed, f.settings.get(), f.context());
    selected.setRange(PrintRange{PrintRange::Selection}, &last);
    EXPECT_EQ(selected.run().PrintFirst, 2);
    EXPECT_EQ(selected.run().PrintLast, 2);
    EXPECT_TRUE(selected.leftOutByWidth().isEmpty());
    selected.setRange(PrintRange{PrintRange::Selection}, f.jobs[1].get());
    EXPECT_EQ(selected.run().jobAt(selected.run().PrintFirst), nullptr);

    // A method that prints nothing leaves nobody out.
    selected.settings().Methode = 9;
    selected.setRange(PrintRange{}, nullptr);
    EXPECT_TRUE(selected.leftOutByWidth().isEmpty());
}

}  // namespace
