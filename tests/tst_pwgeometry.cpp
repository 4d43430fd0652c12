// SPDX-License-Identifier: MIT

#include "pwgeometry.h"

#include <QtTest>

class tst_PwGeometry : public QObject
{
    Q_OBJECT

    const PwGeometry geometry;

private slots:
    // The answers for a, b, c, alpha and beta from the values known (0 marks an unknown), compared exactly:
    // the reciprocal forms show in the last digit. What cannot be answered is 0.
    void solveRightTriangle()
    {
        const auto solve = [this](double a, double b, double c, double alpha, double beta) {
            QList<double> answers;
            for (const char *name : {"a", "b", "c", "alpha", "beta"})
                answers << geometry.solveRightTriangle(a, b, c, alpha, beta, name);
            return answers;
        };
        QCOMPARE(solve(3, 4, 0, 0, 0), QList<double>({0, 0, 5, 36.86989764584402, 53.13010235415598}));
        QCOMPARE(solve(3, 0, 5, 0, 0), QList<double>({0, 4, 0, 36.86989764584402, 53.13010235415599}));
        QCOMPARE(solve(0, 4, 5, 0, 0), QList<double>({3, 0, 0, 36.86989764584401, 53.13010235415599}));
        QCOMPARE(solve(3, 0, 0, 30, 0), QList<double>({0, 5.196152422706632, 6, 0, 60}));
        QCOMPARE(solve(0, 0, 0, 40, 0), QList<double>({1, 1, 1, 1, 1})); // too little known
    }

    // The turn from each vector to the next: round the axes and quadrants and on to just below +x (where the
    // arc tangent rounds to -90: the direction wraps to 0, no full turn of 360), to the zero vector, which points
    // along +x, and in and out of vectors holding NaN.
    void vectors()
    {
        const QList<QPointF> walk = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0},
                                     {1, -1e-30}, {0, 0}, {0, 1}, {qQNaN(), 1}, {1, 0}, {-1, qQNaN()}, {1, 0},
                                     {qQNaN(), -1}, {1, 0}, {1, qQNaN()}, {1, 0}, {qQNaN(), 0}, {1, 0}};
        QStringList turns;
        for (int i = 1; i < walk.size(); ++i)
            turns << QString::number(geometry.getVectorAngle(QVector2D(walk[i - 1]), QVector2D(walk[i])));
        QCOMPARE(turns.join(' '), "45 45 45 45 45 45 45 45 0 0 90 nan nan nan nan nan nan nan nan nan nan");
        QCOMPARE(geometry.getDistanceXZ({0, 0, 0}, {3, 100, 4}), 5.0); // the height takes no part
    }
};

QTEST_GUILESS_MAIN(tst_PwGeometry)
#include "tst_pwgeometry.moc"
