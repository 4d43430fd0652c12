// SPDX-License-Identifier: MIT

#include "pwtools.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QtTest>

#include <climits>

namespace {

QStringList captured;

// Toolkit messages must be plain qDebug() output: category "default", no source
// location. The leading time stamp changes from run to run, so it becomes a
// marker that a message without one would lack.
void capture(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    static const QRegularExpression stamp(QStringLiteral(R"(^"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3}")"));
    const bool plain = type == QtDebugMsg && qstrcmp(context.category, "default") == 0 && !context.file && !context.line;
    captured << (plain ? QString() : QStringLiteral("[not plain debug] ")) + QString(text).replace(stamp, "<stamp>");
}

} // namespace

class tst_PwTools : public QObject
{
    Q_OBJECT

private slots:
    void init() { captured.clear(); previousHandler = qInstallMessageHandler(capture); }
    void cleanup() { qInstallMessageHandler(previousHandler); }

    void color_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("expected");
        const struct { const char *name; int r, g, b; } palette[] = {
            {"gray0", 10, 10, 10},      {"gray0.5", 15, 15, 15},    {"gray1", 20, 20, 20},
            {"gray1.5", 30, 30, 30},    {"gray2", 40, 40, 40},      {"gray2.5", 60, 60, 60},
            {"gray3", 80, 80, 80},      {"gray3.5", 98, 98, 98},    {"gray4", 115, 115, 115},
            {"gray4.5", 133, 133, 133}, {"gray5", 150, 150, 150},   {"gray5.5", 165, 165, 165},
            {"gray6", 180, 180, 180},   {"gray6.5", 195, 195, 195}, {"gray7", 210, 210, 210},
            {"gray7.5", 223, 223, 223}, {"gray8", 235, 235, 235},   {"gray8.5", 243, 243, 243},
            {"gray9", 250, 250, 250},   {"gray9.5", 255, 255, 255}, {"marker", 212, 146, 17},
        };
        for (const auto &entry : palette)
            QTest::newRow(entry.name) << QString::fromLatin1(entry.name) << QColor(entry.r, entry.g, entry.b);
        for (const char *name : {"", "Gray1", " gray1", "gray1 ", "gray10", "gray0.50", "MARKER"})
            QTest::addRow("near miss \"%s\" is white", name) << QString::fromLatin1(name) << QColor(Qt::white);
    }
    void color()
    {
        QFETCH(QString, name);
        QFETCH(QColor, expected);
        QCOMPARE(tools.getColor(name), expected); // alpha included: always opaque
    }

    void variants_data()
    {
        QTest::addColumn<QColor>("input");
        QTest::addColumn<QList<int>>("dark"); // hue, saturation, value, alpha
        QTest::addColumn<QList<int>>("light");
        using H = QList<int>;
        QTest::newRow("gray2: light 115.25 down") << QColor(40, 40, 40) << H{-1, 0, 20, 255} << H{-1, 0, 115, 255};
        QTest::newRow("white: dark 127.5 up") << QColor(Qt::white) << H{-1, 0, 128, 255} << H{-1, 0, 255, 255};
        QTest::newRow("black: light 89.25 down") << QColor(Qt::black) << H{-1, 0, 0, 255} << H{-1, 0, 89, 255};
        QTest::newRow("half-transparent grey") << QColor(80, 80, 80, 128) << H{-1, 0, 40, 255} << H{-1, 0, 141, 255};
        QTest::newRow("half-transparent marker") << QColor(212, 146, 17, 128) << H{39, 235, 106, 255} << H{39, 141, 227, 255};
    }
    void variants()
    {
        QFETCH(QColor, input);
        QFETCH(QList<int>, dark);
        QFETCH(QList<int>, light);
        const auto hsva = [](QColor c) { return QList<int>{c.hsvHue(), c.hsvSaturation(), c.value(), c.alpha()}; };
        QCOMPARE(hsva(tools.getColorDark(input)), dark);
        QCOMPARE(hsva(tools.getColorLight(input)), light);
    }

    void cssLabel_data()
    {
        QTest::addColumn<double>("size");
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("main window notice label") << 12.0 << "Bender" << "12";
        QTest::newRow("empty family") << 12.0 << "" << "12";
        QTest::newRow("12.4 rounds down") << 12.4 << "Bender" << "12";
        QTest::newRow("12.5 rounds up, not to even") << 12.5 << "Bender" << "13";
        QTest::newRow("0.4 gives 0") << 0.4 << "Bender" << "0";
        QTest::newRow("-0.4 gives 0, not -0") << -0.4 << "Bender" << "0";
        QTest::newRow("negative keeps its sign") << -3.0 << "Bender" << "-3";
        QTest::newRow("large size without exponent") << 1e7 << "Bender" << "10000000";
    }
    void cssLabel()
    {
        QFETCH(double, size);
        QFETCH(QString, family);
        QFETCH(QString, sizeText);
        const QString expected = QStringLiteral("QLabel { font-family:%1; color:rgba(150,150,150,255); "
                                                "background-color:rgba(0,0,0,0); font-size:%2px; }").arg(family, sizeText);
        QCOMPARE(tools.getCSSLabel(tools.getColor("gray5"), QColor(0, 0, 0, 0), size, family), expected);
    }

    void cssTextEdit()
    {
        const QString expected = QStringLiteral("QLineEdit { font-family:Consolas; color:rgba(255,255,255,255); "
                "background: rgba(40,40,40,255); selection-background-color: rgba(212,146,17,255); "
                "border: 1px solid rgba(150,150,150,255); font-size:14px; }");
        QCOMPARE(tools.getCSSTextEdit(Qt::white, tools.getColor("gray2"), tools.getColor("marker"), tools.getColor("gray5"),
                                      1, 14, QStringLiteral("Consolas")), expected);
        QCOMPARE(captured, QStringList({"<stamp> PwTools::getCSSTextEdit:", '"' + expected + '"'}));
    }

    void timeStamp()
    {
        QCOMPARE(PwTools::formatTimeStamp({QDate(2027, 1, 1), QTime(0, 0, 9, 5)}), "2027-01-01 00:00:09,005");
        QCOMPARE(PwTools::formatTimeStamp({QDate(2026, 12, 6), QTime(23, 59, 59, 999)}), "2026-12-06 23:59:59,999");
    }

    void debugData_data()
    {
        using Rows = QList<QStringList>;
        QTest::addColumn<Rows>("rows"); // a null text leaves the cell without an item
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("end");
        QTest::addColumn<QStringList>("expected");
        const Rows table = {{"ID", "File"}, {"1", "a.jpg"}, {"2", "b.jpg"}, {"3", "c.jpg"}};
        const auto line = [](const char *label, const char *list) {
            return QStringLiteral("<stamp> PwTools::debugData: %1 = QList(%2)").arg(QLatin1String(label), QLatin1String(list));
        };
        const QString head = line("head", R"("ID", "File")");
        const QString row0 = line("data", R"("ID", "File")");
        const QString row2 = line("data", R"("2", "b.jpg")");

        QTest::newRow("from row 0: no head") << table << 0 << 2 << QStringList{row0, line("data", R"("1", "a.jpg")")};
        QTest::newRow("head, then data") << table << 1 << 3 << QStringList{head, line("data", R"("1", "a.jpg")"), row2};
        QTest::newRow("end before first: head only") << table << 3 << 1 << QStringList{head};
        QTest::newRow("end past the last row") << table << 2 << 100 << QStringList{head, row2, line("data", R"("3", "c.jpg")")};
        QTest::newRow("negative first row starts at 0") << table << -3 << 1 << QStringList{row0};
        QTest::newRow("model without columns") << Rows{{}, {}} << 1 << 2 << QStringList{line("head", ""), line("data", "")};
        QTest::newRow("cell without an item") << Rows{{"ID", QString()}, {QString(), "x.jpg"}} << 1 << 2
                                              << QStringList{line("head", R"("ID", "")"), line("data", R"("", "x.jpg")")};
    }
    void debugData()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(int, first);
        QFETCH(int, end);
        QFETCH(QStringList, expected);
        QStandardItemModel model(rows.size(), rows.first().size());
        for (int row = 0; row < rows.size(); ++row) {
            for (int column = 0; column < rows.at(row).size(); ++column) {
                if (!rows.at(row).at(column).isNull())
                    model.setItem(row, column, new QStandardItem(rows.at(row).at(column)));
            }
        }
        tools.debugData(&model, first, end);
        QCOMPARE(captured, expected);
    }

    void fontCellSize()
    {
        // The rounded factors show in the last digits, hence the exact comparison.
        const auto exact = [](double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); };
        const QSizeF cell = tools.getFontCellSize(QStringLiteral("Consolas"), 28);
        QCOMPARE(exact(cell.width()), QStringLiteral("20.000000000000036"));
        QCOMPARE(exact(cell.height()), QStringLiteral("43.00000000000012"));
        QCOMPARE(tools.getFontCellSize(QStringLiteral("consolas"), 28), QSizeF(0, 0));
        QCOMPARE(tools.getFontSizeForWidth(QStringLiteral("consolas"), 1, 20), 0);
    }

    void fontSizeForWidth_data()
    {
        QTest::addColumn<int>("characters");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("expected");
        QTest::newRow("1 character, 20 px: 27.99... floors to 27") << 1 << 20 << 27;
        QTest::newRow("7 characters, 100 px") << 7 << 100 << 19;
        QTest::newRow("width divided in integers first") << 3 << 62 << 27;
        QTest::newRow("no width") << 1 << 0 << 0;
        QTest::newRow("no characters") << 0 << 100 << 0;
        QTest::newRow("negative character count") << -1 << 100 << 0;
        QTest::newRow("result beyond int is clamped") << 1 << INT_MAX << INT_MAX;
    }
    void fontSizeForWidth()
    {
        QFETCH(int, characters);
        QFETCH(int, width);
        QFETCH(int, expected);
        QCOMPARE(tools.getFontSizeForWidth(QStringLiteral("Consolas"), characters, width), expected);
    }

private:
    PwTools tools;
    QtMessageHandler previousHandler = nullptr;
};

QTEST_GUILESS_MAIN(tst_PwTools)
#include "tst_pwtools.moc"
