// SPDX-License-Identifier: MIT

#include "pwtools.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStandardItem>
#include <QStandardItemModel>
#include <QtTest>

#include <climits>

namespace {

struct CapturedMessage
{
    QtMsgType type;
    QString category;
    bool hasFileOrLine;
    QString text;
};

QList<CapturedMessage> capturedMessages;

void captureMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    capturedMessages.append({type, QString::fromLatin1(context.category),
                             context.file != nullptr || context.line != 0, text});
}

// Collects the debug messages written while it lives.
class MessageCapture
{
public:
    MessageCapture()
    {
        capturedMessages.clear();
        previous = qInstallMessageHandler(captureMessage);
    }
    ~MessageCapture() { qInstallMessageHandler(previous); }
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

private:
    QtMessageHandler previous = nullptr;
};

// The time stamp changes from run to run; the rest of a message must not.
const QRegularExpression stampedMessage(
        QStringLiteral("^\"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d,\\d{3}\" (.*)$"));

QString withoutTimeStamp(const QString &message)
{
    const QRegularExpressionMatch match = stampedMessage.match(message);
    return match.hasMatch() ? match.captured(1) : QStringLiteral("<no time stamp> ") + message;
}

const QString noItem; // a null string in a table row stands for a cell without an item

} // namespace

class tst_PwTools : public QObject
{
    Q_OBJECT

private slots:
    void paletteColor_data();
    void paletteColor();
    void unknownNameIsOpaqueWhite_data();
    void unknownNameIsOpaqueWhite();
    void darkVariant_data();
    void darkVariant();
    void lightVariant_data();
    void lightVariant();

    void cssLabel_data();
    void cssLabel();
    void cssTextEdit();

    void timeStampFormat_data();
    void timeStampFormat();
    void timeStampIsNow();
    void debugData_data();
    void debugData();

    void fontCellSize_data();
    void fontCellSize();
    void fontSizeForWidth_data();
    void fontSizeForWidth();

private:
    PwTools tools;
};

void tst_PwTools::paletteColor_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");

    const struct { const char *name; int r, g, b; } rows[] = {
        {"gray0", 10, 10, 10},      {"gray0.5", 15, 15, 15},    {"gray1", 20, 20, 20},
        {"gray1.5", 30, 30, 30},    {"gray2", 40, 40, 40},      {"gray2.5", 60, 60, 60},
        {"gray3", 80, 80, 80},      {"gray3.5", 98, 98, 98},    {"gray4", 115, 115, 115},
        {"gray4.5", 133, 133, 133}, {"gray5", 150, 150, 150},   {"gray5.5", 165, 165, 165},
        {"gray6", 180, 180, 180},   {"gray6.5", 195, 195, 195}, {"gray7", 210, 210, 210},
        {"gray7.5", 223, 223, 223}, {"gray8", 235, 235, 235},   {"gray8.5", 243, 243, 243},
        {"gray9", 250, 250, 250},   {"gray9.5", 255, 255, 255}, {"marker", 212, 146, 17},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.r << row.g << row.b;
}

void tst_PwTools::paletteColor()
{
    QFETCH(QString, name);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);

    const QColor color = tools.getColor(name);
    QCOMPARE(color.red(), red);
    QCOMPARE(color.green(), green);
    QCOMPARE(color.blue(), blue);
    QCOMPARE(color.alpha(), 255);
}

void tst_PwTools::unknownNameIsOpaqueWhite_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("empty name") << QString();
    QTest::newRow("capital first letter") << QStringLiteral("Gray1");
    QTest::newRow("leading blank") << QStringLiteral(" gray1");
    QTest::newRow("trailing blank") << QStringLiteral("gray1 ");
    QTest::newRow("step past the end") << QStringLiteral("gray10");
    QTest::newRow("same number, other spelling") << QStringLiteral("gray0.50");
    QTest::newRow("accent in capitals") << QStringLiteral("MARKER");
    QTest::newRow("not a palette name") << QStringLiteral("red");
}

void tst_PwTools::unknownNameIsOpaqueWhite()
{
    QFETCH(QString, name);
    QCOMPARE(tools.getColor(name), QColor(255, 255, 255, 255));
}

