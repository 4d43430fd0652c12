// SPDX-License-Identifier: MIT

#include "pkbutton.h"
#include "pwtools.h"

#include <QFontDatabase>
#include <QImage>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTest>

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

bool near(QColor actual, QColor expected, int tolerance = 2)
{
    return qAbs(actual.red() - expected.red()) <= tolerance
        && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance;
}

bool containsColor(const QImage &image, QRgb color)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == color)
                return true;
        }
    }
    return false;
}

// Tiny tiles compute font sizes of 0 and below; QFont complains about them
// and keeps its default, which is all that matters here.
class PointSizeWarningFilter
{
public:
    PointSizeWarningFilter() { previous = qInstallMessageHandler(&filter); }
    ~PointSizeWarningFilter() { qInstallMessageHandler(previous); }

private:
    static void filter(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg && message.startsWith(QLatin1String("QFont::setPointSize")))
            return;
        previous(type, context, message);
    }
    static inline QtMessageHandler previous = nullptr;
};

} // namespace

class TestPkButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layout_data();
    void layout();
    void unitFollowsHeight_data();
    void unitFollowsHeight();
    void fontSizeTruncates_data();
    void fontSizeTruncates();
    void stateDarkensOnlyMainText_data();
    void stateDarkensOnlyMainText();
    void interactionLeavesLookAlone();
    void pixelProbes_data();
    void pixelProbes();
    void clickOrder();
    void clickCarriesTextOfTheClick();
    void tinySizesPaint_data();
    void tinySizesPaint();
    void accessibleName_data();
    void accessibleName();
    void spaceActivates();

private:
    PwTools tools;
};

void TestPkButton::initTestCase()
{
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender.otf")) >= 0);
    QVERIFY(QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender-Bold.otf")) >= 0);
}

void TestPkButton::layout_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<double>("unit");
    QTest::addColumn<QRectF>("captionRect");
    QTest::addColumn<QRectF>("mainTextRect");
    QTest::addColumn<QRectF>("footerRect");
    QTest::addColumn<int>("captionPointSize");
    QTest::addColumn<int>("footerPointSize");

    QTest::newRow("action button 240x50")
        << QSize(240, 50) << 1.0 << QRectF(10, 6, 204, 10) << QRectF(8, 17, 206, 19)
        << QRectF(8, 36, 206, 9) << 8 << 6;
    QTest::newRow("count tile 160x90")
        << QSize(160, 90) << 2.0 << QRectF(15, 6, 130, 21) << QRectF(11, 28, 134, 38)
        << QRectF(11, 66, 134, 19) << 16 << 13;
    QTest::newRow("warning tile 760x60")
        << QSize(760, 60) << 1.0 << QRectF(10, 6, 672, 13) << QRectF(8, 20, 674, 23)
        << QRectF(8, 43, 674, 11) << 10 << 7;
    QTest::newRow("path tile 760x50")
        << QSize(760, 50) << 1.0 << QRectF(10, 6, 672, 10) << QRectF(8, 17, 674, 19)
        << QRectF(8, 36, 674, 9) << 8 << 6;
}

void TestPkButton::layout()
{
    QFETCH(QSize, size);
    QFETCH(double, unit);
    QFETCH(QRectF, captionRect);
    QFETCH(QRectF, mainTextRect);
    QFETCH(QRectF, footerRect);
    QFETCH(int, captionPointSize);
    QFETCH(int, footerPointSize);

    PkButton button(0, QStringLiteral("standard"));
    layOut(button, size);

    QCOMPARE(button.getUnit(), unit);
    QCOMPARE(button.getCaptionRect(), captionRect);
    QCOMPARE(button.getMainTextRect(), mainTextRect);
    QCOMPARE(button.getFooterRect(), footerRect);
    QCOMPARE(button.getCaptionFont().pointSize(), captionPointSize);
    QCOMPARE(button.getFooterFont().pointSize(), footerPointSize);
    QCOMPARE(button.getCaptionFont().family(), QStringLiteral("Bender"));
    QCOMPARE(button.getCaptionFont().weight(), QFont::Bold);
    QCOMPARE(button.getFooterFont().family(), QStringLiteral("Bender"));
    QCOMPARE(button.getFooterFont().weight(), QFont::Bold);
}

