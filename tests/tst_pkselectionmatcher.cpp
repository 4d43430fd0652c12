// SPDX-License-Identifier: MIT

#include "pkfolderlister.h"
#include "pkmatchtext.h"
#include "pkselectionmatcher.h"
#include "pkwindowtest.h"

using Names = QList<QString>;
using Positions = QList<qsizetype>;
using Ambiguous = QList<PkAmbiguousId>;
using Near = QList<PkNearMatch>;
Q_DECLARE_METATYPE(PkMatchOptions)

namespace QTest {
template <>
char *toString(const PkAmbiguousId &entry)
{
    return qstrdup(qPrintable(entry.id + ": " + entry.pictures.join(", ")));
}
template <>
char *toString(const PkNearMatch &entry)
{
    return qstrdup(qPrintable(entry.id + " ~ " + entry.picture));
}
} // namespace QTest

// Matching a folder's names, in listing order, against a selection list.
class TestPkSelectionMatcher : public QObject
{
    Q_OBJECT

private slots:
    void match_data();
    void match();
    void held_data();
    void held();
    void withoutExtension();
    void markers();
    void folder();
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
    QTest::addColumn<Near>("near");
    QTest::addColumn<Names>("text");

    const PkMatchOptions plain, stripped{true, false}, whole{false, true}, both{true, true}, window{true, false, true};
    QTest::newRow("substring, case-sensitive, each file once under its first identifier; blanks match nothing")
        << Names{"A1.jpg", "a123.jpg", "b2.jpg", "IMG_0001.jpg", "img_0001.jpg", "XIMG_00012.jpg"}
        << Names{"", "123", "IMG_0001", "12", "b", "zz", "zz"} << plain
        << Names{"a123.jpg", "b2.jpg", "IMG_0001.jpg", "XIMG_00012.jpg"} << Positions{1, 4, 2, 2}
        << Names{"zz"} << Ambiguous{{"IMG_0001", {"IMG_0001", "XIMG_00012"}, true}, {"12", {"a123", "XIMG_00012"}, true}} << Near{} << Names{};
    QTest::newRow("a picture is its name without two extensions; repeated identifiers reported once")
        << Names{"IMG_0412.CR2", "IMG_0412.CR2.xmp", "IMG_0412.JPG", "IMG_1412.jpg", "v1.2.jpg", "v1.3.jpg"}
        << Names{"412", "IMG_0412", "412", "v1"} << plain
        << Names{"IMG_0412.CR2", "IMG_0412.CR2.xmp", "IMG_0412.JPG", "IMG_1412.jpg", "v1.2.jpg", "v1.3.jpg"}
        << Positions{0, 0, 0, 0, 3, 3} << Names{}
        << Ambiguous{{"412", {"IMG_0412", "IMG_1412"}, true}, {"v1", {"v1.2", "v1.3"}, true}} << Near{} << Names{};
    const QString composed = QString::fromUtf8("M\u00fcller"), decomposed = QString::fromUtf8("Mu\u0308ller");
    QTest::newRow("composed and decomposed spellings are equal on both sides; names stay as they are")
        << Names{composed + " 1.jpg", decomposed + " 2.jpg", "Muller 3.jpg"} << Names{decomposed, "nothing1 " + composed}
        << plain << Names{composed + " 1.jpg", decomposed + " 2.jpg"} << Positions{0, 0}
        << Names{"nothing1 " + composed} << Ambiguous{{decomposed, {composed + " 1", decomposed + " 2"}, true}} << Near{} << Names{};
    QTest::newRow("whole numbers, leading zeros aside; other identifiers stay substrings")
        << Names{"412.tif", "5.jpg", "IMG_0412.jpg", "IMG_1412.jpg", "IMG_4120.jpg", "WED_3185.NEF", "x0.jpg", "x00.png"}
        << Names{"412", "003185", "000005", "G_1", "0", "99"} << whole
        << Names{"412.tif", "5.jpg", "IMG_0412.jpg", "IMG_1412.jpg", "WED_3185.NEF", "x0.jpg", "x00.png"}
        << Positions{0, 2, 0, 3, 1, 4, 4} << Names{"99"}
        << Ambiguous{{"412", {"412", "IMG_0412"}, true}, {"0", {"x0", "x00"}, true}} << Near{} << Names{};
    QTest::newRow("whole numbers of a stem; other stems select their picture only")
        << Names{"0412.CR2", "0412.jpg", "1412.jpg", "IMG_1.jpg", "IMG_12.jpg"}
        << Names{"412.jpg", "1.jpg", "7.jpg", "IMG_1.jpg"} << both
        << Names{"0412.CR2", "0412.jpg", "IMG_1.jpg"} << Positions{0, 0, 1} << Names{"7.jpg"} << Ambiguous{} << Near{} << Names{};
    QTest::newRow("whole picture: case-sensitive, not longer names, not found as written; no extension stays a substring")
        << Names{"B_7.jpg", "IMG_0012.CR2", "IMG_0012.CR2.xmp", "IMG_0012.jpg", "IMG_00123.jpg", "IMG_0012-Edit.tif",
                 "img_0012.tif", "X.CR2"}
        << Names{"IMG_0012.JPG", "IMG_9.jpg", "IMG_9.CR2", "B_7.2", ".CR2"} << stripped
        << Names{"IMG_0012.CR2", "IMG_0012.CR2.xmp", "IMG_0012.jpg", "X.CR2"} << Positions{0, 0, 0, 4}
        << Names{"IMG_9.jpg", "IMG_9.CR2", "B_7.2"} << Ambiguous{{".CR2", {"IMG_0012", "X"}, true}} << Near{} << Names{};
    // An identifier must begin in the picture's name, as written or tried again.
    const Names extensions{"IMG_0001.CR2", "IMG_0001.CR2.xmp", "IMG_0002.JPG", "IMG_0003.MP4", "IMG_0004.jpg"};
    QTest::newRow("the 2 of a .CR2, the 4 of an .MP4, a sidecar's xmp select nothing")
        << extensions << Names{"2", "4", "xmp", "cr"} << plain << Names{"IMG_0002.JPG", "IMG_0004.jpg"} << Positions{0, 1}
        << Names{"xmp", "cr"} << Ambiguous{} << Near{} << Names{};
    QTest::newRow("nor as whole numbers") << extensions << Names{"2", "3", "4"} << whole
        << Names{"IMG_0002.JPG", "IMG_0003.MP4", "IMG_0004.jpg"} << Positions{0, 1, 2} << Names{} << Ambiguous{} << Near{} << Names{};
    QTest::newRow("an identifier longer than every name is not found")
        << Names{"a.jpg"} << Names{"a.jpg.and.much.more"} << plain << Names{} << Positions{}
        << Names{"a.jpg.and.much.more"} << Ambiguous{} << Near{} << Names{};
    const Names shoot{"DSC00128.ARW", "DSC_4823.NEF", "IMG_2403.CR2", "IMG_2403.JPG", "IMG_2407.JPG", "IMG_2411.JPG",
                      "IMG_2411-Edit.tif", "IMG_5501.JPG", "DSC_5501.NEF"};
    QTest::newRow("a gallery list in lower case finds the whole picture ignoring case")
        << shoot + Names{decomposed + "_7.JPG"}
        << Names{"img_2403.jpg", "img_2407", "IMG_2407.jpeg", "img_2411-edit.TIF", composed.toLower() + "_7.jpg", ".cr2"} << window
        << Names{"IMG_2403.CR2", "IMG_2403.JPG", "IMG_2407.JPG", "IMG_2411-Edit.tif", decomposed + "_7.JPG"}
        << Positions{0, 0, 1, 3, 4} << Names{} << Ambiguous{}
        << Near{{"img_2403.jpg", "IMG_2403"}, {"img_2407", "IMG_2407"}, {"img_2411-edit.TIF", "IMG_2411-Edit"},
                {composed.toLower() + "_7.jpg", decomposed + "_7"}, {".cr2", "IMG_2403"}}
        << Names{};
    QTest::newRow("an edit or copy suffix finds the picture it was made from")
        << shoot
        << Names{"DSC_4823_LR_Edit.jpg", "DSC00128-2.JPG", "IMG_2403 copy.jpg", "img_2407 (1).jpg", "IMG_2403 - Copy (2).jpg",
                 "IMG_5501-Edit-2.jpg", "IMG_2407 copy 3.png", "IMG_2407-Enhanced-NR.dng", "-HDR.jpg"}
        << window
        << Names{"DSC00128.ARW", "DSC_4823.NEF", "IMG_2403.CR2", "IMG_2403.JPG", "IMG_2407.JPG", "IMG_5501.JPG"}
        << Positions{1, 0, 2, 2, 3, 5} << Names{"-HDR.jpg"} << Ambiguous{}
        << Near{{"DSC_4823_LR_Edit.jpg", "DSC_4823"}, {"DSC00128-2.JPG", "DSC00128"}, {"IMG_2403 copy.jpg", "IMG_2403"},
                {"img_2407 (1).jpg", "IMG_2407"}, {"IMG_2403 - Copy (2).jpg", "IMG_2403"},
                {"IMG_5501-Edit-2.jpg", "IMG_5501"}, {"IMG_2407 copy 3.png", "IMG_2407"}, {"IMG_2407-Enhanced-NR.dng", "IMG_2407"}}
        << Names{};
    QTest::newRow("a number typed with a space, a hash or a dash finds the picture it stands in whole")
        << shoot << Names{"IMG 2407", "#128", "img-2403", "#12", "2403 and 2407", "__"} << window
        << Names{"DSC00128.ARW", "IMG_2403.CR2", "IMG_2403.JPG", "IMG_2407.JPG"} << Positions{1, 2, 2, 0}
        << Names{"#12", "__"} << Ambiguous{}
        << Near{{"IMG 2407", "IMG_2407"}, {"#128", "DSC00128"}, {"img-2403", "IMG_2403"}} << Names{};
    QTest::newRow("a number in several pictures is ambiguous and selects nothing")
        << shoot << Names{"#5501", "IMG 2407"} << window << Names{"IMG_2407.JPG"} << Positions{1} << Names{}
        << Ambiguous{{"#5501", {"IMG_5501", "DSC_5501"}}} << Near{{"IMG 2407", "IMG_2407"}} << Names{};
    QTest::newRow("an e-mail: greeting, thanks and signature are text, lines with digits stay identifiers")
        << Names{"Zoe Day.jpg", "IMG_1.jpg"}
        << Names{"Hi Sam,", "IMG_1", "Thanks so much!!", "zoe day", "Anna", "table 12", "Thanks so much!!"} << window
        << Names{"Zoe Day.jpg", "IMG_1.jpg"} << Positions{3, 1} << Names{"Anna", "table 12"} << Ambiguous{}
        << Near{{"zoe day", "Zoe Day"}} << Names{"Hi Sam,", "Thanks so much!!"};
    QTest::newRow("numbers stay whole in near matches")
        << Names{"IMG_1412.jpg", "IMG_4120.jpg", "IMG_2403.JPG"} << Names{"412", "img_2403.jpg", "#2403", "9999.jpg"}
        << PkMatchOptions{true, true, true} << Names{"IMG_2403.JPG"} << Positions{1} << Names{"412", "9999.jpg"}
        << Ambiguous{} << Near{{"img_2403.jpg", "IMG_2403"}, {"#2403", "IMG_2403"}} << Names{};
    QTest::newRow("ignoring case through A to Z, a name without a number") << Names{"ZOE_AT_DAWN.JPG", "ZOE_AT_DAWN.CR2"}
        << Names{"zoe_at_dawn.jpg"} << window << Names{"ZOE_AT_DAWN.JPG", "ZOE_AT_DAWN.CR2"} << Positions{0, 0} << Names{}
        << Ambiguous{} << Near{{"zoe_at_dawn.jpg", "ZOE_AT_DAWN"}} << Names{};
    QTest::newRow("extensions kept: ignoring case keeps the extension too") << shoot << Names{"img_2403.jpg"}
        << PkMatchOptions{false, false, true} << Names{"IMG_2403.JPG"} << Positions{0} << Names{} << Ambiguous{}
        << Near{{"img_2403.jpg", "IMG_2403"}} << Names{};
    QTest::newRow("near matches off: as written only, text still left out")
        << shoot << Names{"img_2403.jpg", "IMG 2407", "Kind regards"} << stripped << Names{} << Positions{}
        << Names{"img_2403.jpg", "IMG 2407"} << Ambiguous{} << Near{} << Names{"Kind regards"};
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
    QTEST(result.near, "near");
    QFETCH(Names, text);
    QCOMPARE(result.textLines, text);
    const qsizetype textCount = std::count_if(ids.begin(), ids.end(), [&text](const QString &id) { return text.contains(id); });
    QCOMPARE(result.idCount, result.ids.size() - textCount);
    QCOMPARE(result.held.size(), result.files.size());
}

