// SPDX-License-Identifier: MIT

#include "pkidmatcher.h"

#include <QRandomGenerator>
#include <QTest>

// Checks the multi-identifier substring search against the obvious nested
// loop on thousands of generated cases, in both automaton modes.
class TestPkIdMatcher : public QObject
{
    Q_OBJECT

private slots:
    void identifiersLongerThanTextsAreLeftOut();
    void everyCodeUnit();
    void randomizedAgainstNestedLoop_data();
    void randomizedAgainstNestedLoop();
};

namespace {

bool referenceContains(const QString &text, const QList<QString> &ids)
{
    return std::any_of(ids.begin(), ids.end(), [&](const QString &id) {
        return !id.isEmpty() && text.indexOf(id, 0, Qt::CaseSensitive) != -1;
    });
}

QList<QString> referenceUnseen(const QList<QString> &texts, const QList<QString> &ids)
{
    QList<QString> unseen;
    for (const QString &id : ids) {
        if (!id.isEmpty() && !unseen.contains(id)
            && std::none_of(texts.begin(), texts.end(), [&](const QString &t) { return t.contains(id); }))
            unseen.append(id);
    }
    return unseen;
}

const QString gClef = QString::fromUtf8("\xF0\x9D\x84\x9E"); // U+1D11E, a surrogate pair
const QString otherGClef = QString::fromUtf8("\xF0\x9D\x84\x9F"); // U+1D11F, same high surrogate

} // namespace

void TestPkIdMatcher::identifiersLongerThanTextsAreLeftOut()
{
    const QString huge(5'000'000, QLatin1Char('x'));
    PkIdMatcher matcher({huge, "ab", huge}, 8);
    QVERIFY(matcher.nodeCount() <= 3);
    QVERIFY(matcher.record(QStringLiteral("xxab")));
    QCOMPARE(matcher.unseenIds(), QList<QString>{huge});
}

// 65,536 code units and the class of units in no identifier need more than
// 16 bits of class number.
void TestPkIdMatcher::everyCodeUnit()
{
    QList<QString> ids;
    for (int unit = 0; unit < 0x10000; unit += 2)
        ids.append(QString(QChar(unit)) + QChar(unit + 1));
    QList<QString> texts{"Fallback"};
    for (qsizetype k : {qsizetype(0), qsizetype(0x4000), ids.size() - 2, ids.size() - 1}) {
        const QString &id = ids.at(k);
        texts << id << ('x' + id) << (id.right(1) + id.left(1)) << (id.right(1) + ids.at((k + 1) % ids.size()).left(1));
    }
    const PkIdMatcher matcher(ids);
    for (const QString &text : std::as_const(texts))
        QCOMPARE(matcher.contains(text), referenceContains(text, ids));
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

    // A tiny alphabet makes overlaps, nesting and shared prefixes common; "A"
    // checks case, empty identifiers the blank-line mend, and the surrogate
    // halves and letters outside Latin-1 the class map.
    const QList<QString> alphabet{"a", "b", "c", "A", ".", " ", QString::fromUtf8("é"), QString::fromUtf8("ж"),
                                  gClef, otherGClef, gClef.left(1)};
    QRandomGenerator rng(20240611);
    auto randomText = [&](int maxParts) {
        QString s;
        for (int i = int(rng.bounded(maxParts + 1)); i > 0; --i)
            s += alphabet.at(rng.bounded(int(alphabet.size())));
        return s;
    };

    for (int round = 0; round < 3000; ++round) {
        QList<QString> ids;
        for (int i = int(rng.bounded(12)); i > 0; --i) {
            const int kind = rng.bounded(10);
            if (kind == 1 && !ids.isEmpty())
                ids.append(ids.at(rng.bounded(int(ids.size()))));
            else
                ids.append(kind == 0 ? QString() : randomText(kind == 2 ? 14 : 4));
        }
        QList<QString> texts;
        qsizetype longest = 0;
        for (int i = int(rng.bounded(8)); i > 0; --i) {
            texts.append(randomText(10));
            longest = std::max(longest, texts.last().size());
        }
        PkIdMatcher recorder(ids, longest, denseCells);
        const PkIdMatcher unbounded(ids, std::numeric_limits<qsizetype>::max(), denseCells);
        for (const QString &text : texts) {
            const bool expected = referenceContains(text, ids);
            if (recorder.record(text) != expected || unbounded.contains(text) != expected)
                QFAIL(qPrintable(QStringLiteral("round %1: text \"%2\" ids %3").arg(round).arg(text, ids.join('|'))));
        }
        QCOMPARE(recorder.unseenIds(), referenceUnseen(texts, ids));
    }
}

QTEST_APPLESS_MAIN(TestPkIdMatcher)
#include "tst_pkidmatcher.moc"
