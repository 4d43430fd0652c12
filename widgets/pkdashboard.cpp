// SPDX-License-Identifier: MIT

#include "pkdashboard.h"

#include "pwpathhelper.h"
#include "pwtools.h"

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QTextOption>

#include <cmath>

namespace {

constexpr double startAngle = 210;
constexpr double fullSweep = 300;
constexpr double trackOuterRadius = 100;
constexpr double trackInnerRadius = 80;
constexpr double progressOuterRadius = 97;
constexpr double progressInnerRadius = 83;

} // namespace

PkDashboard::PkDashboard(QWidget *parent)
    : QWidget(parent)
    , tools(std::make_unique<PwTools>())
    , pathHelper(std::make_unique<PwPathHelper>())
{
}

PkDashboard::~PkDashboard() = default;

void PkDashboard::setSelectionInfo(const QString &textFile, const QString &imageFolder,
                                   int total, int idCount)
{
    this->textFile = textFile;
    this->imageFolder = imageFolder;
    this->total = total;
    this->idCount = idCount;
    rebuildProgressPath();
    update();
}

void PkDashboard::setProgress(int value)
{
    progress = value;
    // Once reached, the end of a run stays on screen even if the figures move on.
    if (progress == total)
        complete = true;
    rebuildProgressPath();
    update();
}

void PkDashboard::resetProgress()
{
    progress = 0;
    complete = false;
    summary.clear();
    rebuildProgressPath();
    update();
}

void PkDashboard::setSummary(const QString &text, const QColor &color)
{
    summary = text;
    summaryColor = color;
    update();
}

double PkDashboard::sweepAngle() const
{
    if (complete)
        return fullSweep;
    if (total == 0)
        return 0;
    // 64-bit, so that a count past INT_MAX / 300 cannot overflow.
    return static_cast<double>(static_cast<qint64>(progress) * 300 / total);
}

QString PkDashboard::percentageText() const
{
    // Without a total there is nothing to be a percentage of.
    if (progress == 0 || total == 0)
        return QStringLiteral("0%");
    qint64 percent = qint64(std::round(progress * 100.0 / total));
    // "100%" promises that every file is there; 199 of 200 is not.
    if (percent == 100 && progress < total)
        percent = 99;
    return QString::number(percent) + QLatin1Char('%');
}

QPointF PkDashboard::gaugeCenter() const
{
    return QPointF(0.5 * width(), 0.4 * height());
}

QRectF PkDashboard::percentageRect() const
{
    const QPointF center = gaugeCenter();
    return QRectF(center.x() - 60, center.y() - 40, 120, 70);
}

// Under the ring and above the tile that shows the picture folder, as wide
// as a run stopped for a reason and its counts need.
QRectF PkDashboard::summaryRect() const
{
    return QRectF(0.5 * width() - 300, std::round(gaugeCenter().y()) + 100, 600, 50);
}

void PkDashboard::rebuildProgressPath()
{
    progressPath = pathHelper->getRingSegmentPath(gaugeCenter(), sweepAngle(),
                                                  progressOuterRadius, progressInnerRadius,
                                                  startAngle);
}

void PkDashboard::resizeEvent(QResizeEvent *)
{
    trackPath = pathHelper->getRingSegmentPath(gaugeCenter(), fullSweep, trackOuterRadius,
                                               trackInnerRadius, startAngle);
    rebuildProgressPath();
}

void PkDashboard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor trackFill = tools->getColor(QStringLiteral("gray1"));
    trackFill.setAlpha(50);
    painter.setPen(QPen(tools->getColor(QStringLiteral("gray5")), 1, Qt::SolidLine));
    painter.setBrush(QBrush(trackFill, Qt::SolidPattern));
    painter.drawPath(trackPath);

    const QColor progressColor = tools->getColor(QStringLiteral("gray6"));
    painter.setPen(QPen(progressColor, 1, Qt::SolidLine));
    painter.setBrush(QBrush(progressColor, Qt::SolidPattern));
    painter.drawPath(progressPath);

    const QColor textColor = tools->getColor(QStringLiteral("gray8"));
    QFont font(QStringLiteral("Bender"));
    font.setPointSize(40);
    painter.setPen(QPen(textColor, 1, Qt::SolidLine));
    painter.setBrush(QBrush(textColor, Qt::SolidPattern));
    painter.setFont(font);
    painter.drawText(percentageRect(), percentageText(), QTextOption(Qt::AlignCenter));

    font.setPointSize(14);
    painter.setPen(QPen(summaryColor, 1, Qt::SolidLine));
    painter.setBrush(QBrush(summaryColor, Qt::SolidPattern));
    painter.setFont(font);
    painter.drawText(summaryRect(), summary, QTextOption(Qt::AlignCenter));
}
