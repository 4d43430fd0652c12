// SPDX-License-Identifier: MIT

#include "pkcsvcolumns.h"
#include "pklistreader.h"
#include "pkwindowtest.h"

#include <QStringEncoder>

#include <sys/stat.h>

using Ids = QList<QString>;

// Blank lines are counted apart from the identifiers; the expected lists hold
// them as empty identifiers where they stand.
static void compareList(const PkSelectionList &read, Ids expected)
{
    Ids ids = read.ids;
    ids.removeAll(QString());
    QCOMPARE(read.count(), expected.size());
    expected.removeAll(QString());
    QCOMPARE(ids, expected);
}

// A list written to a file of the given name in dir, read back.
static PkSelectionList readWritten(const QTemporaryDir &dir, const QString &name, const QByteArray &list)
{
    return PkListReader::readFile(writeTestFile(dir.filePath(name), list));
}

// Selection lists as editors and spreadsheets save them, read from real files.
class TestPkListReader : public QObject
{
    Q_OBJECT

private slots:
    void encodings_data();
    void encodings();
    void pathsOfTheWrongKind();
    void forms_data();
    void forms();
    void pictureNames_data();
    void pictureNames();
    void badInput_data();
    void badInput();
    void smartCollection_data();
    void smartCollection();
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
    QTest::newRow("Windows-1252: one invalid byte decides for the whole list") << QByteArray("M\xC3\xBC\nM\xFCller\r\n\x80")
        << Ids{QString::fromUtf8("MÃ¼"), QString::fromUtf8("Müller"), QString::fromUtf8("€")};
    // "ਅĀਅ" puts a 0x0A byte before a 0x00 byte at an odd offset in both byte orders.
    const QString utf16 = QString::fromUtf8("A1\r\n\r\n ਅĀਅ  ü\r\nB2\r\n");
    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QTest::addRow("UTF-16 %s: byte-order mark, CRLF, blank", encoding == QStringConverter::Utf16LE ? "LE" : "BE")
            << QByteArray(QStringEncoder(encoding, QStringEncoder::Flag::WriteBom)(utf16)) << Ids{"A1", "", QString::fromUtf8("ਅĀਅ ü"), "B2"};
    }
    // Without a byte-order mark: each line once, no NUL left over as a last blank one.
    for (const auto encoding : {QStringConverter::Utf16LE, QStringConverter::Utf16BE}) {
        QTest::addRow("UTF-16 %s without byte-order mark", encoding == QStringConverter::Utf16LE ? "LE" : "BE")
            << QByteArray(QStringEncoder(encoding)(u"A1\r\n\u0424\u043E\u0442\u043E 2\r\n"_qs)) << Ids{"A1", u"\u0424\u043E\u0442\u043E 2"_qs};
    }
    // At either parity: as LE, and as BE.
    QTest::newRow("UTF-16 without mark: half the bytes at one parity zero is too few") << QByteArray("1\0" "23", 4) << Ids{"123"};
    QTest::newRow("UTF-16 without mark: half at the other parity") << QByteArray("\0" "1" "23", 4) << Ids{"123"};
    QTest::newRow("UTF-16 without mark: just over half") << QByteArray("1\0" "2\0" "34", 6) << Ids{u"12\u3433"_qs};
    QTest::newRow("UTF-16 BE without mark: just over half") << QByteArray("\0" "1" "\0" "2" "34", 6) << Ids{u"12\u3334"_qs};
    QTest::newRow("UTF-16 without mark: only the first kilobyte decides")
        << QByteArray(QStringEncoder(QStringConverter::Utf16LE)(u"A1\n"_qs.repeated(200) + u"\u0100" "2"_qs)) << Ids(200, "A1") + Ids{u"\u0100" "2"_qs};
    QTest::newRow("UTF-16 LE with classic Mac line ends")
        << QByteArray(QStringEncoder(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom)(u"A1\r\u0D0A\rB2"_qs))
        << Ids{"A1", QString::fromUtf8("\u0D0A"), "B2"};
}

void TestPkListReader::encodings()
{
    QFETCH(QByteArray, list);
    QTemporaryDir dir;
    QFETCH(Ids, ids);
    const PkSelectionList read = readWritten(dir, "list.txt", list);
    compareList(read, ids);
    QCOMPARE(read.error, QString());
}

