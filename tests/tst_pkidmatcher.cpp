// SPDX-License-Identifier: MIT

#include "pkidmatcher.h"

#include <QRandomGenerator>
#include <QSet>
#include <QTest>

// Whether any non-empty identifier occurs in the text: the straightforward loop.
static bool occurs(const QString &in, const QList<QString> &ids)
{
    return std::any_of(ids.begin(), ids.end(), [&in](const auto &id) { return !id.isEmpty() && in.indexOf(id) >= 0; });
}

// The multi-identifier substring search against the indexOf loop, in both
// automaton modes.
class TestPkIdMatcher : public QObject
{
    Q_OBJECT

private slots:
    // All 65,536 code units, and the class of units in no identifier on top
    // of them, need more than 16 bits of class number. An identifier longer
    // than every text is left out: a 5 MB line must not become 5 million nodes.
    void everyCodeUnit()
    {
        QList<QString> ids{QString(5'000'000, 'x')};
        for (int unit = 0; unit < 0x10000; unit += 2)
            ids.append(QString(QChar(unit)) + QChar(unit + 1));
        const PkIdMatcher matcher(ids, 4);
        QCOMPARE(matcher.nodeCount(), 1 + 0x10000);
        for (const QString &text : {ids.at(1), 'x' + ids.at(0x2000), ids.last(), ids.last().right(1) + ids.at(1)})
            QCOMPARE(matcher.contains(text), occurs(text, ids));
    }

    // Identifiers and texts are pieces of one random string of a tiny
    // alphabet, which makes overlaps, nesting, repeats and shared prefixes
    // common; "A" checks case, empty identifiers the blank-line rule, the
    // surrogate halves and letters outside Latin-1 the class map. Identifiers
    // longer than every text are left out of the automaton; every identifier
    // found is named by its end node. Even rounds use a
    // full transition table, odd ones the walk along failure links.
    void randomizedAgainstIndexOf()
    {
        const QList<QString> alphabet{"a", "b", "c", "A", ".", "é", "ж", "\U0001D11E", "\U0001D11F", QChar(0xD834)};
        QRandomGenerator rng(20240611);
        for (int round = 0; round < 6000; ++round) {
            QString pool;
            for (int i = 0; i < 40; ++i)
                pool += alphabet.at(rng.bounded(int(alphabet.size())));
            QList<QString> ids, texts;
            for (int i = int(rng.bounded(12)); i > 0; --i)
                ids.append(pool.mid(rng.bounded(30), rng.bounded(rng.bounded(10) == 0 ? 15 : 5)));
            qsizetype longest = 0;
            for (int i = int(rng.bounded(8)); i > 0; --i)
                longest = std::max(longest, texts.emplace_back(pool.mid(rng.bounded(30), rng.bounded(11))).size());
            PkIdMatcher matcher(ids, longest, round % 2 ? 0 : PkIdMatcher::DefaultDenseCells);
            for (const QString &text : std::as_const(texts)) {
                QCOMPARE(matcher.contains(text), occurs(text, ids));
                // Each occurrence once, where it begins.
                QList<QPair<int32_t, qsizetype>> hits;
                matcher.forEachEnd(text, [&](int32_t node, qsizetype end) { hits.append({node, end - matcher.length(node)}); });
                for (qsizetype i = 0; i < ids.size(); ++i) {
                    for (qsizetype start = 0; start < text.size(); ++start) {
                        const bool there = !ids.at(i).isEmpty() && QStringView(text).sliced(start).startsWith(ids.at(i));
                        QCOMPARE(hits.count({matcher.endNode(i), start}), there ? 1 : 0);
                    }
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestPkIdMatcher)
#include "tst_pkidmatcher.moc"
