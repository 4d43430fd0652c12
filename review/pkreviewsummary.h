// SPDX-License-Identifier: MIT

#ifndef PKREVIEWSUMMARY_H
#define PKREVIEWSUMMARY_H

#include <QLabel>

class PkReviewModel;

// The line above the grid: what is to be copied, then what needs a look,
// each part a link to its place in the grid.
class PkReviewSummary : public QLabel
{
    Q_OBJECT

public:
    // What a part of the line jumps to.
    static inline const QString leftOutPart = QStringLiteral("left-out");
    static inline const QString notFoundPart = QStringLiteral("not-found");
    static inline const QString ambiguousPart = QStringLiteral("ambiguous");
    static inline const QString unreadablePart = QStringLiteral("unreadable");
    static inline const QString nearPart = QStringLiteral("near");
    static inline const QString rejectedPart = QStringLiteral("rejected");
    static inline const QString hiddenPart = QStringLiteral("hidden");

    explicit PkReviewSummary(QWidget *parent = nullptr);

    void showCounts(const PkReviewModel &model);

signals:
    void jumpRequested(const QString &part);
};

#endif // PKREVIEWSUMMARY_H
