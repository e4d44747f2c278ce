#include "print/SpoolPlan.h"

namespace {

std::optional<QString> ChoiceFor(const CutOption &option, CutWhen when) {
    for (const CutChoice &choice : option.choices) {
        if (choice.when == when)
            return choice.choice;
    }
    return std::nullopt;
}

// Runs of pages of one media, each run further ended after every page for
// which `endsJob` holds.
template <typename EndsJob>
std::vector<PlannedJob> Runs(const std::vector<SpoolPage> &pages, EndsJob endsJob) {
    std::vector<PlannedJob> jobs;
    const int count = int(pages.size());
    int first = 0;
    for (int i = 0; i < count; ++i) {
        if (i + 1 == count || pages[i + 1].media != pages[first].media || endsJob(i)) {
            jobs.push_back({first, i, std::nullopt});
            first = i + 1;
        }
    }
    return jobs;
}

}  // namespace

std::vector<PlannedJob> PlanSpoolJobs(const std::vector<SpoolPage> &pages,
                                      const std::optional<CutOption> &option, CutMode mode) {
    const auto noSplit = [](int) { return false; };
    if (!option || mode == CutMode::Never)
        return Runs(pages, noSplit);
    // A driver without a "do not cut" choice is sent nothing for the jobs that
    // are not to be cut: its default is what the user has set for the queue.
    const std::optional<QString> never = ChoiceFor(*option, CutWhen::Never);
    const std::optional<QString> afterPage = ChoiceFor(*option, CutWhen::AfterPage);
    const std::optional<QString> afterJob = ChoiceFor(*option, CutWhen::AfterJob);
    if (!afterPage && !afterJob)
        return Runs(pages, noSplit);

    if (mode == CutMode::AfterPage) {
        // A driver that cuts only at the end of a job gets one job per page.
        std::vector<PlannedJob> jobs =
            afterPage ? Runs(pages, noSplit) : Runs(pages, [](int) { return true; });
        for (PlannedJob &job : jobs)
            job.cutChoice = afterPage ? afterPage : afterJob;
        return jobs;
    }

    const int lastPage = int(pages.size()) - 1;
    const auto cutAfter = [&](int i) {
        return mode == CutMode::AfterRibbon ? pages[i].ribbonEnd : i == lastPage;
    };
    std::vector<PlannedJob> jobs;
    for (PlannedJob job : Runs(pages, cutAfter)) {
        if (!cutAfter(job.last)) {
            job.cutChoice = never;
            jobs.push_back(job);
        } else if (afterJob) {
            job.cutChoice = afterJob;
            jobs.push_back(job);
        } else {
            // Cut after the last page only: that page is a job of its own.
            if (job.last > job.first)
                jobs.push_back({job.first, job.last - 1, never});
            jobs.push_back({job.last, job.last, afterPage});
        }
    }
    return jobs;
}