// Files that only identifiers ambiguous as written select wait for the
// user; pictures apart only by an edit or copy marker are one picture.
void TestPkSelectionMatcher::held_data()
{
    QTest::addColumn<Names>("names");
    QTest::addColumn<Names>("ids");
    QTest::addColumn<Names>("held");
    QTest::addColumn<Ambiguous>("ambiguous");

    Names typo{"IMG_2071.CR2"}, typoPictures;
    for (int i = 2070; i < 2080; ++i) {
        typo << QStringLiteral("IMG_%1.JPG").arg(i);
        typoPictures << QStringLiteral("IMG_%1").arg(i);
    }
    std::sort(typo.begin(), typo.end());
    QTest::newRow("a typo that matches ten pictures")
        << typo + Names{"IMG_2207.JPG", "IMG_2403.JPG"} << Names{"207", "IMG_2403.jpg"} << typo + Names{"IMG_2207.JPG"}
        << Ambiguous{{"207", typoPictures + Names{"IMG_2207"}, true}};
    QTest::newRow("an edit beside its original")
        << Names{"IMG_2403.JPG", "IMG_2403-Edit.jpg", "IMG_2403-Edit (1).jpg", "img_2403-2.tif", "IMG_2500.JPG"}
        << Names{"IMG_2403", "IMG_2500"} << Names{} << Ambiguous{};
    QTest::newRow("a file an unambiguous identifier selects too")
        << Names{"IMG_2070.JPG", "IMG_2071.CR2", "IMG_2071.JPG"} << Names{"207", "IMG_2071"}
        << Names{"IMG_2070.JPG"} << Ambiguous{{"207", {"IMG_2070", "IMG_2071"}, true}};
    QTest::newRow("a file a near match selects too")
        << Names{"IMG_2070.JPG", "IMG_2071.JPG", "IMG_2403.JPG"} << Names{"207", "img_2071.jpg", "img_2403.jpg"}
        << Names{"IMG_2070.JPG"} << Ambiguous{{"207", {"IMG_2070", "IMG_2071"}, true}};
}

