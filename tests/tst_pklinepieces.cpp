// SPDX-License-Identifier: MIT

#include "pklinepieces.h"
#include "pkselectionmatcher.h"

#include <QTest>

using Names = QList<QString>;
using Ranges = QList<PkRangeRead>;
using Prose = QList<PkProseRead>;

// Ranges and sentences in a list, read on their own and as matching reads them.
class TestPkLinePieces : public QObject
{
    Q_OBJECT

private slots:
    void ranges_data();
    void ranges();
    void prose_data();
    void prose();
    void match_data();
    void match();
};

void TestPkLinePieces::ranges_data()
{
    QTest::addColumn<QString>("piece");
    QTest::addColumn<Names>("ends");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("prefix");

    QTest::newRow("hyphen") << "2403-2406" << Names{"2403", "2406"} << 4 << 0;
    QTest::newRow("en dash with blanks") << "0098 \u2013 0101" << Names{"0098", "0101"} << 4 << 0;
    QTest::newRow("em dash") << "2403\u20142404" << Names{"2403", "2404"} << 2 << 0;
    QTest::newRow("to") << "2410 TO 2412" << Names{"2410", "2412"} << 3 << 0;
    QTest::newRow("prefix on both ends") << "IMG_2100 - img_2104" << Names{"IMG_2100", "IMG_2104"} << 5 << 4;
    QTest::newRow("prefix on the first end") << "IMG_2100 - 2104" << Names{"IMG_2100", "IMG_2104"} << 5 << 4;
    QTest::newRow("a hundred numbers") << "2400-2499" << Names{"2400", "2499"} << 100 << 0;
    QTest::newRow("a hundred and one") << "2400-2500" << Names{} << 0 << 0;
    QTest::newRow("a million") << "1000000-1999999" << Names{} << 0 << 0;
    QTest::newRow("other prefix") << "IMG_2100 - DSC_2104" << Names{} << 0 << 0;
    QTest::newRow("digit counts differ") << "100-0412" << Names{} << 0 << 0;
    QTest::newRow("edit copy") << "DSC_0001-2" << Names{} << 0 << 0;
    QTest::newRow("two digits") << "12-15" << Names{} << 0 << 0;
    QTest::newRow("three digits") << "100-102" << Names{"100", "102"} << 3 << 0;
    QTest::newRow("descending") << "2406-2403" << Names{} << 0 << 0;
    QTest::newRow("equal ends") << "2403-2403" << Names{} << 0 << 0;
    QTest::newRow("date") << "2026-06-20" << Names{} << 0 << 0;
    QTest::newRow("a word with a hyphen") << "close-up" << Names{} << 0 << 0;
    QTest::newRow("to without blanks") << "2410to2412" << Names{} << 0 << 0;
    QTest::newRow("nineteen digits") << "1000000000000000000-1000000000000000001" << Names{} << 0 << 0;
    QTest::newRow("eighteen digits") << "100000000000000000-100000000000000001"
                                     << Names{"100000000000000000", "100000000000000001"} << 2 << 0;
}

void TestPkLinePieces::ranges()
{
    QFETCH(QString, piece);
    QFETCH(int, count);
    const QList<PkLinePieces::Piece> numbers = PkLinePieces::rangeNumbers(piece);
    QCOMPARE(numbers.size(), count);
    QCOMPARE(PkLinePieces::countBeforeMatching({piece, "IMG_1"}), std::max(count, 1) + 1);
    if (count == 0)
        return;
    QTEST((Names{numbers.constFirst().text, numbers.constLast().text}), "ends");
    QTEST(numbers.constLast().wholeNumber, "prefix");
    QCOMPARE(numbers.constFirst().range, piece);
}

