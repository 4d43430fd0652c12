// SPDX-License-Identifier: MIT

#include "pwtools.h"

#include <QDateTime>
#include <QDebug>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct NamedColor
{
    const char *name;
    int red;
    int green;
    int blue;
};

// The grey steps are deliberately uneven; the values are the palette.
constexpr NamedColor palette[] = {
    {"gray0", 10, 10, 10},       {"gray0.5", 15, 15, 15},     {"gray1", 20, 20, 20},
    {"gray1.5", 30, 30, 30},     {"gray2", 40, 40, 40},       {"gray2.5", 60, 60, 60},
    {"gray3", 80, 80, 80},       {"gray3.5", 98, 98, 98},     {"gray4", 115, 115, 115},
    {"gray4.5", 133, 133, 133},  {"gray5", 150, 150, 150},    {"gray5.5", 165, 165, 165},
    {"gray6", 180, 180, 180},    {"gray6.5", 195, 195, 195},  {"gray7", 210, 210, 210},
    {"gray7.5", 223, 223, 223},  {"gray8", 235, 235, 235},    {"gray8.5", 243, 243, 243},
    {"gray9", 250, 250, 250},    {"gray9.5", 255, 255, 255},  {"marker", 212, 146, 17},
};

// Measured cell proportions of Consolas. They are kept as the rounded decimals
// the layouts were tuned with, not as exact fractions, so sizes come out the same.
constexpr double consolasHeightPerPoint = 1.53571428571429;
constexpr double consolasWidthPerHeight = 0.465116279069767;

// Rounds half away from zero, unlike the banker's rounding of some helpers.
int roundHalfAway(double value)
{
    return static_cast<int>(std::round(value));
}

QString cssColor(const QColor &color)
{
    return QString::number(color.red()) + QLatin1Char(',') + QString::number(color.green())
            + QLatin1Char(',') + QString::number(color.blue()) + QLatin1Char(',')
            + QString::number(color.alpha());
}

// Whole pixels, halves away from zero. A size that rounds to zero is written
// "0", never "-0", which a style sheet reader would only puzzle over.
QString cssFontSize(double size)
{
    const double rounded = std::round(size);
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', 0);
}

// qDebug() without the file, line and function that Debug builds would add,
// so the messages read the same in every build; the category is "default".
QDebug debugStream()
{
    return QMessageLogger(nullptr, 0, nullptr).debug();
}

QStringList rowTexts(const QStandardItemModel *model, int row)
{
    QStringList texts;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QStandardItem *item = model->item(row, column);
        texts.append(item ? item->text() : QString());
    }
    return texts;
}

int clampToInt(double value)
{
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(value, lowest, highest));
}

} // namespace

QColor PwTools::getColor(const QString &name) const
{
    for (const NamedColor &entry : palette) {
        if (name == QLatin1String(entry.name))
            return QColor(entry.red, entry.green, entry.blue, 255);
    }
    return QColor(255, 255, 255, 255);
}

QColor PwTools::getColorDark(QColor color) const
{
    const int value = roundHalfAway(color.value() * 0.5);
    return QColor::fromHsv(color.hue(), color.saturation(), value, 255);
}

QColor PwTools::getColorLight(QColor color) const
{
    const int saturation = roundHalfAway(color.saturation() * 0.6);
    const int value = roundHalfAway(255 - (255 - color.value()) * 0.65);
    return QColor::fromHsv(color.hue(), saturation, value, 255);
}

QString PwTools::getCSSLabel(QColor textColor, QColor backgroundColor, double fontSize,
                             const QString &fontFamily) const
{
    QString css;
    css += QLatin1String("QLabel { font-family:");
    css += fontFamily;
    css += QLatin1String("; color:rgba(");
    css += cssColor(textColor);
    css += QLatin1String("); background-color:rgba(");
    css += cssColor(backgroundColor);
    css += QLatin1String("); font-size:");
    css += cssFontSize(fontSize);
    css += QLatin1String("px; }");
    return css;
}

