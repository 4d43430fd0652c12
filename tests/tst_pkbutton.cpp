// SPDX-License-Identifier: MIT

#include "pkbutton.h"
#include "pklooktest.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

class TestPkButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { PkLookTest::drawsAsBefore(); } // the fonts there before any widget
    void look_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QList<QRectF>>("boxes"); // caption, main text, footer
        QTest::addColumn<QList<QFont>>("fonts"); // caption, footer
        QTest::addColumn<QList<int>>("arms"); // corner brackets, see below
        const auto bold = [](int pointSize) { return QFont("Bender", pointSize, QFont::Bold); };

        QTest::newRow("button") << QSize(240, 50) << QList<QRectF>{{10, 6, 204, 10}, {8, 17, 206, 19}, {8, 36, 206, 9}}
                                << QList<QFont>{bold(8), bold(6)} << QList<int>{5, 5, 5, 6, 6, 6, 6, 6};
        QTest::newRow("tile") << QSize(160, 90) << QList<QRectF>{{15, 6, 130, 21}, {11, 28, 134, 38}, {11, 66, 134, 19}}
                              << QList<QFont>{bold(16), bold(13)} << QList<int>{9, 9, 10, 10, 11, 11, 10, 11};
    }

    // The boxes and fonts are the ones the texts are made to fit; the corner brackets are painted without
    // antialiasing, so their lengths show and must stay exact.
    void look()
    {
        QFETCH(QSize, size);
        PkButton button(0, "standard");
        button.resize(size);
        const QImage image = button.grab().toImage();
        QTEST(QList<QRectF>({button.getCaptionRect(), button.getMainTextRect(), button.getFooterRect()}), "boxes");
        QTEST(QList<QFont>({button.getCaptionFont(), button.getFooterFont()}), "fonts");

        // Painted pixels from each corner (top left, top right, bottom right, bottom left) along the edges.
        QList<int> arms;
        for (QPoint from : {QPoint(), image.rect().topRight(), image.rect().bottomRight(), image.rect().bottomLeft()}) {
            for (QPoint step : {QPoint(from.x() ? -1 : 1, 0), QPoint(0, from.y() ? -1 : 1)}) {
                int length = 0;
                while (image.pixelColor(from + length * step) == QColor(115, 115, 115)) // the frame's gray4
                    ++length;
                arms << length;
            }
        }
        QTEST(arms, "arms");
    }

    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("toolTip");
        const QString longPath = "/media/card/" + QString(200, 'x') + "/IMG_2403.jpg";
        QTest::newRow("a short path whole") << "/home/p/list.txt" << "/home/p/list.txt";
        QTest::newRow("a long path elided") << longPath << longPath;
        QTest::newRow("a path that looks like markup") << "/p/<b>list</b>.txt" << "<p>/p/&lt;b&gt;list&lt;/b&gt;.txt</p>";
    }

    // A path tile keeps both ends of a path on its one line, the whole in its tooltip; a tooltip on
    // screen goes when the tile's changes.
    void paths()
    {
        QFETCH(QString, path);
        PkButton tile(0, "standard");
        tile.setFixedSize(760, 50);
        tile.recalculateLayout();
        tile.setElideMode(Qt::ElideMiddle);
        tile.setMainText(path, Qt::lightGray);
        QTEST(tile.toolTip(), "toolTip");
        QVERIFY(PkLookTest::looksAsBefore(&tile, QTest::currentDataTag()));
        const QString shown = tile.getShownMainText();
        QVERIFY(QFontMetricsF(tile.getMainFont()).horizontalAdvance(shown) <= tile.getMainTextRect().width());
        QCOMPARE(shown == path, path.size() < 100);
        QVERIFY(shown.startsWith(path.left(12)) && shown.endsWith(path.right(12)));
        QToolTip::showText(QPoint(), tile.toolTip(), &tile);
        tile.setMainText("/other", Qt::lightGray);
        QTRY_VERIFY(!QToolTip::isVisible());
    }

    // A count tile as a screen reader and the keyboard meet it, then greyed out.
    void tile()
    {
        PkButton button(7, "standard");
        button.resize(160, 90);
        button.setMainText("Select text file", Qt::lightGray);
        QCOMPARE(button.accessibleName(), "Select text file");
        button.setCaption(" Selected", Qt::lightGray);
        button.setMainText("12", Qt::lightGray);
        button.setFooterText("3 not found", Qt::lightGray);
        QCOMPARE(button.accessibleName(), "Selected: 12");
        QCOMPARE(button.accessibleDescription(), "3 not found");

        // The first receiver relabels the button; later ones must still be told which label was clicked.
        connect(&button, &PkButton::clicked, this, [&] { button.setMainText("relabelled", Qt::lightGray); });
        QSignalSpy clicks(&button, &PkButton::clicked);
        QCOMPARE(button.focusPolicy(), Qt::StrongFocus);
        QTest::keyClick(&button, Qt::Key_Space);
        QCOMPARE(clicks, QList<QVariantList>({{7, "12"}}));

        const QImage normal = button.grab().toImage();
        QVERIFY(PkLookTest::looksAsBefore(&button, "tile"));
        button.setState("disabled");
        const QImage disabled = button.grab().toImage();
        QVERIFY(PkLookTest::looksAsBefore(&button, "tile disabled"));
        // Only the main text darkens, to half its value; the caption keeps its colour.
        QCOMPARE(button.getMainTextPaintColor().name(), "#606060");
        QVERIFY(disabled != normal);
        QCOMPARE(disabled.copy(button.getCaptionRect().toRect()), normal.copy(button.getCaptionRect().toRect()));
    }
};

QTEST_MAIN(TestPkButton)
#include "tst_pkbutton.moc"
