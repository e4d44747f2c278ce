#include "model/Workspace.h"

#include <QFile>
#include <QTimer>

#include "model/StoredFormatsModel.h"

namespace {

// When the other window holds the lock longer, the autosave comes back.
constexpr int LockedRetryMs = 1000;

}  // namespace

Workspace::Workspace(QObject *parent)
    : QObject(parent), formats_(new StoredFormatsModel(this)), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setInterval(AutosaveDelayMs);
    connect(timer_, &QTimer::timeout, this, &Workspace::runAutosave);
    connect(formats_, &StoredFormatsModel::edited, this, &Workspace::scheduleSave);
}

Workspace::~Workspace() = default;

QString Workspace::open(SettingsFile *settings, const QString &phrasePath) {
    settings_ = settings;
    phrasePath_ = phrasePath;
    QFile file(phrasePath);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    phrases_.assign(ParsePhrases(bytes));
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
