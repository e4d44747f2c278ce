#include "ui/SpellSupport.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QtConcurrent/QtConcurrentRun>

#include "model/FileError.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PrintQuestions.h"
#include "print/PrintRun.h"
#include "spell/RibbonTexts.h"
#include "spell/UserDictionary.h"
#include "ui/PrintDialogs.h"
#include "ui/PrintFlow.h"
#include "ui/SpellHighlighter.h"
#include "ui/TextMemo.h"
#include "ui/TextRefusal.h"

namespace {

// The unknown word under a point of a memo's viewport.
struct WordAt {
    QTextBlock block;
    TextSpan span;
    QString word;
};

std::optional<WordAt> UnknownWordAt(SpellChecker &checker, TextMemo *memo, const QPoint &pos) {
    const QTextCursor cursor = memo->cursorForPosition(pos);
    const QTextBlock block = cursor.block();
    const qsizetype at = cursor.positionInBlock();
    const QString text = block.text();
    for (const TextSpan &span : checker.unknownWords(text)) {
        if (span.start <= at && at <= span.end())
            return WordAt{block, span, text.mid(span.start, span.length)};
    }
    return std::nullopt;
}

}  // namespace

SpellingSupport::SpellingSupport(QWidget *window, const QList<TextMemo *> &memos, QMenu *formatMenu,
                                 const QStringList &phrases)
    : QObject(window), window_(window), memos_(memos) {
    setObjectName(QStringLiteral("SpellingSupport"));
    checker_.setPhrases(phrases);
    for (TextMemo *memo : memos_) {
        highlighters_.append(new SpellHighlighter(memo->document(), checker_));
        memo->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(memo, &QWidget::customContextMenuRequested, this,
                [this, memo](const QPoint &pos) { showContextMenu(memo, pos); });
    }

    installed_ = InstalledDictionaries();
    const std::optional<DictionaryFiles> files =
        ChosenDictionary(SettingString(SpellingSection, SpellingKey), installed_);
    chosen_ = files ? files->code : SpellingOff;

    if (formatMenu) {
        formatMenu->addSeparator();
        QMenu *menu = formatMenu->addMenu(QStringLiteral("&Rechtschreibung"));
        menu->setObjectName(QStringLiteral("MenuRechtschreibung"));
        languages_ = new QActionGroup(this);
        QList<QPair<QString, QString>> entries;
        for (const DictionaryFiles &dictionary : installed_)
            entries.append({dictionary.code, dictionary.label});
        entries.append({SpellingOff, QStringLiteral("&Aus")});
        for (const auto &[code, label] : entries) {
            QAction *action = menu->addAction(label);
            action->setCheckable(true);
            action->setChecked(code == chosen_);
            action->setData(code);
            languages_->addAction(action);
            connect(action, &QAction::triggered, this, [this, code] { choose(code); });
        }
    }
    load(files);
}

SpellingSupport::~SpellingSupport() = default;

SpellingSupport *SpellingSupport::of(QWidget *window) {
    return window->findChild<SpellingSupport *>(QStringLiteral("SpellingSupport"),
                                                Qt::FindDirectChildrenOnly);
}

void SpellingSupport::setPhrases(const QStringList &phrases) {
    checker_.setPhrases(phrases);
    rehighlight();
}

void SpellingSupport::load(const std::optional<DictionaryFiles> &files) {
    // A load still running is left to finish unseen: only the last choice counts.
    if (loading_) {
        loading_->disconnect(this);
        loading_->deleteLater();
        loading_ = nullptr;
    }
    checker_.setDictionary(nullptr);
    rehighlight();
    if (!files)
        return;
    loading_ = new QFutureWatcher<Loaded>(this);
    connect(loading_, &QFutureWatcherBase::finished, this, &SpellingSupport::waitForDictionary);
    // The user's words are read again with the dictionary: another Vellumo
    // may have added some.
    loading_->setFuture(QtConcurrent::run([files = *files, path = UserDictionaryPath()]() {
        Loaded loaded;
        loaded.dictionary = std::shared_ptr<SpellDictionary>(SpellDictionary::open(files));
        loaded.userWords = LoadUserWords(path, &loaded.userWordsCapped);
        return loaded;
    }));
}

void SpellingSupport::waitForDictionary() {
    if (!loading_)
        return;
    loading_->waitForFinished();
    const Loaded loaded = loading_->result();
    checker_.setDictionary(loaded.dictionary);
    checker_.setUserWords(loaded.userWords);
    for (const QString &word : std::as_const(addedWords_))
        checker_.addUserWord(word);
    loading_->disconnect(this);
    loading_->deleteLater();
    loading_ = nullptr;
    rehighlight();
    if (loaded.userWordsCapped && !cappedTold_) {
        cappedTold_ = true;
        emit notice(UserWordsCappedMessage(loaded.userWords.size()));
    }
    emit dictionaryLoaded();
}

