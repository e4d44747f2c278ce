#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "model/OrderFile.h"
#include "print/PrintRunner.h"
#include "ui/OrderListModel.h"

class OrderInbox;
class OrderInboxWatcher;
class OrderService;
class QLabel;
class QPushButton;
class QListView;
class TJob;

// "Aufträge": the orders of the inbox beside the ribbon list, with the two
// things a florist does with one: take its ribbons into the list, or print
// them. Both go through the order service, as the print service's do: it
// claims the order's file first, so that no other workstation takes it too,
// and moves it on only once the ribbons are safe (in the list, or on paper);
// whatever fails puts the file back or into Fehler/. The panel shows and asks.
class OrderPanel : public QWidget {
    Q_OBJECT
public:
    explicit OrderPanel(QWidget *parent = nullptr);
    ~OrderPanel() override;

    // Watches `folder` from now on, reading orders with `formats` (called on
    // the watcher's thread). `problem` is said at once (the folder is
    // missing), until the watcher knows better.
    void open(const QString &folder, StoredFormatLookup formats, const QString &problem = {});
    OrderInboxWatcher *watcher() const { return watcher_; }
    OrderInbox *inbox() const { return inbox_.get(); }
    OrderListModel *model() const { return model_; }
    QListView *list() const { return list_; }
    // "Aufträge (3)", or "Aufträge – <problem>".
    QString caption() const;
    QSize sizeHint() const override;

    // Takes ribbons into the ribbon list; false with the reason when it
    // cannot (the list would grow too long), the ribbons then left as they are.
    std::function<bool(std::vector<std::unique_ptr<TJob>> &ribbons, QString *reason)> appendRibbons;
    // The print command with its questions over these ribbons.
    std::function<PrintResult(const std::vector<const TJob *> &ribbons)> printRibbons;
    // "… wurde schon gedruckt. Noch einmal drucken?"; true for yes.
    std::function<bool(const QString &question)> askReprint;

    // "&Übernehmen" and "Dr&ucken" on the selected order's file.
    void takeOverSelected();
    void printSelected();

signals:
    // For the status bar.
    void status(const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh();
    void showProblem(const QString &problem);
    void updateState();
    void say(const QString &text);

    QLabel *caption_ = nullptr;
    QListView *list_ = nullptr;
    QPushButton *takeOver_ = nullptr;
    QPushButton *print_ = nullptr;
    OrderListModel *model_ = nullptr;
    OrderInboxWatcher *watcher_ = nullptr;
    std::unique_ptr<OrderInbox> inbox_;
    std::unique_ptr<OrderService> service_;
    QString problem_;
};