void tst_PwTools::darkVariant_data()
{
    QTest::addColumn<QColor>("input");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("value");

    QTest::newRow("gray2 halves to 20") << QColor(40, 40, 40) << -1 << 0 << 20;
    QTest::newRow("white rounds 127.5 up") << QColor(255, 255, 255) << -1 << 0 << 128;
    QTest::newRow("black stays black") << QColor(0, 0, 0) << -1 << 0 << 0;
    QTest::newRow("half-transparent marker") << QColor(212, 146, 17, 128) << 39 << 235 << 106;
    QTest::newRow("transparent grey") << QColor(80, 80, 80, 0) << -1 << 0 << 40;
}

void tst_PwTools::darkVariant()
{
    QFETCH(QColor, input);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, value);

    const QColor dark = tools.getColorDark(input);
    QCOMPARE(dark.hsvHue(), hue);
    QCOMPARE(dark.hsvSaturation(), saturation);
    QCOMPARE(dark.value(), value);
    QCOMPARE(dark.alpha(), 255);
    if (hue == -1)
        QCOMPARE(dark.rgb(), qRgb(value, value, value));
}

void tst_PwTools::lightVariant_data()
{
    QTest::addColumn<QColor>("input");
    QTest::addColumn<int>("hue");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("value");

    QTest::newRow("gray2 rounds 115.25 down") << QColor(40, 40, 40) << -1 << 0 << 115;
    QTest::newRow("white stays white") << QColor(255, 255, 255) << -1 << 0 << 255;
    QTest::newRow("black rounds 89.25 down") << QColor(0, 0, 0) << -1 << 0 << 89;
    QTest::newRow("half-transparent marker") << QColor(212, 146, 17, 128) << 39 << 141 << 227;
    QTest::newRow("half-transparent grey") << QColor(40, 40, 40, 128) << -1 << 0 << 115;
}

void tst_PwTools::lightVariant()
{
    QFETCH(QColor, input);
    QFETCH(int, hue);
    QFETCH(int, saturation);
    QFETCH(int, value);

    const QColor light = tools.getColorLight(input);
    QCOMPARE(light.hsvHue(), hue);
    QCOMPARE(light.hsvSaturation(), saturation);
    QCOMPARE(light.value(), value);
    QCOMPARE(light.alpha(), 255);
    if (hue == -1)
        QCOMPARE(light.rgb(), qRgb(value, value, value));
}

void tst_PwTools::cssLabel_data()
{
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<double>("size");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("expected");

    const QColor gray5(150, 150, 150);
    const QColor clear(0, 0, 0, 0);
    const auto label = [](const char *size) {
        return QStringLiteral("QLabel { font-family:Bender; color:rgba(150,150,150,255); "
                              "background-color:rgba(0,0,0,0); font-size:%1px; }")
                .arg(QLatin1String(size));
    };

    QTest::newRow("main window notice label") << gray5 << clear << 12.0 << "Bender" << label("12");
    QTest::newRow("empty family")
            << gray5 << clear << 12.0 << QString()
            << QStringLiteral("QLabel { font-family:; color:rgba(150,150,150,255); "
                              "background-color:rgba(0,0,0,0); font-size:12px; }");
    QTest::newRow("family inserted as it stands")
            << gray5 << clear << 12.0 << QStringLiteral("Bender Bold; x")
            << QStringLiteral("QLabel { font-family:Bender Bold; x; color:rgba(150,150,150,255); "
                              "background-color:rgba(0,0,0,0); font-size:12px; }");
    QTest::newRow("alphas as integers")
            << QColor(212, 146, 17, 128) << QColor(10, 20, 30, 1) << 9.0 << "Bender"
            << QStringLiteral("QLabel { font-family:Bender; color:rgba(212,146,17,128); "
                              "background-color:rgba(10,20,30,1); font-size:9px; }");
    QTest::newRow("12.4 rounds down") << gray5 << clear << 12.4 << "Bender" << label("12");
    QTest::newRow("12.5 rounds up") << gray5 << clear << 12.5 << "Bender" << label("13");
    QTest::newRow("0.5 rounds up") << gray5 << clear << 0.5 << "Bender" << label("1");
    QTest::newRow("2.5 rounds up, not to even") << gray5 << clear << 2.5 << "Bender" << label("3");
    QTest::newRow("0.4 gives 0") << gray5 << clear << 0.4 << "Bender" << label("0");
    QTest::newRow("-0.4 gives 0, not -0") << gray5 << clear << -0.4 << "Bender" << label("0");
    QTest::newRow("negative keeps its sign") << gray5 << clear << -3.0 << "Bender" << label("-3");
    QTest::newRow("negative half away from zero") << gray5 << clear << -2.5 << "Bender" << label("-3");
    QTest::newRow("large size without exponent") << gray5 << clear << 1e7 << "Bender" << label("10000000");
}

