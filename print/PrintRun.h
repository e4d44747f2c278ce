#pragma once

#include <QVector>
#include <cstdint>

class TJob;

// The state of one print command: the ribbons of the list in order, the range
// to print (indices into jobs, inclusive) and the width rule's bookkeeping.
struct PrintRun {
    QVector<const TJob *> jobs;
    std::int32_t PrintFirst = 0;
    std::int32_t PrintLast = -1;
    bool FirstOfRun = true;
    bool WidthMismatch = false;
    std::int32_t RunWidth = 0;      // mm, fixed by the first ribbon taken
    QVector<const TJob *> LeftOut;  // ribbons the width rule left out, in order

    // The job at an index of the run, or null for an index that names none.
    const TJob *jobAt(std::int32_t index) const;

    // Width rule: the first ribbon taken fixes the run's width; a later ribbon
    // of another width is left out and noted. FirstOfRun is cleared by the
    // method once it has dealt with the ribbon (JobDone).
    bool TakeJob(const TJob &job);
    void JobDone() { FirstOfRun = false; }
};
