// SPDX-License-Identifier: MIT

#ifndef PKTILEFACTORY_H
#define PKTILEFACTORY_H

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>

class PkButton;
class PwTools;
class QWidget;

// Makes the window's painted buttons and information tiles, all alike but
// for their place, size and texts.
class PkTileFactory
{
public:
    PkTileFactory(QWidget *window, const PwTools &tools);

    // A 240 x 50 button, shown.
    PkButton *actionButton(const QString &text, const QColor &color, double fontSize) const;
    // A hidden tile; a font size of 0 leaves its main text in the default font.
    PkButton *infoTile(QSize size, QPoint position, double fontSize, const QString &caption,
                       const QString &captionColor) const;

private:
    QWidget *window;
    const PwTools &tools;
};

#endif // PKTILEFACTORY_H
