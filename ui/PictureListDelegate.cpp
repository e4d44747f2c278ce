#include "ui/PictureListDelegate.h"

#include <QPainter>

#include "render/Pictures.h"
#include "render/QPainterCanvas.h"

void PictureListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());

    const QRect &item = option.rect;
    LRect picture{item.left() + 2, item.top() + 2, item.left() + item.width() - 2,
                  item.top() + item.height() - 2 - 15};
    const int row = index.row();
    if (catalogue_ && row >= 0 && row < catalogue_->thumbnails.size()) {
        QPainterCanvas canvas(*painter);
        DrawFitted(canvas, catalogue_->thumbnails.at(row), picture);
    }

    painter->setFont(option.font);
    painter->setPen(selected ? palette.color(QPalette::HighlightedText)
                             : palette.color(QPalette::Text));
    const QString text = index.data(Qt::DisplayRole).toString();
    // Anchored at its bottom centre, 2 pixels above the item's bottom.
    const int bottom = item.top() + item.height() - 2;
    const QRect textBox(item.left(), bottom - option.fontMetrics.height(), item.width(),
                        option.fontMetrics.height());
    painter->drawText(textBox, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideMiddle, item.width() - 4));
    painter->restore();
}

QSize PictureListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
    return QSize(option.rect.width(), PictureItemHeight);
}
