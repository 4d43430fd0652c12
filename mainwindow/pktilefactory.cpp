// SPDX-License-Identifier: MIT

#include "pktilefactory.h"

#include "pkbutton.h"
#include "pwtools.h"

PkTileFactory::PkTileFactory(QWidget *window, const PwTools &tools)
    : window(window)
    , tools(tools)
{
}

PkButton *PkTileFactory::actionButton(const QString &text, const QColor &color, double fontSize) const
{
    auto *button = new PkButton(0, QStringLiteral("standard"), window);
    button->setMainText(text, color);
    button->setFontSize(fontSize);
    button->setFixedSize(240, 50);
    return button;
}

PkButton *PkTileFactory::infoTile(QSize size, QPoint position, double fontSize, const QString &caption,
                                  const QString &captionColor) const
{
    auto *tile = new PkButton(0, QStringLiteral("standard"), window);
    tile->setFixedSize(size);
    tile->move(position);
    if (fontSize > 0)
        tile->setFontSize(fontSize);
    tile->setCaption(caption, tools.getColor(captionColor));
    // A hidden widget gets its resize event only when shown; texts fitted
    // to the tile's boxes before then need them now.
    tile->recalculateLayout();
    tile->hide();
    return tile;
}