// Reading never hangs and says why a list cannot be read; a missing list is
// just empty. /proc/self/mem opens for anyone, root included, and fails on
// the first read (nothing is mapped at address 0).
void TestPkListReader::pathsOfTheWrongKind()
{
    const auto dir = testFolderWithSettings();
    QCOMPARE(::mkfifo(QFile::encodeName(dir->filePath("fifo")).constData(), 0644), 0);
    QFile large(dir->filePath("large")); // sparse, never read
    QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(PkListReader::maxBytes + 1));
    const std::pair<QString, QString> lists[] = {{dir->path(), qt_error_string(EISDIR)}, {dir->filePath("gone"), ""},
        {dir->filePath("fifo"), "not a regular file"}, {"/proc/self/mem", qt_error_string(EIO)}, {large.fileName(), "too large (over 64 MB)"}};
    for (const auto &[path, error] : lists) {
        const PkSelectionList read = PkListReader::readFile(path);
        QCOMPARE(read.error, error);
        QCOMPARE(read.ids, Ids{});
    }
}

// Lists as clients, galleries and spreadsheets write them. Each is read from
// a file of the given name, from its bytes and, unless the name matters, as
// pasted text: the three must agree.
void TestPkListReader::forms_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<Ids>("ids");
    const QString txt = "picks.txt";
    QTest::newRow("gallery comma list") << txt << QByteArray("IMG_1206, IMG_1508, IMG_1777\nDSC01234,DSC01240")
                                        << Ids{"IMG_1206", "IMG_1508", "IMG_1777", "DSC01234", "DSC01240"};
    QTest::newRow("classic Mac line ends, a lone CR") << txt << QByteArray("A1\r\rB 2\r") << Ids{"A1", "", "B 2"};
    QTest::newRow("empty list") << txt << QByteArray() << Ids{};
    QTest::newRow("semicolon list") << txt << QByteArray("P1010123.JPG;P1010127.JPG") << Ids{"P1010123.JPG", "P1010127.JPG"};
    QTest::newRow("Lightroom OR filter") << txt << QByteArray("L1000412 OR L1000418 OR OR L1000420\nIMG_1 OR\nOR 2")
                                         << Ids{"L1000412", "L1000418", "L1000420", "IMG_1 OR", "OR 2"};
    QTest::newRow("space-separated numbers, tab-separated, one a line between") << txt << QByteArray("8403 8405   8417\r\n0012\n\n_MG_1234\t\t_MG_1240 ")
        << Ids{"8403", "8405", "8417", "0012", "", "_MG_1234", "_MG_1240"};
    QTest::newRow("quoted pieces, straight and typographic")
        << txt << QByteArray("\"DSCF1234\", 'DSCF1240',\xE2\x80\x9C" "DSCF1250\xE2\x80\x9D \xE2\x80\x9E" "DSCF1260\xE2\x80\x9C \"\"\n\"DSCF1270\"\n'DSCF1280, DSCF1290'")
        << Ids{"DSCF1234", "DSCF1240", "DSCF1250", "DSCF1260", "\"DSCF1270\"", "'DSCF1280, DSCF1290'"};
    QTest::newRow("trailing and doubled separators, separators only")
        << txt << QByteArray("IMG_1, IMG_2,, ;\nIMG_3,\n,,;\n, ;") << Ids{"IMG_1", "IMG_2", "IMG_3", ",,;", ", ;"};
    QTest::newRow("any alphabet, decomposed letters, astral letters, the allowed punctuation")
        << txt << QByteArray("\xD0\xA4\xD0\xBE\xD1\x82\xD0\xBE-0012 20231014-0012 a~1+b.c_d Mu\xCC\x88ller7 \xF0\x9D\x92\x9C" "1 IMG_\xD9\xA1")
        << Ids{QString::fromUtf8("Фото-0012"), "20231014-0012", "a~1+b.c_d", QString::fromUtf8("Mu\u0308ller7"),
               QString::fromUtf8("\U0001D49C1"), QString::fromUtf8("IMG_\u0661")};
    QTest::newRow("names that stay whole")
        << txt << QByteArray("Hochzeit Anna, Tom - 0012.jpg\nB 2\nM\xC3\xBCller 7\nIMG_0012 (2).jpg\nIMG_1 IMG_x\nIMG_1,IMG/2\n+ 12\n\xF0\x9F\x93\xB7" "1 2")
        << Ids{"Hochzeit Anna, Tom - 0012.jpg", "B 2", QString::fromUtf8("Müller 7"), "IMG_0012 (2).jpg", "IMG_1 IMG_x",
               "IMG_1,IMG/2", "+ 12", QString::fromUtf8("📷1 2")};
    QTest::newRow("bullets \xE2\x80\xA2-*\xE2\x80\x93 and bullets alone")
        << txt << QByteArray("\xE2\x80\xA2 3555\n  - 3556, 3557;3561\n* IMG_1\n\xE2\x80\x93 3558\n\xE2\x80\x94\n-\n\xE2\x80\xA2IMG_2\n3559 -\n- - 3560")
        << Ids{"3555", "3556", "3557", "3561", "IMG_1", "3558", "", "", QString::fromUtf8("•IMG_2"), "3559 -", "- 3560"};
    QTest::newRow("numbered 1. and 12)") << txt << QByteArray("1. 5504\n12) 5505 5506\n999. IMG_1\n12.\n3.5507\n1)\t5508\n1000. 5509\nA) 5510\n1? 5511")
        << Ids{"5504", "5505", "5506", "IMG_1", "12.", "3.5507", "5508", "1000.", "5509", "A) 5510", "1? 5511"};
    QTest::newRow("NUL bytes, as padding and as UTF-16 too mixed to be recognised")
        << txt << QByteArray("IMG_1\0\0\nI\0M\0G\0_\0" "2\0\r\0\n\0\0\0", 24) << Ids{"IMG_1", "IMG_2", ""};

    QTest::newRow("CSV with title line + header") << txt
        << QByteArray("Favourites of Anna, 14 Oct 2023\n\nFilename,Rating,Comment\nIMG_1234.jpg,5,\"nice, keep\"\n,3,\n IMG_1240.jpg \n")
        << Ids{"IMG_1234.jpg", "IMG_1240.jpg"};
    QTest::newRow("European semicolon CSV, quoted header, File name before Name and Photo") << txt
        << QByteArray("sep=;\n\"Photo\";\"File name\";\"Name\"\r\nx;DSC01234.JPG;y\r\nx;\"DSC01240.JPG\";y\r\n") << Ids{"DSC01234.JPG", "DSC01240.JPG"};
    QTest::newRow("tab CSV, any case, blanks _ - ignored, Name before File, Image, Photo")
        << QString() << QByteArray("photo\tIMAGE\tFile\tn-a_M e\n1\t2\t3\tP1010123\n") << Ids{"P1010123"};
    QTest::newRow("File before Image before Photo") << txt << QByteArray("Photo;Image;File\n1;2;P1010127") << Ids{"P1010127"};
    QTest::newRow("Image before Photo; the delimiter that makes the most columns")
        << txt << QByteArray("Name,Photo;Image;x\na,IMG_1;IMG_2;y\n") << Ids{"IMG_2"};
    QTest::newRow("RFC 4180 quoting with quoted line breaks and doubled quotes") << txt
        << QByteArray("Name,Note\n\"DSCF1234.RAF\",\"two\nlines, \"\"quoted\"\"\"\n\"DSCF\n12\"\"40\"x,y\r\nDSCF1250.RAF,\"\"\r\n")
        << Ids{"DSCF1234.RAF", "DSCF 12\"40x", "DSCF1250.RAF"};
    QTest::newRow("unterminated quote in CSV, read line by line from there") << txt
        << QByteArray("File,Rating\nIMG_1.jpg,5\n\"IMG_2.jpg,4\nIMG_3.jpg,3\nIMG_4.jpg,\"\"\n") << Ids{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg", "IMG_4.jpg"};
    QTest::newRow("CSV (Macintosh): a spreadsheet saved with lone CRs") << "picks.csv"
        << QByteArray("Filename,Rating\rIMG_1.jpg,5\r\"IMG_2.jpg\",4\r") << Ids{"IMG_1.jpg", "IMG_2.jpg"};
    QTest::newRow(".csv file with a one-column header") << "picks.CSV" << QByteArray("Filename\nIMG_1.jpg\n\nIMG_2.jpg") << Ids{"IMG_1.jpg", "IMG_2.jpg"};
    QTest::newRow("plain list holding a line Name") << txt << QByteArray("Name\nIMG_1") << Ids{"Name", "IMG_1"};
    QTest::newRow(".csv with a known header, names of no camera's kind") << "picks.csv" << QByteArray("Filename,Rating\nfirst dance,5\n") << Ids{"first dance"};
    QTest::newRow("header and no rows") << "picks.csv" << QByteArray("Filename,Rating\r\n") << Ids{};
    QTest::newRow("Photo Name column with ratings, in any list") << txt
        << QByteArray("Photo Name,Rating\nIMG_2403.jpg,5\nIMG_2407.jpg,4") << Ids{"IMG_2403.jpg", "IMG_2407.jpg"};
    QTest::newRow("original file name first, translated, accents decomposed") << txt
        << QByteArray("Name;Nazwa zdj\xC4\x99" "cia;Bestandsnaam;Pu\xCC\x8A" "vodn\xC3\xAD n\xC3\xA1zev souboru\nx;y;z;IMG_1.CR2\n") << Ids{"IMG_1.CR2"};
    QTest::newRow("file name before image name") << txt << QByteArray("Kuvan nimi\tFILNAVN\nx\tIMG_2.CR2\n") << Ids{"IMG_2.CR2"};
    QTest::newRow("image name before Name") << txt << QByteArray("Name,Nom de l\xE2\x80\x99image\nx,IMG_3.CR2") << Ids{"IMG_3.CR2"};
    QTest::newRow(".csv without a known header: the one column of picture names, below title and header")
        << "picks.csv" << QByteArray("Anna's picks\nBild;Sterne\n5;DSC01234\n4;_MG_1234\n3;IMG_1234-Edit\n") << Ids{"DSC01234", "_MG_1234", "IMG_1234-Edit"};
    QTest::newRow(".csv without header, ratings beside") << "picks.csv" << QByteArray("IMG_2403.jpg,5,\nIMG_2407.jpg,4,nice\n")
        << Ids{"IMG_2403.jpg", "IMG_2407.jpg"};
    QTest::newRow("the same sheet in a .txt reads as a list") << txt << QByteArray("IMG_2403.jpg,5\nIMG_2407.jpg,4\n")
        << Ids{"IMG_2403.jpg", "5", "IMG_2407.jpg", "4"};
    QTest::newRow(".csv with picture names below ten lines of title reads as a list") << "picks.csv"
        << QByteArray("x,y\n").repeated(10) + "IMG_1.jpg,5" << Ids(10, "x,y") + Ids{"IMG_1.jpg", "5"};
    QTest::newRow(".csv column of half picture names is no name column") << "picks.csv" << QByteArray("IMG_1.jpg,a\nfoo,b") << Ids{"IMG_1.jpg,a", "foo,b"};
    QTest::newRow(".csv of names in two columns reads as a list") << "picks.csv"
        << QByteArray("IMG_1206, IMG_1508\nDSC01234,DSC1.jpg") << Ids{"IMG_1206", "IMG_1508", "DSC01234", "DSC1.jpg"};
    QTest::newRow(".csv of 1,000 columns, names in one") << "picks.csv"
        << QByteArray("5,").repeated(600) + "IMG_1.jpg" + QByteArray(",x").repeated(399) + "\n" + QByteArray("4,").repeated(600)
               + "IMG_2.jpg" << Ids{"IMG_1.jpg", "IMG_2.jpg"};
    Ids names;
    for (int i = 0; i < 1000; ++i)
        names << u"IMG_%1.jpg"_qs.arg(i);
    QTest::newRow(".csv of 1,000 columns of names reads as a list") << "picks.csv" << names.join(u',').toUtf8() << names;
    QTest::newRow("header as the tenth non-blank line") << txt << QByteArray("1\n2\n3\n\n4\n5\n6\n7\n8\n9\nImage,Rating\nIMG_9.jpg,1") << Ids{"IMG_9.jpg"};
    QTest::newRow("header as the eleventh non-blank line stays a list") << txt << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\nImage,Rating")
        << Ids{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "Image,Rating"};
}