void TestPkSelectionMatcher::held()
{
    QFETCH(Names, names);
    QFETCH(Names, ids);
    const PkMatchResult result = PkSelectionMatcher::matchNames(names, ids, {true, false, true});
    Names held;
    for (qsizetype file = 0; file < result.files.size(); ++file) {
        if (result.isHeld(file))
            held << result.files.at(file);
    }
    QTEST(held, "held");
    QTEST(result.ambiguous, "ambiguous");
}

// The last extension goes: a dot and 1 to 5 ASCII letters or digits, one of
// them a letter ("0aZ9z" holds the ends of each range), after more than dots.
// Each edit or copy marker goes, once, from the end of a case-folded stem;
// near misses of one stay.
void TestPkSelectionMatcher::markers()
{
    const std::pair<QString, qsizetype> cases[] = {
        {"a-edit", 1}, {"a-edit-2", 1}, {"a_lr_edit", 1}, {"a_edited", 1}, {"a-edited", 1}, {"a-hdr", 1},
        {"a-pano", 1}, {"a-enhanced", 1}, {"a-enhanced-nr", 1}, {"a-2", 1}, {"a-99", 1}, {"a copy", 1},
        {"a copy 2", 1}, {"a - copy", 1}, {"a - copy (2)", 1}, {"a (1)", 1}, {"a (99)", 1}, {"a-edit-edit", 6},
        {"a-1", -1}, {"a-100", -1}, {"a-02", -1}, {"a (0)", -1}, {"a (100)", -1}, {"a(1)", -1}, {"a copy 1", -1},
        {"a - copy (1)", 8}, {"a copy2", -1}, {"-edit", -1}, {"a", -1}, {"a)", -1}, {"a-", -1}, {"", -1}, {"a ()", -1},
        {"ab(1)", -1}, {"ab (1", -1}};
    for (const auto &[stem, length] : cases)
        QVERIFY2(PkMatchText::unmarkedLength(stem) == length, qPrintable(stem));
    const std::pair<QString, QString> numbers[] = {{"IMG 2407", "2407"}, {"#12", ""}, {"1 22 333 4", "333"},
                                                  {"333 444", ""}, {"0012", "0012"}, {"x", ""}};
    for (const auto &[text, number] : numbers)
        QCOMPARE(PkMatchText::pictureNumber(text).toString(), number);
    QVERIFY(PkMatchText::isText(u" Hi Sam, "));
    QVERIFY(!PkMatchText::isText(u" Sam "));
    QVERIFY(!PkMatchText::isText(u"Hi Sam \u0663"));
}

