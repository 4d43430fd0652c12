// SPDX-License-Identifier: MIT

#ifndef PWTOOLS_H
#define PWTOOLS_H

#include <QColor>
#include <QSizeF>
#include <QString>

class QDateTime;
class QStandardItemModel;

// Stateless toolkit shared by every widget: the named grey palette and the
// colour variants derived from it, style sheets for the few widgets that are
// not painted by hand, time-stamped debug output and Consolas cell metrics.
// Each user keeps an instance of its own.
class PwTools
{
public:
    PwTools() = default;

    QColor getColor(const QString &name) const;
    QColor getColorDark(QColor color) const;
    QColor getColorLight(QColor color) const;

    QString getCSSLabel(QColor textColor, QColor backgroundColor, double fontSize,
                        const QString &fontFamily) const;
    QString getCSSTextEdit(QColor textColor, QColor backgroundColor,
                           QColor selectionBackgroundColor, QColor borderColor, int borderWidth,
                           double fontSize, const QString &fontFamily) const;

    QString getTimeStamp() const;
    static QString formatTimeStamp(const QDateTime &moment);
    // A size as the user reads it, in decimal units as drives are sold:
    // "512 bytes", "4.1 kB", "2.3 GB"; rounded up or down to a tenth.
    static QString dataSize(qint64 bytes, bool roundUp = false);
    // A file name as it may be shown on a line of its own: control
    // characters written as an octal escape ("\033"), line separators and
    // bidirectional overrides as "\u202e", so that no name breaks a report
    // of one file a line or passes for another.
    static QString visibleText(const QString &text);
    void debugData(const QStandardItemModel *model, int firstRow, int endRow) const;

    // Width, then height, of one character cell in pixels.
    QSizeF getFontCellSize(const QString &fontFamily, double pointSize) const;
    int getFontSizeForWidth(const QString &fontFamily, int characterCount, int width) const;
};

#endif // PWTOOLS_H
