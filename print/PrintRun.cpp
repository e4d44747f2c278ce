#include "print/PrintRun.h"

#include "model/Job.h"

const TJob *PrintRun::jobAt(std::int32_t index) const {
    return index >= 0 && index < jobs.size() ? jobs[index] : nullptr;
}

bool PrintRun::TakeJob(const TJob &job) {
    if (FirstOfRun) {
        RunWidth = job.Breite;
        return true;
    }
    if (job.Breite != RunWidth) {
        WidthMismatch = true;
        LeftOut.append(&job);
        return false;
    }
    return true;
}
