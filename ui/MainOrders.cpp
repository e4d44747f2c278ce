#include "ui/Main.h"

#include <QDir>
#include <QFileInfo>
#include <QSplitter>
#include <algorithm>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/RibbonFile.h"
#include "model/SettingsFile.h"
#include "model/StoredFormatsModel.h"
#include "render/FitCheck.h"
#include "render/Typefaces.h"
#include "spell/RibbonTexts.h"
#include "ui/FitCache.h"
#include "ui/FormatSnapshot.h"
#include "ui/JobListModel.h"
#include "ui/OrderPanel.h"
#include "ui/PrintFlow.h"
#include "ui/SpellSupport.h"

namespace {

// RIBOLANT.INI [General] "Auftragsordner": the folder order systems drop
// their orders into; relative to the data folder. Default "Auftraege/" there.
const QString OrderSection = QStringLiteral("General");
const QString OrderFolderKey = QStringLiteral("Auftragsordner");
const QString DefaultOrderFolder = QStringLiteral("Auftraege/");

// The room the ribbon list (300) and the phrase list (170) want beside the
// orders, and the orders' own width between its bounds.
constexpr int ListsRoom = 300 + 170 + 5;
constexpr int OrdersLeast = 190;
constexpr int OrdersMost = 440;

}  // namespace

void TMainForm::OpenOrderInbox() {
    if (!OrderFormats) {
        OrderFormats = std::make_shared<FormatSnapshot>();
        // The reader thread sees the formats as they were last changed.
        const auto retake = [this] { OrderFormats->take(*Formats); };
        connect(Formats, &StoredFormatsModel::modelReset, this, retake);
        connect(Formats, &StoredFormatsModel::formatsChanged, this, retake);
        connect(Formats, &StoredFormatsModel::edited, this, retake);
        connect(Orders, &OrderPanel::status, this, &TMainForm::ShowStatusText);
        Orders->model()->setFindingsOf(
            [this](const TJob &job) { return OrderRibbonFindings(job); });
        if (auto *spelling = SpellingSupport::of(this))
            connect(spelling, &SpellingSupport::dictionaryLoaded, Orders->model(),
                    &OrderListModel::invalidateFindings);
        Orders->appendRibbons = [this](std::vector<std::unique_ptr<TJob>> &ribbons,
                                       QString *reason) {
            return AppendOrderRibbons(ribbons, reason);
        };
        Orders->printRibbons = [this](const std::vector<const TJob *> &ribbons) {
            StoreJob();
            return PrintRibbons(ribbons, nullptr);
        };
        Orders->askReprint = [this](const QString &question) {
            const PrintFlow &flow = PrintFlow::of(this);
            return flow.confirm && flow.confirm(question);
        };
    }
    OrderFormats->take(*Formats);

    const QString data = DataFolder();
    const QString configured = SettingString(OrderSection, OrderFolderKey).trimmed();
    const QString folder = QDir::cleanPath(
        QDir(data).absoluteFilePath(configured.isEmpty() ? DefaultOrderFolder : configured));
    QString problem;
    if (!QFileInfo(folder).isDir()) {
        // The default folder is made where a florist will look for it; a
        // folder the settings name is someone's choice (a share not mounted
        // yet) and is not made here.
        const QFileInfo dataInfo(data);
        if (!configured.isEmpty() || !dataInfo.isDir() || !dataInfo.isWritable() ||
            !QDir().mkdir(folder))
            problem = QStringLiteral("Ordner fehlt");
    }
    Orders->open(folder, FormatSnapshot::LookupOver(OrderFormats), problem);
    if (!problem.isEmpty() && !configured.isEmpty())
        ShowStatusText(
            QStringLiteral("Der Auftragsordner %1 fehlt.").arg(QDir::toNativeSeparators(folder)));
}

void TMainForm::ShareOrdersRoom() {
    // Until the florist moves the divider, the lists keep the room they had
    // before the orders came beside them, and the orders take the rest.
    if (OrdersDividerMoved)
        return;
    const int width = OrdersSplitter->width() - OrdersSplitter->handleWidth();
    const int orders = std::clamp(width - ListsRoom, OrdersLeast, OrdersMost);
    OrdersSplitter->setSizes({std::max(width - orders, 0), orders});
}

QStringList TMainForm::OrderRibbonFindings(const TJob &job) {
    // What costs a ribbon first: the list shows as much as its line holds.
    QStringList findings;
    for (const FitFinding &finding : FitFindings(DrawingContext(), job))
        findings << finding.message();
    // The dictionary as far as it is loaded: the list is checked again once it is.
    if (SpellingSupport *spelling = SpellingSupport::of(this);
        spelling && spelling->checker().checking()) {
        QStringList words;
        for (const RibbonText &text : PrintedTexts(job, !CompatibilityMode)) {
            for (const QString &line : text.lines) {
                for (const QString &word : spelling->checker().unknownWordList(line)) {
                    if (!words.contains(word))
                        words << word;
                }
            }
        }
        if (!words.isEmpty())
            findings << QStringLiteral("Unbekannte W\u00F6rter: %1.")
                            .arg(words.join(QStringLiteral(", ")));
    }
    const QString face = MissingFaceMessage(job.FontName.str());
    if (!face.isEmpty())
        findings << face;
    return findings;
}

bool TMainForm::AppendOrderRibbons(std::vector<std::unique_ptr<TJob>> &ribbons, QString *reason) {
    if (Closed) {
        *reason = QStringLiteral("Das Fenster wird geschlossen.");
        return false;
    }
    // A list longer than a ribbon file may be could not be kept against a crash.
    const qsizetype total = Jobs->count() + qsizetype(ribbons.size());
    if (total > MaxRibbons) {
        *reason = QStringLiteral(
                      "Die Liste kann h\u00F6chstens %1 Schleifen aufnehmen; mit den "
                      "%2 Schleifen des Auftrags w\u00E4ren es %3.")
                      .arg(MaxRibbons)
                      .arg(ribbons.size())
                      .arg(total);
        return false;
    }
    AppendJobs(std::move(ribbons));
    ribbons.clear();
    return true;
}
