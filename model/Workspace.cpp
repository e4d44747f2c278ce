#include "model/Workspace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

#include "model/AtomicFile.h"
#include "model/DataSession.h"
#include "model/Job.h"
#include "model/RibbonFile.h"
#include "model/RibbonList.h"
#include "model/StoredFormatsModel.h"

namespace {

// When the other window holds the lock longer, the autosave comes back.
constexpr int LockedRetryMs = 1000;

}  // namespace

Workspace::Workspace(QObject *parent)
    : QObject(parent),
      formats_(new StoredFormatsModel(this)),
      timer_(new QTimer(this)),
      ribbonTimer_(new QTimer(this)),
      ribbonList_(new RibbonList(this)) {
    timer_->setSingleShot(true);
    timer_->setInterval(AutosaveDelayMs);
    connect(timer_, &QTimer::timeout, this, &Workspace::runAutosave);
    connect(formats_, &StoredFormatsModel::edited, this, &Workspace::scheduleSave);
    ribbonTimer_->setSingleShot(true);
    ribbonTimer_->setInterval(RibbonBackupDelayMs);
    connect(ribbonTimer_, &QTimer::timeout, this, &Workspace::keepRibbons);
}

Workspace::~Workspace() = default;

QString Workspace::open(SettingsFile *settings, const QString &phrasePath) {
    settings_ = settings;
    phrasePath_ = phrasePath;
    QFile file(phrasePath);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QFile companion(PhraseCompanionPath(phrasePath));
    phrases_.assign(ParsePhrases(
        bytes, companion.open(QIODevice::ReadOnly) ? companion.readAll() : QByteArray()));
    phrasesRead_ = phrases_.phrases();
    if (DroppedPhraseBytes(bytes) > 0)
        return QStringLiteral(
            "RIBOLANT.TXT enth\u00E4lt NUL-Bytes: sie werden weggelassen, "
            "der Text um sie herum bleibt.");
    return QString();
}

void Workspace::setAutosave(bool on) {
    autosave_ = on;
    if (!on)
        timer_->stop();
}

qsizetype Workspace::addPhrase(const QString &phrase) {
    const qsizetype at = phrases_.add(phrase);
    if (at >= 0)
        scheduleSave();
    return at;
}

void Workspace::removePhrase(qsizetype index) {
    if (index < 0 || index >= phrases_.size())
        return;
    phrases_.removeAt(index);
    scheduleSave();
}

bool Workspace::savePending() const {
    return timer_->isActive();
}

void Workspace::scheduleSave() {
    if (autosave_ && settings_)
        timer_->start(AutosaveDelayMs);
}

DataSaveResult Workspace::save(const std::optional<QString> &printerName, int lockWaitMs,
                               bool saveUnlocked) {
    timer_->stop();
    DataSaveResult result;
    if (!settings_)
        return result;
    DataEdits edits;
    edits.formatsRead = &formats_->formatsRead();
    edits.formatsNow = &formats_->formats();
    edits.formatOrigin = formats_->formatOrigin();
    edits.printerName = printerName;
    edits.phrasesRead = phrasesRead_;
    edits.phrasesNow = phrases_.phrases();
    result = SaveDataMerged(*settings_, phrasePath_, edits, lockWaitMs, saveUnlocked);
    // What reached a file is no change of this window's any more: saving it
    // again would undo what another window did to it meanwhile.
    if (result.settingsSaved)
        formats_->rebase();
    if (result.phrasesSaved)
        phrasesRead_ = edits.phrasesNow;
    return result;
}

void Workspace::runAutosave() {
    if (!autosave_)
        return;
    const DataSaveResult result = save(std::nullopt, AutosaveLockWaitMs, false);
    if (!result.locked) {
        timer_->start(LockedRetryMs);
        return;
    }
    emit autosaved(result.errors);
}