QString PwTools::getCSSTextEdit(QColor textColor, QColor backgroundColor,
                                QColor selectionBackgroundColor, QColor borderColor,
                                int borderWidth, double fontSize, const QString &fontFamily) const
{
    QString css;
    css += QLatin1String("QLineEdit { font-family:");
    css += fontFamily;
    css += QLatin1String("; color:rgba(");
    css += cssColor(textColor);
    css += QLatin1String("); background: rgba(");
    css += cssColor(backgroundColor);
    css += QLatin1String("); selection-background-color: rgba(");
    css += cssColor(selectionBackgroundColor);
    css += QLatin1String("); border: ");
    css += QString::number(borderWidth);
    css += QLatin1String("px solid rgba(");
    css += cssColor(borderColor);
    css += QLatin1String("); font-size:");
    css += cssFontSize(fontSize);
    css += QLatin1String("px; }");

    debugStream() << getTimeStamp() << "PwTools::getCSSTextEdit:";
    debugStream() << css;
    return css;
}

QString PwTools::getTimeStamp() const
{
    return formatTimeStamp(QDateTime::currentDateTime());
}

QString PwTools::visibleText(const QString &text)
{
    const auto escaped = [](char16_t code) {
        return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x2028 || code == 0x2029
            || (code >= 0x202a && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069);
    };
    if (std::none_of(text.begin(), text.end(), [&escaped](QChar ch) { return escaped(ch.unicode()); }))
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar ch : text) {
        const char16_t code = ch.unicode();
        if (!escaped(code))
            out += ch;
        else if (code < 0x100)
            out += QStringLiteral("\\%1").arg(code, 3, 8, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(code, 4, 16, QLatin1Char('0'));
    }
    return out;
}

QString PwTools::dataSize(qint64 bytes, bool roundUp)
{
    if (bytes < 1000)
        return QStringLiteral("%1 bytes").arg(bytes);
    static const char *const units[] = {"kB", "MB", "GB", "TB", "PB"};
    qint64 unit = 1000;
    int index = 0;
    // In tenths of the unit; a figure that rounds to 1000.0 moves up a unit.
    const auto tenths = [&] { return roundUp ? (bytes * 10 + unit - 1) / unit : bytes * 10 / unit; };
    while (tenths() >= 10000 && index < 4) {
        unit *= 1000;
        ++index;
    }
    const qint64 value = tenths();
    return QStringLiteral("%1.%2 %3").arg(value / 10).arg(value % 10).arg(QLatin1String(units[index]));
}

QString PwTools::formatTimeStamp(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss,zzz"));
}

void PwTools::debugData(const QStandardItemModel *model, int firstRow, int endRow) const
{
    if (!model)
        return;
    // Rows before the first one do not exist; a negative start means "from the top".
    const int start = std::max(firstRow, 0);

    if (start > 0)
        debugStream() << getTimeStamp() << "PwTools::debugData: head =" << rowTexts(model, 0);

    // The row count is asked again on every step in case the model changes under us.
    for (int row = start; row < std::min(endRow, model->rowCount()); ++row)
        debugStream() << getTimeStamp() << "PwTools::debugData: data =" << rowTexts(model, row);
}

QSizeF PwTools::getFontCellSize(const QString &fontFamily, double pointSize) const
{
    if (fontFamily != QLatin1String("Consolas"))
        return QSizeF(0, 0);
    const double height = pointSize * consolasHeightPerPoint;
    return QSizeF(height * consolasWidthPerHeight, height);
}

int PwTools::getFontSizeForWidth(const QString &fontFamily, int characterCount, int width) const
{
    // No characters means no width per character to fit; answer with the
    // smallest size rather than divide by zero.
    if (fontFamily != QLatin1String("Consolas") || characterCount <= 0)
        return 0;
    const int widthPerCharacter = width / characterCount;
    const double size = widthPerCharacter / consolasWidthPerHeight / consolasHeightPerPoint;
    // Wide inputs give sizes beyond int; clamp instead of overflowing.
    return clampToInt(std::floor(size));
}