void SpellingSupport::choose(const QString &code) {
    const std::optional<DictionaryFiles> files =
        code == SpellingOff ? std::nullopt : ChosenDictionary(code, installed_);
    chosen_ = files ? files->code : SpellingOff;
    if (languages_) {
        for (QAction *action : languages_->actions())
            action->setChecked(action->data().toString() == chosen_);
    }
    if (SettingsFile *settings = SettingsFile::current()) {
        try {
            settings->writeString(SpellingSection, SpellingKey, chosen_);
        } catch (const FileWriteError &error) {
            QMessageBox::critical(window_, window_->windowTitle(), error.message());
        }
    }
    load(files);
}

void SpellingSupport::rehighlight() {
    for (SpellHighlighter *highlighter : highlighters_)
        highlighter->rehighlight();
}

void SpellingSupport::addToUserDictionary(const QString &word) {
    QString message;
    if (!AddUserWord(UserDictionaryPath(), word, &message))
        QMessageBox::critical(window_, window_->windowTitle(), message);
    // Known for this run even when the file refused it.
    checker_.addUserWord(word);
    addedWords_.append(word);
    rehighlight();
}

void SpellingSupport::addWordActions(QMenu *menu, TextMemo *memo, const QPoint &pos) {
    const std::optional<WordAt> found = UnknownWordAt(checker_, memo, pos);
    if (!found)
        return;
    QAction *first = menu->actions().value(0);
    const auto add = [&](const QString &text) {
        auto *action = new QAction(text, menu);
        menu->insertAction(first, action);
        return action;
    };
    const QStringList suggestions = checker_.suggestions(found->word, MaxSuggestions);
    for (const QString &suggestion : suggestions) {
        QAction *action = add(suggestion);
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
        connect(action, &QAction::triggered, memo, [memo, found = *found, suggestion] {
            // The memo's own limit holds for a replacement too.
            QString text = memo->toPlainText();
            const int start = found.block.position() + int(found.span.start);
            text.replace(start, found.span.length, suggestion);
            if (StoredLength(text) > TextMemo::MaxLength) {
                QApplication::beep();
                emit memo->refused(TooLongMessage(TextMemo::MaxLength));
                return;
            }
            QTextCursor cursor(memo->document());
            cursor.setPosition(start);
            cursor.setPosition(start + int(found.span.length), QTextCursor::KeepAnchor);
            cursor.insertText(suggestion);
        });
    }
    if (suggestions.isEmpty())
        add(QStringLiteral("(keine Vorschl\u00E4ge)"))->setEnabled(false);
    menu->insertSeparator(first);
    connect(add(QStringLiteral("Zum W\u00F6rterbuch hinzuf\u00FCgen")), &QAction::triggered, this,
            [this, word = found->word] { addToUserDictionary(word); });
    connect(add(QStringLiteral("Ignorieren")), &QAction::triggered, this,
            [this, word = found->word] {
                checker_.ignore(word);
                rehighlight();
            });
    if (first)
        menu->insertSeparator(first);
}

void SpellingSupport::showContextMenu(TextMemo *memo, const QPoint &pos) {
    std::unique_ptr<QMenu> menu(memo->createContextMenu(pos));
    addWordActions(menu.get(), memo, pos);
    menu->exec(memo->viewport()->mapToGlobal(pos));
}

QStringList SpellingSupport::unknownWords(const QList<QStringList> &texts) {
    waitForDictionary();
    QStringList words;
    for (const QStringList &lines : texts) {
        for (const QString &line : lines) {
            for (const QString &word : checker_.unknownWordList(line)) {
                if (!words.contains(word))
                    words.append(word);
            }
        }
    }
    return words;
}

QString SpellingSupport::PrintQuestion(const QStringList &words, const QList<int> &ribbons) {
    return UnknownWordsQuestion(words, ribbons);
}

std::function<QStringList(const TJob &)> PrintSpellingCheck(QWidget *window, bool rightTexts) {
    SpellingSupport *spelling = SpellingSupport::of(window);
    if (!spelling)
        return nullptr;
    return [spelling, rightTexts](const TJob &job) {
        QList<QStringList> texts;
        for (const RibbonText &text : PrintedTexts(job, rightTexts))
            texts.append(text.lines);
        return spelling->unknownWords(texts);
    };
}