void TestPkButton::unitFollowsHeight_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("unit");

    QTest::newRow("height 1") << 1 << 1.0;
    QTest::newRow("height 66, last of unit 1") << 66 << 1.0;
    QTest::newRow("height 67, first of unit 2") << 67 << 2.0;
    QTest::newRow("height 133, last of unit 2") << 133 << 2.0;
    QTest::newRow("height 134, first of unit 3") << 134 << 3.0;
}

void TestPkButton::unitFollowsHeight()
{
    QFETCH(int, height);
    QFETCH(double, unit);

    PointSizeWarningFilter quiet;
    PkButton button(0, QStringLiteral("standard"));
    layOut(button, QSize(200, height));
    QCOMPARE(button.getUnit(), unit);
}

void TestPkButton::fontSizeTruncates_data()
{
    QTest::addColumn<double>("requested");
    QTest::addColumn<int>("pointSize");

    QTest::newRow("14.9 drops the fraction") << 14.9 << 14;
    QTest::newRow("whole size") << 30.0 << 30;
    QTest::newRow("just below the next size") << 15.999 << 15;
}

void TestPkButton::fontSizeTruncates()
{
    QFETCH(double, requested);
    QFETCH(int, pointSize);

    PkButton button(0, QStringLiteral("standard"));
    layOut(button, QSize(240, 50));
    button.setFontSize(requested);

    const QFont font = button.getMainFont();
    QCOMPARE(font.pointSize(), pointSize);
    QCOMPARE(font.family(), QStringLiteral("Bender"));
    QCOMPARE(font.weight(), QFont::Bold);
    QVERIFY(!font.italic());
}

void TestPkButton::stateDarkensOnlyMainText_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("darkened");

    QTest::newRow("disabled") << QStringLiteral("disabled") << true;
    QTest::newRow("capitalised Disabled") << QStringLiteral("Disabled") << false;
    QTest::newRow("upper case DISABLED") << QStringLiteral("DISABLED") << false;
    QTest::newRow("trailing blank") << QStringLiteral("disabled ") << false;
    QTest::newRow("empty state") << QString() << false;
}

void TestPkButton::stateDarkensOnlyMainText()
{
    QFETCH(QString, state);
    QFETCH(bool, darkened);

    const QColor textColor = tools.getColor(QStringLiteral("marker"));
    const QColor darkColor = tools.getColorDark(textColor);
    const QColor captionColor = tools.getColor(QStringLiteral("gray9"));
    const QColor background(0, 90, 200);

    PkButton button(0, QStringLiteral("standard"));
    layOut(button, QSize(160, 90));
    button.setFontSize(30);
    button.setCaption(QStringLiteral(" Selected"), captionColor);
    button.setMainText(QStringLiteral("HMW"), textColor);
    const QImage normal = renderOn(button, background);

    button.setState(state);
    const QImage stated = renderOn(button, background);

    QCOMPARE(button.getMainTextPaintColor(), darkened ? darkColor : textColor);
    QVERIFY(containsColor(normal, textColor.rgb()));
    QCOMPARE(containsColor(stated, textColor.rgb()), !darkened);
    QCOMPARE(containsColor(stated, darkColor.rgb()), darkened);

    // Everything outside the main text's box, the caption included, is untouched.
    const QRect mainBox = button.getMainTextRect().toRect();
    for (int y = 0; y < normal.height(); ++y) {
        for (int x = 0; x < normal.width(); ++x) {
            if (!mainBox.contains(x, y) && normal.pixel(x, y) != stated.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) changed").arg(x).arg(y)));
        }
    }
}