void TestPkSelectionMatcher::withoutExtension()
{
    const std::pair<QString, QString> cases[] = {
        {"a.b.0aZ9z", "a.b"}, {"x.A", "x"}, {"v1.2", "v1.2"}, {"x.abcdef", "x.abcdef"}, {"IMG1", "IMG1"},
        {"IMG1.", "IMG1."}, {"a.jpé", "a.jpé"}, {".jpg", ".jpg"}, {"..jpg", "..jpg"}, {"a..jpg", "a."},
        {"x.@", "x.@"}, {"x.[", "x.["}, {"x.`", "x.`"}, {"x.{", "x.{"}, {"x./", "x./"}, {"x.:", "x.:"}};
    for (const auto &[id, expected] : cases)
        QCOMPARE(PkSelectionMatcher::withoutExtension(id), expected);
}

// A folder is matched while it is listed, a few thousand names at a time, and
// gives what matching its listing gives.
void TestPkSelectionMatcher::folder()
{
    const auto dir = testFolderWithSettings();
    for (int i = 0; i < 2500; ++i)
        writeTestFile(dir->filePath(QString("%1_%2.%3").arg(i % 2 ? "img" : "IMG").arg(i * 7919 % 2500).arg(i % 3 ? "jpg" : "CR2")), {});
    // Names equal but for case stand where the whole folder puts them.
    for (int i = 0; i < 8; ++i) {
        for (const char *name : {"Müller_%1.JPG", "müller_%1.jpg"})
            writeTestFile(dir->filePath(QString::fromUtf8(name).arg(i)), {});
    }
    const Names ids{"IMG_12.jpg", "img_1", "2499", "IMG_77", "none.jpg", "img_3.CR2", "#1321", "üller_", "IMG_120 to IMG_124",
                    "we like 2497 and 2498 a lot"};
    const PkMatchOptions options{true, false, true};
    const PkMatchResult folder = PkSelectionMatcher::matchFolder(dir->path(), ids, options);
    const PkMatchResult listed = PkSelectionMatcher::matchNames(PkFolderLister::fileNames(dir->path()), ids, options);
    QVERIFY(folder.files.size() > 100);
    QCOMPARE(folder.files, listed.files);
    QCOMPARE(folder.fileIds, listed.fileIds);
    QCOMPARE(folder.held, listed.held);
    QCOMPARE(folder.ambiguous, listed.ambiguous);
    QCOMPARE(folder.near, listed.near);
    QCOMPARE(folder.prose, (QList<PkProseRead>{{ids.last(), {"2497", "2498"}}}));
    QCOMPARE(folder.idsNotFound, Names{"none.jpg"});
    QCOMPARE(PkSelectionMatcher::matchFolder(QString(), ids).idsNotFound, ids);
}

QTEST_APPLESS_MAIN(TestPkSelectionMatcher)
#include "tst_pkselectionmatcher.moc"
