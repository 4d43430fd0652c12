// SPDX-License-Identifier: MIT

#include "pkidmatcher.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

// Checks the multi-identifier substring search against the obvious nested
// loop, on hand-picked cases and on thousands of generated ones.
class TestPkIdMatcher : public QObject
{
    Q_OBJECT

private slots:
    void contains_data();
    void contains();
    void unseenIds_data();
    void unseenIds();
    void identifiersLongerThanTextsAreLeftOut();
    void randomizedAgainstNestedLoop_data();
    void randomizedAgainstNestedLoop();
};

namespace {

bool referenceContains(const QString &text, const QList<QString> &ids)
{
    for (const QString &id : ids) {
        if (!id.isEmpty() && text.indexOf(id, 0, Qt::CaseSensitive) != -1)
            return true;
    }
    return false;
}

QList<QString> referenceUnseen(const QList<QString> &texts, const QList<QString> &ids)
{
    QList<QString> unseen;
    for (const QString &id : ids) {
        if (id.isEmpty() || unseen.contains(id))
            continue;
        const bool found = std::any_of(texts.begin(), texts.end(),
                                       [&id](const QString &t) { return t.contains(id); });
        if (!found)
            unseen.append(id);
    }
    return unseen;
}

const QString gClef = QString::fromUtf8("\xF0\x9D\x84\x9E"); // U+1D11E, a surrogate pair
const QString otherGClef = QString::fromUtf8("\xF0\x9D\x84\x9F"); // U+1D11F, same high surrogate

} // namespace

void TestPkIdMatcher::contains_data()
{
    QTest::addColumn<QList<QString>>("ids");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("expected");

    QTest::newRow("no identifiers") << QList<QString>{} << "IMG_0001.jpg" << false;
    QTest::newRow("only empty identifiers") << QList<QString>{"", ""} << "IMG_0001.jpg" << false;
    QTest::newRow("empty identifier beside a real one") << QList<QString>{"", "0002"} << "IMG_0001.jpg" << false;
    QTest::newRow("identifier in the middle") << QList<QString>{"0001"} << "IMG_0001.jpg" << true;
    QTest::newRow("identifier is the extension") << QList<QString>{".CR2"} << "IMG_0001.CR2" << true;
    QTest::newRow("case differs") << QList<QString>{"IMG_0001"} << "img_0001.jpg" << false;
    QTest::newRow("identifier equals text") << QList<QString>{"a.jpg"} << "a.jpg" << true;
    QTest::newRow("identifier longer than text") << QList<QString>{"a.jpeg"} << "a.jpg" << false;
    QTest::newRow("match only after a failed longer prefix") << QList<QString>{"abcd", "bce"} << "xabcex" << true;
    QTest::newRow("nested identifier reached through suffix link") << QList<QString>{"abcdx", "bc"} << "abcy" << true;
    QTest::newRow("near miss of every identifier") << QList<QString>{"abc", "bcd", "cde"} << "abdbcecdf" << false;
    QTest::newRow("text empty") << QList<QString>{"a"} << "" << false;
    QTest::newRow("blank inside identifier") << QList<QString>{"B 2"} << "photo B 2.jpg" << true;
    QTest::newRow("non-Latin letters") << QList<QString>{QString::fromUtf8("Фото")} << QString::fromUtf8("Фото_1.jpg") << true;
    QTest::newRow("surrogate pair") << QList<QString>{gClef} << "a" + gClef + "b" << true;
    QTest::newRow("surrogate pair, other low half") << QList<QString>{gClef} << "a" + otherGClef + "b" << false;
    QTest::newRow("lone high surrogate matches half a pair") << QList<QString>{gClef.left(1)} << "x" + otherGClef << true;
}

void TestPkIdMatcher::contains()
{
    QFETCH(QList<QString>, ids);
    QFETCH(QString, text);
    QFETCH(bool, expected);

    QCOMPARE(PkIdMatcher(ids).contains(text), expected);
    QCOMPARE(PkIdMatcher(ids, 1000, 0).contains(text), expected);
}