void TestPkButton::interactionLeavesLookAlone()
{
    const QColor background(30, 160, 60);
    PkButton button(0, QStringLiteral("standard"));
    layOut(button, QSize(240, 50));
    button.setFontSize(14);
    button.setMainText(QStringLiteral("Start"), tools.getColor(QStringLiteral("gray7")));
    const QImage plain = renderOn(button, background);

    button.setDown(true);
    QCOMPARE(renderOn(button, background), plain);
    button.setDown(false);

    button.setCheckable(true);
    button.setChecked(true);
    QCOMPARE(renderOn(button, background), plain);

    button.setEnabled(false);
    QCOMPARE(renderOn(button, background), plain);
}

void TestPkButton::pixelProbes_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QString>("expected"); // a palette name, or "plate"

    // 240x50 button: unit 1, frame from (5, 5) to (234, 44), bracket mark's
    // square from (226, 36) to (234, 44), corner arms 4 and 5 pixels long.
    QTest::newRow("plate in the middle") << QPoint(120, 40) << QStringLiteral("plate");
    QTest::newRow("frame top") << QPoint(120, 5) << QStringLiteral("gray4");
    QTest::newRow("frame left") << QPoint(5, 25) << QStringLiteral("gray4");
    QTest::newRow("frame right") << QPoint(234, 25) << QStringLiteral("gray4");
    QTest::newRow("frame bottom") << QPoint(120, 44) << QStringLiteral("gray4");
    QTest::newRow("inside corner triangle") << QPoint(7, 7) << QStringLiteral("gray4");
    QTest::newRow("past corner triangle") << QPoint(12, 12) << QStringLiteral("plate");
    QTest::newRow("bracket mark top edge") << QPoint(230, 36) << QStringLiteral("gray2.5");
    QTest::newRow("bracket mark left edge") << QPoint(226, 40) << QStringLiteral("gray2.5");
    QTest::newRow("inside bracket mark") << QPoint(230, 40) << QStringLiteral("plate");
    QTest::newRow("top-left bracket") << QPoint(0, 2) << QStringLiteral("gray4");
    QTest::newRow("top-right bracket") << QPoint(239, 3) << QStringLiteral("gray4");
    QTest::newRow("bottom-right bracket") << QPoint(236, 49) << QStringLiteral("gray4");
    QTest::newRow("bottom-left bracket") << QPoint(0, 46) << QStringLiteral("gray4");
    QTest::newRow("left edge between brackets") << QPoint(0, 25) << QStringLiteral("plate");
    QTest::newRow("top edge between brackets") << QPoint(120, 0) << QStringLiteral("plate");
}

void TestPkButton::pixelProbes()
{
    QFETCH(QPoint, point);
    QFETCH(QString, expected);

    const QColor background(0, 128, 255);
    PkButton button(0, QStringLiteral("standard"));
    layOut(button, QSize(240, 50));
    const QImage image = renderOn(button, background);

    QColor want;
    if (expected == QLatin1String("plate")) {
        // gray1 at alpha 80 over the background.
        const QColor gray1 = tools.getColor(QStringLiteral("gray1"));
        auto blend = [](int top, int bottom) { return (top * 80 + bottom * 175) / 255; };
        want = QColor(blend(gray1.red(), background.red()), blend(gray1.green(), background.green()),
                      blend(gray1.blue(), background.blue()));
    } else {
        want = tools.getColor(expected);
    }
    const QColor got = image.pixelColor(point);
    QVERIFY2(near(got, want),
             qPrintable(QStringLiteral("got %1, want %2").arg(got.name(), want.name())));
}

void TestPkButton::clickOrder()
{
    PkButton button(7, QStringLiteral("standard"));
    button.setMainText(QStringLiteral("Start"), tools.getColor(QStringLiteral("gray7")));

    QSignalSpy baseSpy(&button, &QAbstractButton::clicked);
    QSignalSpy idSpy(&button, &PkButton::clicked);
    QStringList order;
    connect(&button, &PkButton::clicked, this,
            [&](int, const QString &) { order << QStringLiteral("id"); });
    connect(&button, &QAbstractButton::clicked, this,
            [&](bool) { order << QStringLiteral("base"); });

    button.click();

    QCOMPARE(baseSpy.count(), 1);
    QCOMPARE(idSpy.count(), 1);
    QCOMPARE(idSpy.at(0).at(0).toInt(), 7);
    QCOMPARE(idSpy.at(0).at(1).toString(), QStringLiteral("Start"));
    // The button's own receiver of the base signal, connected when it was
    // built, re-emits; so the id signal is delivered within the base signal,
    // ahead of every receiver connected to the base signal afterwards.
    QCOMPARE(order, QStringList({QStringLiteral("id"), QStringLiteral("base")}));
}

