// SPDX-License-Identifier: MIT

#include "pkbutton.h"
#include "pwtools.h"

#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Lays the button out the way Qt does before a widget is first shown.
void layOut(PkButton &button, QSize size)
{
    button.resize(size);
    QResizeEvent event(size, QSize());
    QCoreApplication::sendEvent(&button, &event);
}

QImage renderOn(QWidget &widget, QColor background)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(background);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Tiny tiles compute font sizes of 0 and below; QFont complains about them
// and keeps its default, which is all that matters here.
QtMessageHandler previousHandler = nullptr;
void dropPointSizeWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (!text.startsWith("QFont::setPointSize"_L1))
        previousHandler(type, context, text);
}

} // namespace

class TestPkButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(QFontDatabase::addApplicationFont(u":/fonts/Quillmark - Bender-Bold.otf"_s) >= 0);
        previousHandler = qInstallMessageHandler(&dropPointSizeWarnings);
    }

    void layout_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("unit");
        QTest::addColumn<QList<QRectF>>("rects"); // caption, main text, footer
        QTest::addColumn<int>("captionSize");
        QTest::addColumn<int>("footerSize");

        QTest::newRow("button 240x50") << QSize(240, 50) << 1.0 << QList<QRectF>{{10, 6, 204, 10}, {8, 17, 206, 19}, {8, 36, 206, 9}} << 8 << 6;
        QTest::newRow("tile 160x90") << QSize(160, 90) << 2.0 << QList<QRectF>{{15, 6, 130, 21}, {11, 28, 134, 38}, {11, 66, 134, 19}} << 16 << 13;
        QTest::newRow("warning 760x60") << QSize(760, 60) << 1.0 << QList<QRectF>{{10, 6, 672, 13}, {8, 20, 674, 23}, {8, 43, 674, 11}} << 10 << 7;
        QTest::newRow("height 66, last of unit 1") << QSize(200, 66) << 1.0 << QList<QRectF>{{10, 6, 168, 14}, {8, 21, 170, 26}, {8, 47, 170, 13}} << 11 << 9;
        QTest::newRow("height 67, first of unit 2") << QSize(200, 67) << 2.0 << QList<QRectF>{{15, 6, 166, 15}, {11, 22, 170, 27}, {11, 49, 170, 13}} << 12 << 9;
    }

    void layout()
    {
        QFETCH(QSize, size);
        QFETCH(double, unit);
        QFETCH(QList<QRectF>, rects);
        QFETCH(int, captionSize);
        QFETCH(int, footerSize);

        PkButton button(0, u"standard"_s);
        button.setFontSize(14.9);
        layOut(button, size);
        QCOMPARE(button.getUnit(), unit);
        QCOMPARE(QList<QRectF>({button.getCaptionRect(), button.getMainTextRect(), button.getFooterRect()}), rects);
        QCOMPARE(button.getCaptionFont(), QFont(u"Bender"_s, captionSize, QFont::Bold));
        QCOMPARE(button.getFooterFont(), QFont(u"Bender"_s, footerSize, QFont::Bold));
        // The fraction is dropped, and laying out leaves the main font alone.
        QCOMPARE(button.getMainFont(), QFont(u"Bender"_s, 14, QFont::Bold));
    }

    void stateDarkensOnlyMainText_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("darkened");

        QTest::newRow("disabled") << u"disabled"_s << true;
        QTest::newRow("capitalised Disabled") << u"Disabled"_s << false;
        QTest::newRow("trailing blank") << u"disabled "_s << false;
    }

    void stateDarkensOnlyMainText()
    {
        QFETCH(QString, state);
        QFETCH(bool, darkened);

        const QColor textColor = tools.getColor(u"marker"_s);
        PkButton button(0, u"standard"_s);
        layOut(button, QSize(160, 90));
        button.setCaption(u" Selected"_s, tools.getColor(u"gray9"_s));
        button.setMainText(u"HMW"_s, textColor);
        const QImage normal = renderOn(button, Qt::blue);
        button.setState(state);
        const QImage stated = renderOn(button, Qt::blue);

        QCOMPARE(button.getMainTextPaintColor(), darkened ? tools.getColorDark(textColor) : textColor);
        QCOMPARE(stated != normal, darkened);
        // Whatever changed is inside the main text's box: the caption keeps its colour.
        const QRect mainBox = button.getMainTextRect().toRect();
        auto outsideMainBox = [&](QImage image) {
            QPainter(&image).fillRect(mainBox, Qt::black);
            return image;
        };
        QCOMPARE(outsideMainBox(stated), outsideMainBox(normal));
    }

    void pixelProbes_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("expected");

        // The plate is gray1 at alpha 80 over the background.
        const QColor gray1 = tools.getColor(u"gray1"_s);
        auto blend = [](int top, int bottom) { return (top * 80 + bottom * 175) / 255; };
        const QColor plate(blend(gray1.red(), background.red()), blend(gray1.green(), background.green()),
                           blend(gray1.blue(), background.blue()));
        const QColor frame = tools.getColor(u"gray4"_s);

        // 240x50 button: unit 1, frame from (5, 5) to (234, 44), bracket mark's
        // square from (226, 36) to (234, 44), corner arms 4 and 5 pixels long.
        QTest::newRow("plate in the middle") << QPoint(120, 40) << plate;
        QTest::newRow("frame right") << QPoint(234, 25) << frame;
        QTest::newRow("inside corner triangle") << QPoint(7, 7) << frame;
        QTest::newRow("past corner triangle") << QPoint(12, 12) << plate;
        QTest::newRow("bracket mark left edge") << QPoint(226, 40) << tools.getColor(u"gray2.5"_s);
        QTest::newRow("top-right bracket, longer arm") << QPoint(239, 5) << frame;
    }

    void pixelProbes()
    {
        QFETCH(QPoint, point);
        QFETCH(QColor, expected);

        PkButton button(0, u"standard"_s);
        layOut(button, QSize(240, 50));
        const QColor got = renderOn(button, background).pixelColor(point);
        const int off = std::max({qAbs(got.red() - expected.red()), qAbs(got.green() - expected.green()),
                                  qAbs(got.blue() - expected.blue())});
        QVERIFY2(off <= 2, qPrintable(u"got %1, want %2"_s.arg(got.name(), expected.name())));
    }

    void announces_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("mainText");
        QTest::addColumn<QString>("accessibleName");

        QTest::newRow("action button") << QString() << u"Select text file"_s << u"Select text file"_s;
        QTest::newRow("count tile") << u" Selected"_s << u"12"_s << u"Selected: 12"_s;
        QTest::newRow("tile before it has a value") << u" Text file"_s << QString() << u"Text file"_s;
    }

    // What a screen reader is told, and what a click by keyboard reports.
    void announces()
    {
        QFETCH(QString, caption);
        QFETCH(QString, mainText);
        QFETCH(QString, accessibleName);

        PkButton button(7, u"standard"_s);
        button.setMainText(u"stale"_s, gray7);
        button.setCaption(caption, gray7);
        button.setMainText(mainText, gray7);
        QCOMPARE(button.accessibleName(), accessibleName);
        // The base class's text would be painted by other styles; it stays unused.
        QVERIFY(button.text().isEmpty());

        QStringList order;
        // The first receiver relabels the button; later ones must still be told
        // which label was clicked.
        connect(&button, &PkButton::clicked, this, [&](int, const QString &) {
            order << u"id"_s;
            button.setMainText(u"relabelled"_s, gray7);
        });
        QSignalSpy idSpy(&button, &PkButton::clicked);
        connect(&button, &QAbstractButton::clicked, this, [&](bool) { order << u"base"_s; });
        QCOMPARE(button.focusPolicy(), Qt::StrongFocus);
        QTest::keyClick(&button, Qt::Key_Space);
        QCOMPARE(idSpy.count(), 1);
        QCOMPARE(idSpy.at(0).at(0).toInt(), 7);
        QCOMPARE(idSpy.at(0).at(1).toString(), mainText);
        // The button's own receiver of the base signal, connected when it was
        // built, re-emits; so the id signal is delivered within the base signal,
        // ahead of every receiver connected to the base signal afterwards.
        QCOMPARE(order, QStringList({u"id"_s, u"base"_s}));
    }

    void tinySizesPaint_data()
    {
        QTest::addColumn<QSize>("size");

        QTest::newRow("0x0") << QSize(0, 0);
        QTest::newRow("1x1") << QSize(1, 1);
        QTest::newRow("10x10, font sizes of 0") << QSize(10, 10);
        QTest::newRow("wide and 3 high") << QSize(300, 3);
        QTest::newRow("narrow and tall") << QSize(2, 200);
    }

    void tinySizesPaint()
    {
        QFETCH(QSize, size);

        PkButton button(0, u"standard"_s);
        button.setCaption(u" Selected"_s, gray7);
        button.setMainText(u"12"_s, gray7);
        button.setFooterText(u"3 not found"_s, gray7);
        layOut(button, size);
        QCOMPARE(button.grab().size(), size);
    }

private:
    PwTools tools;
    const QColor gray7 = tools.getColor(u"gray7"_s);
    const QColor background = QColor(0, 128, 255);
};

QTEST_MAIN(TestPkButton)
#include "tst_pkbutton.moc"
