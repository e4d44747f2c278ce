#include "spell/RibbonTexts.h"

#include "model/Job.h"

QList<RibbonText> PrintedTexts(const TJob &job, bool rightPrinted) {
    QList<RibbonText> texts{{false, job.TextLeft.lines()}};
    if (rightPrinted && job.Stil != Center)
        texts.append({true, job.TextRight.lines()});
    return texts;
}