void TestPkLinePieces::prose_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<Names>("picks");
    QTest::addColumn<QList<int>>("wholeNumbers");

    QTest::newRow("chat export with seconds") << "\u200E[06/12/2026, 14:03:22] Client: our favourites: 2403, 2407 and 2411"
        << Names{"2403", "2407", "2411"} << QList<int>{0, 0, 0};
    QTest::newRow("chat export with a dash") << "6/12/26, 2:03 pm - Anna Berg: 2403 & 2420!" << Names{"2403", "2420"} << QList<int>{0, 0};
    QTest::newRow("e-mail quote, names") << "> > Could we have IMG_2403.jpg and DSC 7015?"
                                         << Names{"IMG_2403.jpg", "7015"} << QList<int>{-1, 0};
    QTest::newRow("dates and times") << "We met on 06/12/2026 at 14:03:22, see 2026-06-20 and 20 Jun 2026, 12/2026"
                                     << Names{} << QList<int>{};
    QTest::newRow("month before day and year") << "On September 20th, 2026 we chose 2403" << Names{"2403"} << QList<int>{0};
    QTest::newRow("prices") << "It costs \u20AC120, prints 1.200,00 EUR or 250 USD, USD 300, 12.50 each, $1,500; take 2403"
                            << Names{"2403"} << QList<int>{0};
    QTest::newRow("ranges in prose") << "Could we have IMG_2403-2404 and 2410 to 2411 and 2420 \u2013 2422"
                                     << Names{"IMG_2403", "IMG_2404", "2410", "2411", "2420", "2421", "2422"} << QList<int>{4, 4, 0, 0, 0, 0, 0};
    QTest::newRow("a name holding a date") << "please 2026-06-20_0012 too" << Names{"2026-06-20_0012"} << QList<int>{-1};
    QTest::newRow("repeated picks once, short numbers none") << "the 2 of us like 2403 and 12 like #2403 on the 3rd"
                                                             << Names{"2403"} << QList<int>{0};
    QTest::newRow("three digits before a year are no month") << "we like 123/2026" << Names{"123", "2026"} << QList<int>{0, 0};
    QTest::newRow("lists within a word") << "picks (2403/2407,2411)" << Names{"2403", "2407", "2411"} << QList<int>{0, 0, 0};
    QTest::newRow("hyphenated words") << "the close-ups and black-and-white ones: 2403, 2407"
                                      << Names{"2403", "2407"} << QList<int>{0, 0};
    QTest::newRow("a range word ending the line") << "please send 2403 and 2405 to" << Names{"2403", "2405"} << QList<int>{0, 0};
}

void TestPkLinePieces::prose()
{
    QFETCH(QString, line);
    Names texts;
    QList<int> numbers;
    for (const PkLinePieces::Piece &piece : PkLinePieces::prosePicks(line)) {
        texts.append(piece.text);
        numbers.append(piece.wholeNumber);
    }
    QTEST(texts, "picks");
    QTEST(numbers, "wholeNumbers");
    const QString shown(PkProseRead::shownLength, QLatin1Char('a'));
    QCOMPARE((PkProseRead{shown, {}}.shortLine()), shown);
    QCOMPARE((PkProseRead{shown + "b", {}}.shortLine()), shown + QChar(0x2026));
    QCOMPARE((PkProseRead{" \u200F\uFEFF\u200E > [06/12/2026, 14:03:22] Anna: " + shown, {}}.shortLine()), shown); // after marks, spaces, quoting
}