void TestPkListReader::forms()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, list);
    QFETCH(Ids, ids);
    QTemporaryDir dir;
    compareList(readWritten(dir, name.isEmpty() ? "list" : name, list), ids);
    compareList(PkListReader::readBytes(list, name), ids);
    if (!name.endsWith(".csv", Qt::CaseInsensitive))
        compareList(PkListReader::readText(QString::fromUtf8(list)), ids);
}

// Input that makes no sense still gives a clear reading, in linear time: a
// quadratic step would run for hours on these.
// What a spreadsheet's cell must hold to count as a picture name when no
// header names the column.
void TestPkListReader::pictureNames_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<bool>("name");
    const std::pair<const char *, bool> cells[] = {{"IMG_1234", true}, {"_MG_1234", true}, {"DSC01234", true},
        {"ABCDE1234", true}, {"P1010123", true}, {" x.JPG ", true}, {"a.jpeg", true}, {"a.nef", true},
        {"ABCDEF1234", false}, {"IMG_123", false}, {"1234", false}, {"IMG__1234", false}, {"IMG_1234x", false},
        {"__MG_1234", false}, {"a.xmp", false}, {".jpg", false}, {"a.jpgjpg", false}, {"", false},
        {"zZaA1234", true}, {"@1234", false}, {"[1234", false}, {"`1234", false}, {"{1234", false}, // the letters' bounds
        {"IMG_9090", true}, {"IMG_/123", false}, {"IMG_1234:", false}}; // the digits' bounds
    for (const auto &[cell, name] : cells)
        QTest::newRow(cell) << QString::fromLatin1(cell) << name;
}

