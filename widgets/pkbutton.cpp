// SPDX-License-Identifier: MIT

#include "pkbutton.h"

#include "pwtools.h"

#include <QBrush>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QTextDocument>
#include <QTextOption>
#include <QToolTip>

#include <cmath>

namespace {

QFont benderBold(int pointSize)
{
    QFont font(QStringLiteral("Bender"));
    // Tiny tiles yield sizes of 0 or below; QFont refuses those and keeps its
    // default size, which is as good as anything in a box that small.
    font.setPointSize(pointSize);
    font.setWeight(QFont::Bold);
    font.setItalic(false);
    return font;
}

} // namespace

PkButton::PkButton(int id, const QString &style, QWidget *parent)
    : QAbstractButton(parent)
    , tools(std::make_unique<PwTools>())
    , id(id)
    , style(style)
{
    fillColor = tools->getColor(QStringLiteral("gray4"));
    lineColor = tools->getColor(QStringLiteral("gray2.5"));

    connect(this, &QAbstractButton::clicked, this, &PkButton::reemitClicked);

    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Consolas.ttf"));

    // The look never shows focus, but keyboard users still need to reach and
    // trigger the button; QAbstractButton handles Space once it has focus.
    setFocusPolicy(Qt::StrongFocus);
}

PkButton::~PkButton() = default;

void PkButton::setCaption(const QString &text, const QColor &color)
{
    caption = text;
    captionColor = color;
    updateAccessibleName();
    update();
}

void PkButton::setMainText(const QString &text, const QColor &color)
{
    mainText = text;
    mainTextColor = color;
    elideMainText();
    updateAccessibleName();
    update();
}

void PkButton::setFooterText(const QString &text, const QColor &color)
{
    footerText = text;
    footerColor = color;
    // The footer is painted small under the value; a screen reader hears it
    // as the tile's description.
    setAccessibleDescription(text);
    update();
}

void PkButton::setState(const QString &name)
{
    state = name;
    update();
}

void PkButton::setFontSize(double pointSize)
{
    mainFont = benderBold(static_cast<int>(pointSize));
    elideMainText();
    update();
}

void PkButton::setElideMode(Qt::TextElideMode mode)
{
    elideMode = mode;
    elideMainText();
    update();
}

void PkButton::elideMainText()
{
    if (elideMode == Qt::ElideNone) {
        shownMainText = mainText;
        return;
    }
    shownMainText = QFontMetricsF(mainFont).elidedText(mainText, elideMode, mainTextRect.width());
    // Qt would take a path such as "<b>" for markup.
    setToolTip(Qt::mightBeRichText(mainText) ? Qt::convertFromPlainText(mainText, Qt::WhiteSpaceNormal) : mainText);
}

QColor PkButton::getMainTextPaintColor() const
{
    if (state == QLatin1String("disabled"))
        return tools->getColorDark(mainTextColor);
    return mainTextColor;
}

void PkButton::recalculateLayout()
{
    buttonWidth = width();
    buttonHeight = height();
    unit = static_cast<int>(std::ceil(0.015 * buttonHeight));

    const double h = buttonHeight - 10;
    const double w = 0.9 * buttonWidth - 10;
    const int a = static_cast<int>(h / 3.8);
    const int mainHeight = static_cast<int>(h / 2.1);
    const int textLeft = static_cast<int>(3 * unit + 5);

    captionRect = QRectF(static_cast<int>(5 * unit + 5), 6, static_cast<int>(w - 2 * unit), a);
    mainTextRect = QRectF(textLeft, a + 7, static_cast<int>(w), mainHeight);
    footerRect = QRectF(textLeft, (a + 7) + mainHeight, static_cast<int>(w),
                        static_cast<int>(h / 4.2));

    captionFont = benderBold(static_cast<int>(0.8 * a));
    footerFont = benderBold(static_cast<int>(0.7 * footerRect.height()));
    elideMainText();

    recalculateMarks();
    update();
}

