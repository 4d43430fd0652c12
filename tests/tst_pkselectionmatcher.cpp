// SPDX-License-Identifier: MIT

#include "pkselectionmatcher.h"

#include <QTest>

using Names = QList<QString>;
using Positions = QList<qsizetype>;
using Ambiguous = QList<PkAmbiguousId>;
Q_DECLARE_METATYPE(PkMatchOptions)

namespace QTest {
template <>
char *toString(const PkAmbiguousId &entry)
{
    return qstrdup(qPrintable(entry.id + ": " + entry.pictures.join(", ")));
}
} // namespace QTest

// Matching a folder's names, in listing order, against a selection list.
class TestPkSelectionMatcher : public QObject
{
    Q_OBJECT

private slots:
    void match_data();
    void match();
    void withoutExtension();
};

void TestPkSelectionMatcher::match_data()
{
    QTest::addColumn<Names>("names");
    QTest::addColumn<Names>("ids");
    QTest::addColumn<PkMatchOptions>("options");
    QTest::addColumn<Names>("files");
    QTest::addColumn<Positions>("fileIds");
    QTest::addColumn<Names>("notFound");
    QTest::addColumn<Ambiguous>("ambiguous");

    const PkMatchOptions plain, stripped{true, false}, whole{false, true}, both{true, true};
    QTest::newRow("substring, case-sensitive, each file once under its first identifier; blanks match nothing")
        << Names{"A1.jpg", "a123.jpg", "b2.jpg", "IMG_0001.jpg", "img_0001.jpg", "XIMG_00012.jpg"}
        << Names{"", "123", "IMG_0001", "12", "b", "zz", "zz"} << plain
        << Names{"a123.jpg", "b2.jpg", "IMG_0001.jpg", "XIMG_00012.jpg"} << Positions{1, 4, 2, 2}
        << Names{"zz"} << Ambiguous{{"IMG_0001", {"IMG_0001", "XIMG_00012"}}, {"12", {"a123", "XIMG_00012"}}};
    QTest::newRow("a picture is its name without two extensions; repeated identifiers reported once")
        << Names{"IMG_0412.CR2", "IMG_0412.CR2.xmp", "IMG_0412.JPG", "IMG_1412.jpg", "v1.2.jpg", "v1.3.jpg"}
        << Names{"412", "IMG_0412", "412", "v1"} << plain
        << Names{"IMG_0412.CR2", "IMG_0412.CR2.xmp", "IMG_0412.JPG", "IMG_1412.jpg", "v1.2.jpg", "v1.3.jpg"}
        << Positions{0, 0, 0, 0, 3, 3} << Names{}
        << Ambiguous{{"412", {"IMG_0412", "IMG_1412"}}, {"v1", {"v1.2", "v1.3"}}};
    const QString composed = QString::fromUtf8("M\u00fcller"), decomposed = QString::fromUtf8("Mu\u0308ller");
    QTest::newRow("composed and decomposed spellings are equal on both sides; names stay as they are")
        << Names{composed + " 1.jpg", decomposed + " 2.jpg", "Muller 3.jpg"} << Names{decomposed, "nothing " + composed}
        << plain << Names{composed + " 1.jpg", decomposed + " 2.jpg"} << Positions{0, 0}
        << Names{"nothing " + composed} << Ambiguous{{decomposed, {composed + " 1", decomposed + " 2"}}};
    QTest::newRow("whole numbers, leading zeros aside; other identifiers stay substrings")
        << Names{"412.tif", "5.jpg", "IMG_0412.jpg", "IMG_1412.jpg", "IMG_4120.jpg", "WED_3185.NEF", "x0.jpg", "x00.png"}
        << Names{"412", "003185", "000005", "G_1", "0", "99"} << whole
        << Names{"412.tif", "5.jpg", "IMG_0412.jpg", "IMG_1412.jpg", "WED_3185.NEF", "x0.jpg", "x00.png"}
        << Positions{0, 2, 0, 3, 1, 4, 4} << Names{"99"}
        << Ambiguous{{"412", {"412", "IMG_0412"}}, {"0", {"x0", "x00"}}};
    QTest::newRow("whole numbers after dropping extensions; identifiers keep their written form")
        << Names{"0412.CR2", "0412.jpg", "1412.jpg", "IMG_1.jpg", "IMG_12.jpg"}
        << Names{"412.jpg", "1.jpg", "7.jpg", "IMG_1.jpg"} << both
        << Names{"0412.CR2", "0412.jpg", "IMG_1.jpg", "IMG_12.jpg"} << Positions{0, 0, 1, 3} << Names{"7.jpg"}
        << Ambiguous{{"IMG_1.jpg", {"IMG_1", "IMG_12"}}};
    QTest::newRow("without extensions, case-sensitive, in listing order, not found as written")
        << Names{"B_7.jpg", "IMG_0012.CR2", "IMG_0012.jpg", "IMG_00123.jpg", "img_0012.tif", "X.CR2"}
        << Names{"IMG_0012.jpg", "IMG_9.jpg", "IMG_9.CR2", "B_7.2", ".CR2"} << stripped
        << Names{"IMG_0012.CR2", "IMG_0012.jpg", "IMG_00123.jpg", "X.CR2"} << Positions{0, 0, 0, 4}
        << Names{"IMG_9.jpg", "IMG_9.CR2", "B_7.2"}
        << Ambiguous{{"IMG_0012.jpg", {"IMG_0012", "IMG_00123"}}, {".CR2", {"IMG_0012", "X"}}};
    QTest::newRow("an identifier longer than every name is not found")
        << Names{"a.jpg"} << Names{"a.jpg.and.much.more"} << plain << Names{} << Positions{}
        << Names{"a.jpg.and.much.more"} << Ambiguous{};
}

void TestPkSelectionMatcher::match()
{
    QFETCH(Names, names);
    QFETCH(Names, ids);
    QFETCH(PkMatchOptions, options);
    const PkMatchResult result = PkSelectionMatcher::matchNames(names, ids, options);
    QTEST(result.files, "files");
    QTEST(result.fileIds, "fileIds");
    QTEST(result.idsNotFound, "notFound");
    QTEST(result.ambiguous, "ambiguous");
}

// The last extension goes: a dot and 1 to 5 ASCII letters or digits, one of
// them a letter ("0aZ9z" holds the ends of each range), after more than dots.
void TestPkSelectionMatcher::withoutExtension()
{
    const std::pair<QString, QString> cases[] = {
        {"a.b.0aZ9z", "a.b"}, {"x.A", "x"}, {"v1.2", "v1.2"}, {"x.abcdef", "x.abcdef"}, {"IMG1", "IMG1"},
        {"IMG1.", "IMG1."}, {"a.jpé", "a.jpé"}, {".jpg", ".jpg"}, {"..jpg", "..jpg"}, {"a..jpg", "a."},
        {"x.@", "x.@"}, {"x.[", "x.["}, {"x.`", "x.`"}, {"x.{", "x.{"}, {"x./", "x./"}, {"x.:", "x.:"}};
    for (const auto &[id, expected] : cases)
        QCOMPARE(PkSelectionMatcher::withoutExtension(id), expected);
}

QTEST_APPLESS_MAIN(TestPkSelectionMatcher)
#include "tst_pkselectionmatcher.moc"
