#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "model/QueueSettings.h"
#include "print/QueueCapabilities.h"

// How a printed document is divided into spooler jobs and which cutting choice
// each job carries. A job holds pages of one media only (a job is printed on
// one media), and a job that is to be cut at its end ends where the cut is.

struct SpoolPage {
    QString media;           // size and orientation: pages with equal keys share a job
    bool ribbonEnd = false;  // the last page of a ribbon
};

struct PlannedJob {
    int first = 0;  // page indexes, both included
    int last = 0;
    std::optional<QString> cutChoice;  // none: the job carries no cutting option
};

// The jobs for these pages, in page order, for the driver's cutting option
// and when the user wants cuts: after every page, after each ribbon's last
// page or after the document's last page. Without an option, with CutMode::Never
// or where the driver has no choice that cuts as wanted, no job carries one.
std::vector<PlannedJob> PlanSpoolJobs(const std::vector<SpoolPage> &pages,
                                      const std::optional<CutOption> &option, CutMode mode);