void PkButton::recalculateMarks()
{
    const double W = buttonWidth;
    const double H = buttonHeight;
    const double u = unit;

    cornerTriangle = QPainterPath();
    cornerTriangle.moveTo(5, 5);
    cornerTriangle.lineTo(6 * u + 5, 5);
    cornerTriangle.lineTo(5, 6 * u + 5);
    cornerTriangle.closeSubpath();

    const double right = W - 6;
    const double bottom = H - 6;
    bracketMark = {QLineF(right, bottom - 8 * u, right - 8 * u, bottom - 8 * u),
                   QLineF(right - 8 * u, bottom - 8 * u, right - 8 * u, bottom)};

    // Five arms are one pixel longer than the other three. The tiles are drawn
    // without antialiasing, so the lengths show and must stay exact.
    const int k = static_cast<int>(std::round(4 * u));
    const int x = static_cast<int>(W - 1);
    const int y = static_cast<int>(H - 1);
    cornerBrackets = {QLine(0, 0, 0, k),
                      QLine(0, 0, k, 0),
                      QLine(x, 0, x, k + 1),
                      QLine(x, 0, static_cast<int>(W - 1 - k), 0),
                      QLine(x, y, static_cast<int>(W - 2 - k), y),
                      QLine(x, y, x, static_cast<int>(H - 2 - k)),
                      QLine(0, y, k + 1, y),
                      QLine(0, y, 0, static_cast<int>(H - 2 - k))};

    frameLines = {QLineF(5, 5, right, 5), QLineF(right, 5, right, bottom),
                  QLineF(right, bottom, 5, bottom), QLineF(5, bottom, 5, 5)};
}

// A tooltip on screen that describes what just changed would go on telling
// the old story until the mouse moved away.
bool PkButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTipChange) {
        if (QToolTip::isVisible() && QToolTip::text() == lastToolTip && lastToolTip != toolTip())
            QToolTip::hideText();
        lastToolTip = toolTip();
    }
    return QAbstractButton::event(event);
}

void PkButton::resizeEvent(QResizeEvent *)
{
    recalculateLayout();
}

void PkButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QPen pen(Qt::SolidLine);
    pen.setWidth(static_cast<int>(unit));
    QBrush brush(Qt::SolidPattern);

    QColor plate = tools->getColor(QStringLiteral("gray1"));
    plate.setAlpha(80);
    brush.setColor(plate);
    painter.setBrush(brush);
    painter.fillRect(QRectF(0, 0, width(), height()), brush);

    brush.setColor(fillColor);
    painter.fillPath(cornerTriangle, brush);

    pen.setColor(lineColor);
    painter.setPen(pen);
    painter.drawLines(bracketMark.data(), int(bracketMark.size()));

    pen.setColor(fillColor);
    painter.setPen(pen);
    painter.drawLines(cornerBrackets.data(), int(cornerBrackets.size()));
    painter.drawLines(frameLines.data(), int(frameLines.size()));

    pen.setColor(captionColor);
    painter.setPen(pen);
    painter.setFont(captionFont);
    painter.drawText(captionRect, caption, QTextOption(Qt::AlignLeft | Qt::AlignTop));

    pen.setColor(getMainTextPaintColor());
    painter.setPen(pen);
    painter.setFont(mainFont);
    QTextOption mainOption(Qt::AlignHCenter | Qt::AlignTop);
    if (elideMode != Qt::ElideNone)
        mainOption.setWrapMode(QTextOption::NoWrap);
    painter.drawText(mainTextRect, shownMainText, mainOption);

    pen.setColor(footerColor);
    painter.setPen(pen);
    painter.setFont(footerFont);
    painter.drawText(footerRect, footerText, QTextOption(Qt::AlignLeft | Qt::AlignVCenter));
}

void PkButton::reemitClicked()
{
    // A receiver may well relabel the button; later receivers must still get
    // the text that was clicked.
    const QString clickedText = mainText;
    emit clicked(id, clickedText);
}

void PkButton::updateAccessibleName()
{
    // Captions start with a blank to sit off the corner triangle; a screen
    // reader has no use for it.
    const QString label = caption.trimmed();
    if (label.isEmpty())
        setAccessibleName(mainText);
    else if (mainText.isEmpty())
        setAccessibleName(label);
    else
        setAccessibleName(label + QStringLiteral(": ") + mainText);
}