void tst_PwTools::cssLabel()
{
    QFETCH(QColor, text);
    QFETCH(QColor, background);
    QFETCH(double, size);
    QFETCH(QString, family);
    QFETCH(QString, expected);

    QCOMPARE(tools.getCSSLabel(text, background, size, family), expected);
}

void tst_PwTools::cssTextEdit()
{
    const QString expected = QStringLiteral(
            "QLineEdit { font-family:Consolas; color:rgba(255,255,255,255); "
            "background: rgba(40,40,40,255); selection-background-color: rgba(212,146,17,255); "
            "border: 1px solid rgba(150,150,150,255); font-size:14px; }");

    MessageCapture capture;
    const QString css = tools.getCSSTextEdit(tools.getColor("gray9.5"), tools.getColor("gray2"),
                                             tools.getColor("marker"), tools.getColor("gray5"), 1,
                                             14, QStringLiteral("Consolas"));
    const QList<CapturedMessage> messages = capturedMessages;

    QCOMPARE(css, expected);
    QCOMPARE(messages.size(), 2);
    for (const CapturedMessage &message : messages) {
        QCOMPARE(message.type, QtDebugMsg);
        QCOMPARE(message.category, QStringLiteral("default"));
        QVERIFY(!message.hasFileOrLine);
    }
    QCOMPARE(withoutTimeStamp(messages.at(0).text), QStringLiteral("PwTools::getCSSTextEdit:"));
    QCOMPARE(messages.at(1).text, QLatin1Char('"') + expected + QLatin1Char('"'));
}

void tst_PwTools::timeStampFormat_data()
{
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("expected");

    QTest::newRow("padded fields just after new year")
            << QDateTime(QDate(2027, 1, 1), QTime(0, 0, 9, 5)) << "2027-01-01 00:00:09,005";
    QTest::newRow("24-hour clock, last millisecond")
            << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 999)) << "2026-12-06 23:59:59,999";
    QTest::newRow("afternoon is not 12-hour")
            << QDateTime(QDate(2026, 7, 15), QTime(13, 36, 47, 120)) << "2026-07-15 13:36:47,120";
}

void tst_PwTools::timeStampFormat()
{
    QFETCH(QDateTime, moment);
    QFETCH(QString, expected);
    QCOMPARE(PwTools::formatTimeStamp(moment), expected);
}

void tst_PwTools::timeStampIsNow()
{
    const QDateTime before = QDateTime::currentDateTime().addMSecs(-1);
    const QString stamp = tools.getTimeStamp();
    const QDateTime after = QDateTime::currentDateTime().addMSecs(1);

    const QDateTime parsed =
            QDateTime::fromString(stamp, QStringLiteral("yyyy-MM-dd hh:mm:ss,zzz"));
    QVERIFY2(parsed.isValid(), qPrintable(stamp));
    QVERIFY2(parsed >= before && parsed <= after, qPrintable(stamp));
}

void tst_PwTools::debugData_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<QList<QStringList>>("rows");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("end");
    QTest::addColumn<QStringList>("expected");

    const QList<QStringList> table = {
        {"ID", "File"}, {"1001", "a_1001.jpg"}, {"1002", "b_1002.jpg"}, {"1003", "c_1003.jpg"}};
    const QString head = QStringLiteral("PwTools::debugData: head = QList(\"ID\", \"File\")");
    const auto data = [](const char *id, const char *file) {
        return QStringLiteral("PwTools::debugData: data = QList(\"%1\", \"%2\")")
                .arg(QLatin1String(id), QLatin1String(file));
    };

    QTest::newRow("from row 0: no head")
            << 2 << table << 0 << 2 << QStringList{data("ID", "File"), data("1001", "a_1001.jpg")};
    QTest::newRow("head, then data rows")
            << 2 << table << 1 << 3
            << QStringList{head, data("1001", "a_1001.jpg"), data("1002", "b_1002.jpg")};
    QTest::newRow("empty range after row 0: head only") << 2 << table << 1 << 1 << QStringList{head};
    QTest::newRow("end before first: head only") << 2 << table << 3 << 1 << QStringList{head};
    QTest::newRow("end at 0 from row 0: nothing") << 2 << table << 0 << 0 << QStringList();
    QTest::newRow("end past the last row")
            << 2 << table << 2 << 100
            << QStringList{head, data("1002", "b_1002.jpg"), data("1003", "c_1003.jpg")};
    QTest::newRow("first row past the end: head only") << 2 << table << 9 << 12 << QStringList{head};
    QTest::newRow("negative first row counts from 0")
            << 2 << table << -3 << 1 << QStringList{data("ID", "File")};
    QTest::newRow("model without columns")
            << 0 << QList<QStringList>{{}, {}} << 1 << 2
            << QStringList{QStringLiteral("PwTools::debugData: head = QList()"),
                           QStringLiteral("PwTools::debugData: data = QList()")};
    QTest::newRow("cell without an item prints empty text")
            << 2 << QList<QStringList>{{"ID", noItem}, {noItem, "x.jpg"}} << 1 << 2
            << QStringList{QStringLiteral("PwTools::debugData: head = QList(\"ID\", \"\")"),
                           QStringLiteral("PwTools::debugData: data = QList(\"\", \"x.jpg\")")};
    QTest::newRow("quotes in a text are escaped")
            << 1 << QList<QStringList>{{"say \"hi\""}} << 0 << 1
            << QStringList{QStringLiteral("PwTools::debugData: data = QList(\"say \\\"hi\\\"\")")};
}

