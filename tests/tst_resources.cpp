// SPDX-License-Identifier: MIT

#include <QTest>
#include <QtGui>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    // The fonts and pictures travel inside the executable (a missing one fails below), stored as they are:
    // compressing them would only cost start-up time. The fonts are registered as the program does.
    void initTestCase()
    {
        QStringList families;
        for (const char *path : {":/fonts/Quillmark - Bender.otf", ":/fonts/Quillmark - Bender-Bold.otf",
                                 ":/fonts/Consolas.ttf", ":/images/favicon.ico", ":/images/backgroundImage.jpg"}) {
            QCOMPARE(QResource(path).compressionAlgorithm(), QResource::NoCompression);
            families << QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(path));
        }
        QCOMPARE(families, QStringList({"Bender", "Bender", "Consolas"}));
        QCOMPARE(QImage(":/images/favicon.ico").size(), QSize(48, 48));
        QCOMPARE(QImage(":/images/backgroundImage.jpg").size(), QSize(800, 600)); // the window's size
    }

    // The look's contract: each text whole in its box, in width and in height (boxes from the widgets' layouts).
    void textsFitTheirBoxes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QSizeF>("box");
        const auto bold = [](int pointSize) { return QFont("Bender", pointSize, QFont::Bold); };

        QTest::newRow("action button") << "Select image folder" << bold(14) << QSizeF(206, 19);
        QTest::newRow("show copies button") << "Show copies" << bold(15) << QSizeF(206, 19);
        QTest::newRow("tile caption selected") << " Selected" << bold(16) << QSizeF(130, 21);
        QTest::newRow("tile caption to copy") << " To copy" << bold(16) << QSizeF(130, 21);
        QTest::newRow("tile value") << "99999" << bold(30) << QSizeF(134, 38);
        QTest::newRow("tile footer") << "9999 not found" << bold(13) << QSizeF(134, 19);
        QTest::newRow("tile footer ambiguous") << "9999 ambiguous" << bold(13) << QSizeF(134, 19);
        QTest::newRow("tile footer left out") << "9999 left out" << bold(13) << QSizeF(134, 19);
        QTest::newRow("tile footer, three options") << u"picture\u00b7whole\u00b7near"_qs << bold(13) << QSizeF(134, 19);
        QTest::newRow("tile footer, two options") << u"picture \u00b7 whole"_qs << bold(13) << QSizeF(134, 19);
        QTest::newRow("warning caption") << " Warning" << bold(10) << QSizeF(672, 13);
        // The refusals with the way out that follows them.
        for (const char *refusal : {R"(Folder "FilesFromSelection" already exists! Delete it!)",
                                    R"(Folder "FilesFromSelection" is a link! Delete it!)", "Cannot write into this folder!"})
            for (const char *tail : {" Right-click: add the rest.", " Right-click: other folder."})
                QTest::addRow("warning: %s%s", refusal, tail) << QString(refusal) + tail << bold(16) << QSizeF(674, 23);
        QTest::newRow("drive too small") << "Needs 999.9 GB, 999.9 GB free on this drive. Right-click: copy elsewhere."
                                         << bold(16) << QSizeF(674, 23);
        QTest::newRow("unreadable list") << "Cannot read the list: Permission denied" << bold(16) << QSizeF(674, 23);
        QTest::newRow("empty list") << "The list holds no identifier" << bold(16) << QSizeF(674, 23);
        QTest::newRow("output folder locked") << "FilesFromSelection is in use by another Pickwell" << bold(16)
                                              << QSizeF(674, 23);
        QTest::newRow("path tile caption") << " Image path" << bold(8) << QSizeF(672, 10);
        QTest::newRow("percentage") << "100%" << QFont("Bender", 40) << QSizeF(120, 70);
        QTest::newRow("percentage past the total") << "999%" << QFont("Bender", 40) << QSizeF(120, 70);
        QTest::newRow("run summary") << "Stopped: 99999 of 99999 copied, 99999 failed" << QFont("Bender", 14)
                                     << QSizeF(400, 50);
        // The line under the ring, as wide as the text in the window allows.
        QTest::newRow("run stopped: drive full") << "Stopped: the drive is full. 99999 of 99999 copied"
                                                 << QFont("Bender", 14) << QSizeF(400, 50);
        QTest::newRow("verified run, some failed") << "99999 copied and verified, 99999 already there, 99999 failed"
                                                   << QFont("Bender", 14) << QSizeF(600, 50);
        for (const char *why : {"the drive is full", "the destination is gone", "the picture folder is gone",
                                "copies read back different", "the checksum list is not a file"})
            QTest::addRow("run stopped: %s, some failed", why)
                << QStringLiteral("Stopped: %1. 99999 of 99999 copied, 99999 failed").arg(why) << QFont("Bender", 14)
                << QSizeF(600, 50);
    }

    void textsFitTheirBoxes()
    {
        QFETCH(QString, text);
        QFETCH(QFont, font);
        QFETCH(QSizeF, box);
        QCOMPARE(QFontInfo(font).family(), "Bender"); // the shipped faces, not a fallback
        const QFontMetricsF metrics(font);
        const QSizeF size(metrics.horizontalAdvance(text), metrics.height());
        QCOMPARE(size.boundedTo(box), size); // no wider and no higher than the box
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