void TestPkButton::clickCarriesTextOfTheClick()
{
    const QColor color = tools.getColor(QStringLiteral("gray7"));
    PkButton button(3, QStringLiteral("standard"));
    button.setMainText(QStringLiteral("Select text file"), color);

    QStringList seen;
    // The first receiver relabels the button; the second must still be told
    // which label was clicked.
    connect(&button, &PkButton::clicked, this, [&](int, const QString &) {
        button.setMainText(QStringLiteral("Select image folder"), color);
    });
    connect(&button, &PkButton::clicked, this, [&](int, const QString &text) { seen << text; });

    button.click();
    button.click();

    QCOMPARE(seen, QStringList({QStringLiteral("Select text file"),
                                QStringLiteral("Select image folder")}));
}

void TestPkButton::tinySizesPaint_data()
{
    QTest::addColumn<QSize>("size");

    QTest::newRow("0x0") << QSize(0, 0);
    QTest::newRow("1x1") << QSize(1, 1);
    QTest::newRow("10x10, font sizes of 0") << QSize(10, 10);
    QTest::newRow("wide and 3 high") << QSize(300, 3);
    QTest::newRow("narrow and tall") << QSize(2, 200);
}

void TestPkButton::tinySizesPaint()
{
    QFETCH(QSize, size);

    PointSizeWarningFilter quiet;
    PkButton button(0, QStringLiteral("standard"));
    button.setFontSize(14);
    button.setCaption(QStringLiteral(" Selected"), tools.getColor(QStringLiteral("gray8")));
    button.setMainText(QStringLiteral("12"), tools.getColor(QStringLiteral("gray7")));
    button.setFooterText(QStringLiteral("3 not found"), tools.getColor(QStringLiteral("gray5")));
    layOut(button, size);

    const QPixmap pixmap = button.grab();
    QCOMPARE(pixmap.size(), size);
    if (!size.isEmpty()) {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::white);
        button.render(&image);
    }
}

void TestPkButton::accessibleName_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("mainText");
    QTest::addColumn<QString>("name");

    QTest::newRow("action button") << QString() << QStringLiteral("Select text file")
                                   << QStringLiteral("Select text file");
    QTest::newRow("count tile") << QStringLiteral(" Selected") << QStringLiteral("12")
                                << QStringLiteral("Selected: 12");
    QTest::newRow("tile before it has a value") << QStringLiteral(" Text file") << QString()
                                                << QStringLiteral("Text file");
}

void TestPkButton::accessibleName()
{
    QFETCH(QString, caption);
    QFETCH(QString, mainText);
    QFETCH(QString, name);

    const QColor color = tools.getColor(QStringLiteral("gray7"));
    PkButton button(0, QStringLiteral("standard"));
    button.setMainText(QStringLiteral("stale"), color);
    if (!caption.isEmpty())
        button.setCaption(caption, color);
    button.setMainText(mainText, color);

    QCOMPARE(button.accessibleName(), name);
    // The base class's text would be painted by other styles; it stays unused.
    QVERIFY(button.text().isEmpty());
}

void TestPkButton::spaceActivates()
{
    PkButton button(5, QStringLiteral("standard"));
    button.setMainText(QStringLiteral("Start"), tools.getColor(QStringLiteral("gray7")));
    QCOMPARE(button.focusPolicy(), Qt::StrongFocus);

    QSignalSpy idSpy(&button, &PkButton::clicked);
    QTest::keyClick(&button, Qt::Key_Space);

    QCOMPARE(idSpy.count(), 1);
    QCOMPARE(idSpy.at(0).at(0).toInt(), 5);
}

QTEST_MAIN(TestPkButton)
#include "tst_pkbutton.moc"
