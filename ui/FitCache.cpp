#include "ui/FitCache.h"

#include <QHash>
#include <QStringList>

#include "model/Job.h"
#include "render/RenderContext.h"

namespace {

// Everything of a ribbon that its drawing and its letters depend on.
QString Fingerprint(const RenderContext &context, const TJob &job) {
    QStringList parts;
    parts.reserve(24);
    parts << QString::number(context.Schriftrahmen) << QString::number(context.RasterizerMode)
          << QString::number(context.InternalLeadingDivisor)
          << QString::number(int(context.Kommission));
    for (std::int64_t v :
         {std::int64_t(job.Flip), std::int64_t(job.Shadow), std::int64_t(job.FontGroesse),
          std::int64_t(job.FontFarbe), std::int64_t(job.Stil), std::int64_t(job.Laenge),
          std::int64_t(job.Breite), std::int64_t(job.Rand), std::int64_t(job.BildBreiteLinks),
          std::int64_t(job.BildBreiteRechts), std::int64_t(job.BildAbstandLinks),
          std::int64_t(job.BildAbstandRechts)})
        parts << QString::number(v);
    parts << job.FontName.str() << job.BildNameLinks.str() << job.BildNameRechts.str()
          << job.TextLeft.lines().join(QChar(1)) << job.TextRight.lines().join(QChar(1))
          << job.Kommission.str();
    return parts.join(QChar(2));
}

}  // namespace

const std::vector<FitFinding> &FitFindings(const RenderContext &context, const TJob &job) {
    // A day's ribbons and their edits; beyond that the oldest answers go.
    static QHash<QString, std::vector<FitFinding>> known;
    const QString key = Fingerprint(context, job);
    auto found = known.find(key);
    if (found != known.end())
        return *found;
    if (known.size() > 2000)
        known.clear();
    return *known.insert(key, CheckFit(context, job));
}
