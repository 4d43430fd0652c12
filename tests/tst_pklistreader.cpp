// SPDX-License-Identifier: MIT

#include "pklistreader.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Ids = QList<QString>;

// Selection lists as editors and spreadsheets save them, read from real files.
class TestPkListReader : public QObject
{
    Q_OBJECT

private slots:
    void encodings_data();
    void encodings();
    void pathsOfTheWrongKind();
};

void TestPkListReader::encodings_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<Ids>("ids");

    QTest::newRow("UTF-8 byte-order mark, CRLF, blanks kept as empty identifiers, invalid bytes stay UTF-8")
        << QByteArray("\xEF\xBB\xBF" "\nA1\r\n  B  2  \r\n \t \n\tC\xC2\xA0" "3\nB 2\nD\xFF")
        << Ids{"", "A1", "B 2", "", "C 3", "B 2", QString::fromUtf8("D\uFFFD")};
    QTest::newRow("valid UTF-8 is not taken for Windows-1252")
        << QByteArray("M\xC3\xBCller\n\xE2\x82\xAC 5") << Ids{QString::fromUtf8("Müller"), QString::fromUtf8("€ 5")};
    QTest::newRow("Windows-1252: one invalid byte decides for the whole list")
        << QByteArray("M\xC3\xBC\nM\xFCller\r\n\x80")
        << Ids{QString::fromUtf8("MÃ¼"), QString::fromUtf8("Müller"), QString::fromUtf8("€")};
    // "ਅĀਅ" puts a 0x0A byte before a 0x00 byte at an odd offset in both byte orders.
    const QString utf16 = QString::fromUtf8("A1\r\n\r\n ਅĀਅ  ü\r\nB2\r\n");
    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QTest::addRow("UTF-16 %s: byte-order mark, CRLF, blank", encoding == QStringConverter::Utf16LE ? "LE" : "BE")
            << QByteArray(QStringEncoder(encoding, QStringEncoder::Flag::WriteBom)(utf16))
            << Ids{"A1", "", QString::fromUtf8("ਅĀਅ ü"), "B2"};
    }
    QTest::newRow("empty file") << QByteArray() << Ids{};
}

void TestPkListReader::encodings()
{
    QFETCH(QByteArray, list);
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QFile file(dir.filePath("list.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(list) == list.size() && file.flush());
    const PkSelectionList read = PkListReader::readFile(file.fileName());
    QTEST(read.ids, "ids");
    QCOMPARE(read.error, QString());
}

// Reading never hangs and says why a list cannot be read; a missing list is
// just empty. /proc/self/mem opens for anyone, root included, and fails on
// the first read (nothing is mapped at address 0).
void TestPkListReader::pathsOfTheWrongKind()
{
    QTemporaryDir dir;
    QVERIFY2(dir.isValid(), qPrintable(dir.errorString()));
    QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0644), 0);
    const std::pair<QString, QString> lists[] = {{dir.path(), qt_error_string(EISDIR)}, {dir.filePath("gone"), ""},
        {dir.filePath("fifo"), "not a regular file"}, {"/proc/self/mem", qt_error_string(EIO)}};
    for (const auto &[path, error] : lists) {
        const PkSelectionList read = PkListReader::readFile(path);
        QCOMPARE(read.error, error);
        QCOMPARE(read.ids, Ids{});
    }
}

QTEST_GUILESS_MAIN(TestPkListReader)
#include "tst_pklistreader.moc"