QStringList Workspace::openSession(const QString &dataFolder) {
    QStringList notes;
    ribbonTimer_->stop();
    session_.reset();
    RemoveCrashLeftovers(dataFolder);
    session_ = std::make_unique<DataSession>(dataFolder);
    recoveryPending_ = !session_->leftovers().isEmpty();
    if (!session_->claimed())
        notes << QStringLiteral(
                     "Die Schleifen k\u00F6nnen nicht gegen einen Absturz "
                     "gesichert werden: %1.")
                     .arg(session_->failure());
    if (session_->othersRunning())
        notes << QStringLiteral(
            "Ein anderes Vellumo verwendet denselben Datenordner; beim "
            "Beenden werden die \u00C4nderungen beider "
            "zusammengef\u00FChrt.");
    if (!FolderTakesNewFiles(dataFolder))
        notes << QStringLiteral(
            "Der Datenordner nimmt keine neuen Dateien an: RIBOLANT.INI "
            "und RIBOLANT.TXT werden beim Beenden direkt "
            "\u00FCberschrieben.");
    return notes;
}

bool Workspace::sessionClaimed() const {
    return session_ && session_->claimed();
}

QString Workspace::ribbonFilePath() const {
    return session_ ? session_->ribbonFilePath() : QString();
}

void Workspace::ribbonsChanged() {
    if (sessionClaimed())
        ribbonTimer_->start();
}

bool Workspace::keepRibbons() {
    if (!sessionClaimed() || recoveryPending_)
        return false;
    ribbonTimer_->stop();
    const std::vector<const TJob *> jobs = ribbonList_->listed();
    const bool anyText =
        std::any_of(jobs.begin(), jobs.end(), [](const TJob *job) { return job->HasText(); });
    if (!anyText) {
        // Nothing worth offering after a crash.
        QFile::remove(ribbonFilePath());
        return true;
    }
    QString reason;
    // Only this program makes the session file: a link there was planted.
    if (!SaveRibbonFile(ribbonFilePath(), jobs, &reason, FileLinks::ReplaceLink)) {
        emit ribbonNote(
            QStringLiteral("Die Schleifen k\u00F6nnen nicht gesichert werden: %1").arg(reason));
        return false;
    }
    return true;
}

Workspace::Recovery Workspace::recover() {
    Recovery recovery;
    recoveryPending_ = false;
    if (!session_)
        return recovery;
    for (const QString &path : session_->leftovers()) {
        // A damaged file gives the ribbons that can still be read.
        RibbonFileResult read = LoadRibbonFile(path, RibbonReading::KeepReadable);
        if (!read.ok()) {
            // Kept under a name of its own, so that nothing is lost (not even an
            // earlier damaged file) and it is not offered again.
            QString kept = path + QStringLiteral(".defekt");
            for (int n = 2; QFileInfo::exists(kept) || QFileInfo(kept).isSymLink(); ++n)
                kept = path + QStringLiteral(".defekt%1").arg(n);
            QFile::rename(path, kept);
            QString fault = read.error->text();
            if (read.unreadable > 0)
                fault += QStringLiteral(
                             "\n%1 von %2 Schleifen k\u00F6nnen nicht gelesen werden; "
                             "die \u00FCbrigen sind wiederhergestellt.")
                             .arg(read.unreadable)
                             .arg(read.unreadable + qsizetype(read.ribbons.size()));
            recovery.faults << fault + QStringLiteral("\nDie Datei bleibt als %1 erhalten.")
                                           .arg(QDir::toNativeSeparators(kept));
        }
        for (RibbonEntry &entry : read.ribbons)
            recovery.jobs.push_back(std::move(entry.job));
    }
    return recovery;
}

void Workspace::recovered() {
    // The other sessions' files go only once their ribbons are safe in ours.
    if (keepRibbons() && session_)
        session_->forgetLeftovers(false);
}

void Workspace::refuseRecovery() {
    recoveryPending_ = false;
    if (session_)
        session_->forgetLeftovers(true);
}

bool Workspace::endSession(bool keep) {
    ribbonTimer_->stop();
    if (!session_)
        return false;
    if (keep && keepRibbons() && QFile::exists(ribbonFilePath()))
        return true;
    session_->endNormally();
    return false;
}

void Workspace::closeSession() {
    ribbonTimer_->stop();
    session_.reset();
}
