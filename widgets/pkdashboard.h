// SPDX-License-Identifier: MIT

#ifndef PKDASHBOARD_H
#define PKDASHBOARD_H

#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <memory>

class PwPathHelper;
class PwTools;

// Progress panel of a copy run: a 300-degree ring gauge, open at the bottom,
// with the percentage in its middle. It paints no background of its own so
// the window's picture shows through around the gauge.
class PkDashboard : public QWidget
{
    Q_OBJECT

public:
    explicit PkDashboard(QWidget *parent = nullptr);
    ~PkDashboard() override;

    void setSelectionInfo(const QString &textFile, const QString &imageFolder, int total,
                          int idCount);
    void setProgress(int value);
    // A new run, or a new selection while none is under way: nothing copied
    // yet, not complete, and no summary.
    void resetProgress();
    // One line under the ring that sums up the run.
    void setSummary(const QString &text, const QColor &color);

    bool isComplete() const { return complete; }
    int getProgress() const { return progress; }
    int getTotal() const { return total; }

    // Degrees of the progress ring as painted: full once complete.
    double sweepAngle() const;
    QString percentageText() const;
    QPointF gaugeCenter() const;
    QRectF percentageRect() const;
    QRectF summaryRect() const;
    QString getSummary() const { return summary; }
    QColor getSummaryColor() const { return summaryColor; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void rebuildProgressPath();

    std::unique_ptr<PwTools> tools;
    std::unique_ptr<PwPathHelper> pathHelper;
    bool complete = false;
    QString textFile;
    QString imageFolder;
    int total = 0;
    int idCount = 0;
    int progress = 0;
    QString summary;
    QColor summaryColor;

    // Built when the size or the figures change, so painting only paints.
    QPainterPath trackPath;
    QPainterPath progressPath;
};

#endif // PKDASHBOARD_H