void TestPkLinePieces::match_data()
{
    QTest::addColumn<Names>("names");
    QTest::addColumn<Names>("ids");
    QTest::addColumn<Names>("files");
    QTest::addColumn<Names>("read");
    QTest::addColumn<Names>("notFound");
    QTest::addColumn<Ranges>("ranges");
    QTest::addColumn<Prose>("prose");
    QTest::addColumn<Names>("text");
    QTest::addColumn<int>("count");

    const QString chat = "[06/12/2026, 14:03:22] Client: our favourites: 2403, 2407 and 2420";
    QTest::newRow("a range with prefix selects its numbers only, gaps counted")
        << Names{"DSC_2101.jpg", "IMG_12101.jpg", "IMG_2099.jpg", "IMG_2100.jpg", "IMG_2101.jpg", "IMG_21010.jpg",
                 "IMG_2103.jpg", "IMG_2104.CR2", "IMG_2105.jpg"}
        << Names{"img_2100 - IMG_2104"} << Names{"IMG_2100.jpg", "IMG_2101.jpg", "IMG_2103.jpg", "IMG_2104.CR2"}
        << Names{"img_2100", "img_2101", "img_2103", "img_2104"} << Names{} << Ranges{{"img_2100 - IMG_2104", {"img_2102"}}}
        << Prose{} << Names{} << 5;
    QTest::newRow("an en-dash range: whole numbers, leading zeros aside")
        << Names{"IMG_02403.JPG", "IMG_12403.jpg", "IMG_2404.JPG", "IMG_24030.jpg"} << Names{"2403 \u2013 2404", "IMG_2404"}
        << Names{"IMG_02403.JPG", "IMG_2404.JPG"} << Names{"2403", "2404", "IMG_2404"} << Names{} << Ranges{} << Prose{} << Names{} << 3;
    QTest::newRow("a range's numbers stand in runs of as many digits as written")
        << Names{"IMG_0001.CR2", "IMG_0002.jpg", "IMG_2.jpg"} << Names{"0002-0003"} << Names{"IMG_0002.jpg"}
        << Names{"0002"} << Names{} << Ranges{{"0002-0003", {"0003"}}} << Prose{} << Names{} << 2;
    QTest::newRow("a piece that selects as written stays whole")
        << Names{"DSC_0001-2.jpg", "DSC_0001.jpg", "IMG_2403.jpg", "x_2403-2406.jpg", "100-0412.jpg", "IMG_0412.jpg"}
        << Names{"DSC_0001-2.jpg", "2403-2406", "100-0412"} << Names{"DSC_0001-2.jpg", "x_2403-2406.jpg", "100-0412.jpg"}
        << Names{"DSC_0001-2.jpg", "2403-2406", "100-0412"} << Names{} << Ranges{} << Prose{} << Names{} << 3;
    QTest::newRow("a range of nothing in the folder is not found as written")
        << Names{"IMG_2403.jpg"} << Names{"3100-3102"} << Names{} << Names{"3100-3102"} << Names{"3100-3102"} << Ranges{}
        << Prose{} << Names{} << 1;
    QTest::newRow("a chat export with a typo")
        << Names{"IMG_2403.jpg", "IMG_2407.jpg", "IMG_2411.jpg"} << Names{chat} << Names{"IMG_2403.jpg", "IMG_2407.jpg"}
        << Names{"2403", "2407", "2420"} << Names{"2420"} << Ranges{} << Prose{{chat, {"2403", "2407", "2420"}}} << Names{} << 3;
    QTest::newRow("two ranges in prose") << Names{"IMG_2403.jpg", "IMG_2405.jpg", "IMG_2410.jpg", "IMG_2412.jpg"}
        << Names{"please 2403-2405 and 2410 to 2412 thanks"}
        << Names{"IMG_2403.jpg", "IMG_2405.jpg", "IMG_2410.jpg", "IMG_2412.jpg"} << Names{"2403", "2405", "2410", "2412"}
        << Names{} << Ranges{{"2403-2405", {"2404"}}, {"2410 to 2412", {"2411"}}}
        << Prose{{"please 2403-2405 and 2410 to 2412 thanks", {"2403", "2405", "2410", "2412"}}} << Names{} << 6;
    QTest::newRow("a sentence whose picks select nothing stands as written")
        << Names{"IMG_2403.jpg"} << Names{"we loved 9999 so much"} << Names{} << Names{"we loved 9999 so much"}
        << Names{"we loved 9999 so much"} << Ranges{} << Prose{} << Names{} << 1;
    QTest::newRow("a file name with blanks stays whole")
        << Names{"DSC_0012.jpg", "Hochzeit am See, Teil 2 - 0012.jpg"} << Names{"Hochzeit am See, Teil 2 - 0012.jpg"}
        << Names{"Hochzeit am See, Teil 2 - 0012.jpg"} << Names{"Hochzeit am See, Teil 2 - 0012.jpg"} << Names{}
        << Ranges{} << Prose{} << Names{} << 1;
    QTest::newRow("sign-offs are text where most identifiers hold digits")
        << Names{"IMG_2403.jpg", "IMG_2407.jpg"} << Names{"2403", "Thanks!", "2407", "2411", "xx", "-HDR.jpg", "xx", "2414", "2415"}
        << Names{"IMG_2403.jpg", "IMG_2407.jpg"} << Names{"2403", "Thanks!", "2407", "2411", "xx", "-HDR.jpg", "xx", "2414", "2415"}
        << Names{"2411", "-HDR.jpg", "2414", "2415"} << Ranges{} << Prose{} << Names{"Thanks!", "xx"} << 6;
    QTest::newRow("a sign-off where half the identifiers hold digits is not found")
        << Names{"IMG_2403.jpg"} << Names{"2403", "Cheers"} << Names{"IMG_2403.jpg"} << Names{"2403", "Cheers"}
        << Names{"Cheers"} << Ranges{} << Prose{} << Names{} << 2;
}

void TestPkLinePieces::match()
{
    QFETCH(Names, names);
    QFETCH(Names, ids);
    const PkMatchResult result = PkSelectionMatcher::matchNames(names, ids, PkMatchOptions{true, false, true});
    QTEST(result.files, "files");
    QTEST(result.ids, "read");
    QTEST(result.idsNotFound, "notFound");
    QTEST(result.ranges, "ranges");
    QTEST(result.prose, "prose");
    QTEST(result.textLines, "text");
    QTEST(int(result.idCount), "count");
}

QTEST_APPLESS_MAIN(TestPkLinePieces)
#include "tst_pklinepieces.moc"
