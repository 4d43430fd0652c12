// SPDX-License-Identifier: MIT

#ifndef PKBUTTON_H
#define PKBUTTON_H

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPainterPath>
#include <QRectF>
#include <QString>

#include <array>
#include <memory>

class PwTools;

// The one self-painted clickable tile of the program: a translucent dark plate
// with a frame and corner marks, used both as push button and as information
// tile with a small caption, a large main text and an optional footer.
//
// The signal clicked(int, QString) hides QAbstractButton::clicked(bool) for
// name lookup inside this class. Code that wants the base class's click must
// name it as &QAbstractButton::clicked; &PkButton::clicked is the id signal.
class PkButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit PkButton(int id, const QString &style, QWidget *parent = nullptr);
    ~PkButton() override;

    void setCaption(const QString &text, const QColor &color);
    void setMainText(const QString &text, const QColor &color);
    void setFooterText(const QString &text, const QColor &color);
    void setState(const QString &name);
    void setFontSize(double pointSize);
    // With an elide mode other than Qt::ElideNone, the main text stays on
    // one line, elided where mode says, and the whole of it is the tooltip:
    // for paths, whose both ends matter.
    void setElideMode(Qt::TextElideMode mode);
    void recalculateLayout();

    QString getCaption() const { return caption; }
    QColor getCaptionColor() const { return captionColor; }
    QString getMainText() const { return mainText; }
    QColor getMainTextColor() const { return mainTextColor; }
    // The main text as painted, elided when it has an elide mode.
    QString getShownMainText() const { return shownMainText; }
    QString getFooterText() const { return footerText; }
    QColor getFooterColor() const { return footerColor; }
    // The colour the main text is painted in, after the state has had its say.
    QColor getMainTextPaintColor() const;

    QRectF getCaptionRect() const { return captionRect; }
    QRectF getMainTextRect() const { return mainTextRect; }
    QRectF getFooterRect() const { return footerRect; }
    QFont getCaptionFont() const { return captionFont; }
    QFont getMainFont() const { return mainFont; }
    QFont getFooterFont() const { return footerFont; }
    double getUnit() const { return unit; }

signals:
    void clicked(int, const QString &);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void reemitClicked();

private:
    void updateAccessibleName();
    void recalculateMarks();
    void elideMainText();

    std::unique_ptr<PwTools> tools;
    int id = 0;
    QFont mainFont;
    QFont captionFont;
    QFont footerFont;
    QRectF captionRect;
    QRectF mainTextRect;
    QRectF footerRect;
    QString style;
    QString state;
    QString mainText;
    QString shownMainText;
    QString lastToolTip;
    Qt::TextElideMode elideMode = Qt::ElideNone;
    QString caption;
    QString footerText;
    QColor fillColor;
    QColor lineColor;
    QColor captionColor;
    QColor mainTextColor;
    QColor footerColor;
    double buttonWidth = 0;
    double buttonHeight = 0;
    double unit = 0;

    // Shapes that only depend on the size, rebuilt on resize.
    QPainterPath cornerTriangle;
    std::array<QLineF, 2> bracketMark;
    std::array<QLine, 8> cornerBrackets;
    std::array<QLineF, 4> frameLines;
};

#endif // PKBUTTON_H