void TestPkListReader::pictureNames()
{
    QFETCH(QString, cell);
    QTEST(PkCsvColumns::looksLikePictureName(cell), "name");
}

void TestPkListReader::badInput_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("tooLarge");
    QTest::newRow("50 MB single line") << QByteArray(50'000'000, '7') << 1 << QString(50'000'000, '7') << 1 << false;
    QTest::newRow("a line of 100,000 commas") << QByteArray(100'000, ',') << 1 << QString(100'000, ',') << 1 << false;
    QTest::newRow("one line of 500,000 numbers") << QByteArray("1234 ").repeated(500'000) << 500'000 << "1234" << 500'000 << false;
    QTest::newRow("CSV of 100,000 lines after an unterminated quote")
        << "Filename,x\n\"IMG_0.jpg,\n" + QByteArray("IMG_1.jpg,\"\"\n").repeated(100'000) << 100'001 << "IMG_1.jpg" << 100'001 << false;
    QTest::newRow("CSV line of 100,000 stray quotes") << "Image,x\n" + QByteArray("\"a,").repeated(100'000) << 1 << "a,a" << 1 << false;
    QTest::newRow("bullets only") << QByteArray("\xE2\x80\xA2\n-\n*\n") << 3 << "" << 3 << false;
    QTest::newRow("digits only") << QByteArray("0\n00 000\n") << 3 << "000" << 3 << false;
    QTest::newRow("a line of each blank, space, tab, CR, VT and FF, counted, not stored")
        << QByteArray(" \n\t\n\r\n\v\n\f\nIMG_1") << 6 << "IMG_1" << 1 << false;
    QTest::newRow("3 million blank lines are counted, not stored")
        << QByteArray(" \r\n\t\n\n").repeated(1'000'000) + "IMG_1" << 3'000'001 << "IMG_1" << 1 << false;
    QTest::newRow("1,000,000 identifiers, the most a list holds") << QByteArray("1\n").repeated(1'000'000) << 1'000'000 << "1" << 1'000'000 << false;
    QTest::newRow("one more, one a line") << QByteArray("1\n").repeated(1'000'001) << 0 << "" << 0 << true;
    QTest::newRow("one more, on one line") << QByteArray("1 ").repeated(1'000'001) << 0 << "" << 0 << true;
}

void TestPkListReader::badInput()
{
    QFETCH(QByteArray, list);
    const PkSelectionList read = PkListReader::readBytes(list);
    QTEST(int(read.count()), "count");
    QTEST(read.ids.value(read.ids.size() - 1), "last");
    QTEST(int(read.ids.size()), "stored");
    QFETCH(bool, tooLarge);
    QCOMPARE(read.error, tooLarge ? PkListReader::tooLarge(false) : QString());
    if (tooLarge) // pasted the same
        QCOMPARE(PkListReader::readText(QString::fromLatin1(list)).error, read.error);
}

// A smart collection saved from a photo catalogue: the words of its rules on
// the file name that include pictures, in file order.
void TestPkListReader::smartCollection_data()
{
    QTest::addColumn<QByteArray>("list");
    QTest::addColumn<Ids>("ids");
    QTest::addColumn<QString>("error");
    const QByteArray head = "s = {\n\tid = \"5F1C\",\n\ttitle = \"Anna's {picks}\",\n\ttype = \"LibrarySmartCollection\",\n"
                            "\tvalue = {\n";
    const auto rule = [](const char *criteria, const char *operation, const QByteArray &value) {
        return "\t\t{\n\t\t\tcriteria = \"" + QByteArray(criteria) + "\",\n\t\t\toperation = \"" + operation
            + "\",\n\t\t\tvalue = " + value + ",\n\t\t\tvalue2 = \"\",\n\t\t},\n";
    };
    const QByteArray tail = "\t\tcombine = \"union\",\n\t},\n\tversion = 0,\n}\n";
    QTest::newRow("a smart collection: including rules in file order, excluding ones and !words left out")
        << head + rule("filename", "any", "\"IMG_2403  IMG_2407 !IMG_2409\"") + rule("rating", ">=", "3")
               + rule("filename", "noneOf", "\"IMG_1\"") + rule("filename", "!=", "\"IMG_2\"")
               + rule("filename", "words", "\"DSC_0012\\\"x\"") + rule("filename", "beginsWith", "\"L1000412\"")
               + rule("filename", "==", "'P1 P2'") + "\t\t-- a comment { \"value\" = \"no\"\n" + tail
        << Ids{"IMG_2403", "IMG_2407", "DSC_0012\"x", "L1000412", "P1", "P2"} << QString();
    QTest::newRow("a smart collection cut short in a rule") << head + rule("filename", "all", "\"A1 A2\"")
        + "\t\t{ criteria = \"filename\", operation = \"endsWith\", value = \"B1\"" << Ids{"A1", "A2", "B1"} << QString();
    QTest::newRow("a smart collection with no rule on the file name")
        << head + rule("rating", ">=", "\"3\"") + tail << Ids{} << "the smart collection has no rule on the file name";
    QTest::newRow("a smart collection nested 1,000 levels deep")
        << head + QByteArray(1000, '{') + rule("filename", "any", "\"A1\"") + QByteArray(1000, '}') << Ids{} << "the smart collection nests too deep";
    QTest::newRow("a smart collection cut short in a 10 MB string")
        << head + "{ criteria = \"filename\", operation = \"any\", value = \"A1 " + QByteArray(10'000'000, 'x')
        << Ids{"A1", QString(10'000'000, 'x')} << QString();
    QTest::newRow("a smart collection cut short after a backslash")
        << head + "{ criteria = \"filename\", operation = \"any\", value = \"A1 B2\\" << Ids{"A1", "B2\\"} << QString();
    QTest::newRow("a smart collection with fields outside every table")
        << head + rule("filename", "any", "\"A1\"") + tail + "criteria = \"filename\", value = \"Z1\"\n" << Ids{"A1"} << QString();
    QTest::newRow("a smart collection cut short before its rules") << head << Ids{} << "the smart collection is cut short";
}

void TestPkListReader::smartCollection()
{
    QFETCH(QByteArray, list);
    QTemporaryDir dir;
    const PkSelectionList read = readWritten(dir, "picks.lrsmcol", list);
    QTEST(read.ids, "ids");
    QTEST(read.error, "error");
}

QTEST_GUILESS_MAIN(TestPkListReader)
#include "tst_pklistreader.moc"
