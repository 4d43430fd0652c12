// SPDX-License-Identifier: MIT

#ifndef PKLINEPIECES_H
#define PKLINEPIECES_H

#include <QList>
#include <QString>
#include <QStringView>

#include <vector>

struct PkMatchResult;

// A range read as its numbers, with those that no file holds.
struct PkRangeRead
{
    QString id;
    QList<QString> missing;

    bool operator==(const PkRangeRead &other) const { return id == other.id && missing == other.missing; }
};

// A line read as a sentence, with the picks read from it that were matched.
struct PkProseRead
{
    QString line;
    QList<QString> picks;

    // Reports name a sentence by its start, after a chat export's date and
    // sender: chat lines run on for a screen.
    static constexpr qsizetype shownLength = 24;
    QString shortLine() const;

    bool operator==(const PkProseRead &other) const { return line == other.line && picks == other.picks; }
};

// Reads identifiers as people write them beside plain picture names: a range
// (`2403-2406`, `IMG_2100 - IMG_2104`, `2410 to 2412`) stands for each number
// from one end to the other, and a sentence (`Could we have 2403 and 2407?`)
// for the numbers and names in it. Which reading holds depends on the folder:
// an identifier that selects files as written stays one, so every candidate
// piece is matched in the same pass as the identifiers, and read() decides.
class PkLinePieces
{
public:
    // A piece to match. wholeNumber is -1 for a name, matched as the options
    // say, or the length of the text before the number, which must stand
    // whole in a name, right after that text.
    struct Piece
    {
        QString text;
        int wholeNumber = -1;
        // For a range's number, the range as written.
        QString range = {};
    };

    // The identifiers once every reading is decided: those to match, each
    // with its wholeNumber, and what was read.
    struct Reading
    {
        QList<QString> ids;
        std::vector<int> wholeNumber;
        QList<PkRangeRead> ranges;
        QList<PkProseRead> prose;
        // Range numbers no file holds: counted, but not matched.
        qsizetype missing = 0;
        // A word alone that selects nothing is a sign-off, not a miss.
        bool signOffs = false;
    };

    explicit PkLinePieces(const QList<QString> &ids);

    // True when no identifier can be read otherwise than as written.
    bool isEmpty() const { return lines.isEmpty(); }

    // What to match: the identifiers, then the candidate pieces.
    QList<QString> texts() const;
    std::vector<int> wholeNumbers() const;

    // selects tells for each of texts() whether it selected any file.
    Reading read(const std::vector<bool> &selects) const;

    // Completes the match of reading.ids: the identifiers the files refer
    // to, the readings, and the lines found to be text.
    static void finish(Reading &&reading, PkMatchResult &result);

    // The numbers piece stands for when it is a range: both ends of as many
    // digits, at least three, the same text or none before the second, the
    // second above the first, at most maxRange numbers. Else none.
    static QList<Piece> rangeNumbers(QStringView piece);

    // The picks in a line of prose, chat and e-mail quote prefixes dropped:
    // names, runs of three or more digits and ranges, never a date, a time
    // or a price.
    static QList<Piece> prosePicks(QStringView line);

    // How many identifiers ids make before any folder is matched: ranges
    // count as their numbers.
    static qsizetype countBeforeMatching(const QList<QString> &ids);

    static constexpr int maxRange = 100;

private:
    enum class Kind : char { Range, Prose };
    struct Candidates
    {
        qsizetype id;
        Kind kind;
        qsizetype begin, end; // in pieces
    };

    void readPieces(Reading &reading, const Candidates &line, const std::vector<bool> &selects) const;

    const QList<QString> &ids;
    QList<Candidates> lines;
    QList<Piece> pieces;
    QList<QString> rangeTexts;
    // Most identifiers hold a digit: a word alone that selects nothing is
    // then a sign-off, not a miss.
    bool numbered = false;
};

#endif // PKLINEPIECES_H
