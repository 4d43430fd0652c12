// SPDX-License-Identifier: MIT

#include "pwtools.h"

#include <QStandardItemModel>
#include <QtTest>

static QStringList lines;

class tst_PwTools : public QObject
{
    Q_OBJECT

    PwTools tools;

private slots:
    void styles()
    {
        QStringList colours; // names are exact; unknown ones give white
        for (const char *name : {"gray1", "gray5", "marker", "Gray5", "gray5 ", ""})
            colours << tools.getColor(name).name();
        QCOMPARE(colours.join(' '), "#141414 #969696 #d49211 #ffffff #ffffff #ffffff");
        // Half the value, or lighter in saturation and value; halves rounded away from zero; always opaque.
        QCOMPARE(tools.getColorDark(QColor(255, 255, 255, 128)).name(QColor::HexArgb), "#ff808080");
        QCOMPARE(tools.getColorLight(QColor(212, 146, 17, 128)).name(QColor::HexArgb), "#ffe3b765");

        QCOMPARE(tools.getCSSLabel(tools.getColor("gray5"), QColor(0, 0, 0, 0), 12.4, "Bender"),
                 "QLabel { font-family:Bender; color:rgba(150,150,150,255); "
                 "background-color:rgba(0,0,0,0); font-size:12px; }");
        QStringList sizes; // whole pixels, halves away from zero, never "-0", never an exponent
        for (double size : {12.5, -0.4, -3.0, 1e7})
            sizes << tools.getCSSLabel(Qt::white, Qt::white, size, "Bender").section("font-size:", 1);
        QCOMPARE(sizes.join(' '), "13px; } 0px; } -3px; } 10000000px; }");
    }

    void consolasSizes()
    {
        QCOMPARE(QList<QSizeF>({tools.getFontCellSize("Consolas", 28), tools.getFontCellSize("consolas", 28)}),
                 QList<QSizeF>({{20, 43}, {0, 0}}));
        QList<int> sizes; // the width per character is divided in whole pixels first; no characters fit nothing
        for (auto [count, width] : QList<std::pair<int, int>>{{1, 20}, {7, 100}, {3, 62}, {0, 100}, {-1, 100}})
            sizes << tools.getFontSizeForWidth("Consolas", count, width);
        QCOMPARE(sizes, QList<int>({27, 19, 27, 0, 0}));
        QCOMPARE(tools.getFontSizeForWidth("Consolas", 1, 2147483647), 2147483647); // clamped, not overflowing
    }

    // A time-stamped line per row from the first up to the end, after the head row unless that comes anyway.
    // The messages must be plain qDebug() output: category "default", no source location.
    void debugData()
    {
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &where, const QString &text) {
            const bool plain = type == QtDebugMsg && !qstrcmp(where.category, "default") && !where.file && !where.line;
            lines << (plain ? text : "not plain debug output: " + text);
        });
        QStandardItemModel model;
        model.appendRow({new QStandardItem("ID"), new QStandardItem("File")});
        model.appendRow(new QStandardItem("1")); // no item in the second column
        model.appendRow({new QStandardItem("2"), new QStandardItem("b.jpg")});
        tools.debugData(&model, -3, 2); // from the top
        tools.debugData(&model, 2, 100);
        tools.debugData(nullptr, 0, 5);
        QCOMPARE(lines.replaceInStrings(QRegularExpression(R"(^"[\d-]{10} [\d:]{8},\d{3}" PwTools::debugData: )"), ""),
                 QStringList({R"(data = QList("ID", "File"))", R"(data = QList("1", ""))",
                              R"(head = QList("ID", "File"))", R"(data = QList("2", "b.jpg"))"}));
    }
};

QTEST_GUILESS_MAIN(tst_PwTools)
#include "tst_pwtools.moc"
