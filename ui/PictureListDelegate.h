#pragma once

#include <QStyledItemDelegate>

struct PictureCatalogue;

constexpr int PictureItemHeight = 50;

// Draws the items of the picture list: the thumbnail of the same index from
// the picture catalogue, fitted into the upper part of the item, and the
// file name centred below it.
class PictureListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The catalogue whose thumbnails the items show (none: empty items).
    void setCatalogue(const PictureCatalogue *catalogue) { catalogue_ = catalogue; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const PictureCatalogue *catalogue_ = nullptr;
};