void tst_PwTools::debugData()
{
    QFETCH(int, columns);
    QFETCH(QList<QStringList>, rows);
    QFETCH(int, first);
    QFETCH(int, end);
    QFETCH(QStringList, expected);

    QStandardItemModel model(rows.size(), columns);
    for (int row = 0; row < rows.size(); ++row) {
        for (int column = 0; column < rows.at(row).size(); ++column) {
            const QString &text = rows.at(row).at(column);
            if (!text.isNull())
                model.setItem(row, column, new QStandardItem(text));
        }
    }

    MessageCapture capture;
    tools.debugData(&model, first, end);
    const QList<CapturedMessage> messages = capturedMessages;

    QStringList texts;
    for (const CapturedMessage &message : messages) {
        QCOMPARE(message.type, QtDebugMsg);
        QCOMPARE(message.category, QStringLiteral("default"));
        QVERIFY(!message.hasFileOrLine);
        texts.append(withoutTimeStamp(message.text));
    }
    QCOMPARE(texts, expected);
}

void tst_PwTools::fontCellSize_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("points");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");

    QTest::newRow("Consolas 28 pt") << "Consolas" << 28.0 << 20.000000000000036 << 43.00000000000012;
    QTest::newRow("Consolas 0 pt") << "Consolas" << 0.0 << 0.0 << 0.0;
    QTest::newRow("lower-case family") << "consolas" << 28.0 << 0.0 << 0.0;
    QTest::newRow("family with trailing blank") << "Consolas " << 28.0 << 0.0 << 0.0;
    QTest::newRow("other family") << "Bender" << 28.0 << 0.0 << 0.0;
}

void tst_PwTools::fontCellSize()
{
    QFETCH(QString, family);
    QFETCH(double, points);
    QFETCH(double, width);
    QFETCH(double, height);

    // Exact comparison on purpose: the rounded factors show in the last digits.
    const QSizeF cell = tools.getFontCellSize(family, points);
    QVERIFY2(cell.width() == width, qPrintable(QString::number(cell.width(), 'g', 17)));
    QVERIFY2(cell.height() == height, qPrintable(QString::number(cell.height(), 'g', 17)));
}

void tst_PwTools::fontSizeForWidth_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("characters");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("expected");

    QTest::newRow("one character, 20 px: 27.99... floors to 27") << "Consolas" << 1 << 20 << 27;
    QTest::newRow("7 characters, 100 px") << "Consolas" << 7 << 100 << 19;
    QTest::newRow("width divided in integers first") << "Consolas" << 3 << 62 << 27;
    QTest::newRow("no width") << "Consolas" << 1 << 0 << 0;
    QTest::newRow("no characters") << "Consolas" << 0 << 100 << 0;
    QTest::newRow("negative character count") << "Consolas" << -1 << 100 << 0;
    QTest::newRow("result beyond int is clamped") << "Consolas" << 1 << INT_MAX << INT_MAX;
    QTest::newRow("lower-case family") << "consolas" << 1 << 20 << 0;
    QTest::newRow("other family") << "Bender" << 1 << 20 << 0;
}

void tst_PwTools::fontSizeForWidth()
{
    QFETCH(QString, family);
    QFETCH(int, characters);
    QFETCH(int, width);
    QFETCH(int, expected);

    QCOMPARE(tools.getFontSizeForWidth(family, characters, width), expected);
}

QTEST_GUILESS_MAIN(tst_PwTools)
#include "tst_pwtools.moc"