void TestPkIdMatcher::unseenIds_data()
{
    QTest::addColumn<QList<QString>>("ids");
    QTest::addColumn<QList<QString>>("texts");
    QTest::addColumn<QList<QString>>("expected");

    QTest::newRow("all seen") << QList<QString>{"1", "2"} << QList<QString>{"a1", "b2"} << QList<QString>{};
    QTest::newRow("list order kept, duplicates once")
        << QList<QString>{"z", "9", "z", "1", "y"} << QList<QString>{"a1"} << QList<QString>{"z", "9", "y"};
    QTest::newRow("empty identifiers never listed") << QList<QString>{"", "q", ""} << QList<QString>{"a"}
                                                    << QList<QString>{"q"};
    QTest::newRow("identifier seen only as suffix of another match")
        << QList<QString>{"abc", "bc", "c", "d"} << QList<QString>{"xabc"} << QList<QString>{"d"};
    QTest::newRow("shared suffix chain seen from two texts")
        << QList<QString>{"abcd", "bcd", "cd", "xcd"} << QList<QString>{"bcd", "abcd"} << QList<QString>{"xcd"};
    QTest::newRow("no texts") << QList<QString>{"a", "b"} << QList<QString>{} << QList<QString>{"a", "b"};
}

void TestPkIdMatcher::unseenIds()
{
    QFETCH(QList<QString>, ids);
    QFETCH(QList<QString>, texts);
    QFETCH(QList<QString>, expected);

    PkIdMatcher matcher(ids);
    for (const QString &text : texts)
        matcher.record(text);
    QCOMPARE(matcher.unseenIds(), expected);
}

void TestPkIdMatcher::identifiersLongerThanTextsAreLeftOut()
{
    const QString huge(5'000'000, QLatin1Char('x'));
    PkIdMatcher matcher({huge, "ab", huge}, 8);
    QVERIFY(matcher.nodeCount() <= 3);
    QVERIFY(matcher.record(QStringLiteral("xxab")));
    QCOMPARE(matcher.unseenIds(), QList<QString>{huge});
}

void TestPkIdMatcher::randomizedAgainstNestedLoop_data()
{
    QTest::addColumn<qsizetype>("denseCells");
    QTest::newRow("full transition table") << PkIdMatcher::DefaultDenseCells;
    QTest::newRow("failure-link walk") << qsizetype(0);
}

void TestPkIdMatcher::randomizedAgainstNestedLoop()
{
    QFETCH(qsizetype, denseCells);

    // A tiny alphabet makes overlaps, nesting and shared prefixes common; the
    // surrogate halves and letters outside Latin-1 exercise the class map.
    const QList<QString> alphabet{"a", "b", "c", ".", " ", QString::fromUtf8("é"), QString::fromUtf8("ж"),
                                  gClef, otherGClef, gClef.left(1)};
    QRandomGenerator rng(20240611);
    auto randomText = [&](int maxParts) {
        QString s;
        const int parts = int(rng.bounded(maxParts + 1));
        for (int i = 0; i < parts; ++i)
            s += alphabet.at(int(rng.bounded(qsizetype(alphabet.size()))));
        return s;
    };

    for (int round = 0; round < 3000; ++round) {
        QList<QString> ids;
        const int idCount = int(rng.bounded(12));
        for (int i = 0; i < idCount; ++i) {
            const quint32 kind = rng.bounded(10);
            if (kind == 0)
                ids.append(QString());
            else if (kind == 1 && !ids.isEmpty())
                ids.append(ids.at(int(rng.bounded(qsizetype(ids.size())))));
            else
                ids.append(randomText(kind == 2 ? 14 : 4));
        }
        QList<QString> texts;
        const int textCount = int(rng.bounded(8));
        for (int i = 0; i < textCount; ++i)
            texts.append(randomText(10));

        qsizetype longest = 0;
        for (const QString &t : texts)
            longest = std::max(longest, t.size());
        PkIdMatcher matcher(ids, longest, denseCells);
        PkIdMatcher unbounded(ids, std::numeric_limits<qsizetype>::max(), denseCells);
        for (const QString &text : texts) {
            const bool expected = referenceContains(text, ids);
            if (matcher.record(text) != expected || unbounded.contains(text) != expected) {
                QFAIL(qPrintable(QStringLiteral("round %1: text \"%2\" ids %3").arg(round).arg(text, ids.join('|'))));
            }
        }
        QCOMPARE(matcher.unseenIds(), referenceUnseen(texts, ids));
    }
}

QTEST_APPLESS_MAIN(TestPkIdMatcher)
#include "tst_pkidmatcher.moc"
