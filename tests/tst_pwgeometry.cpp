// SPDX-License-Identifier: MIT

#include "pwgeometry.h"

#include <QtTest>

#include <cmath>
#include <limits>

class tst_PwGeometry : public QObject
{
    Q_OBJECT

private slots:
    void solveRightTriangle_data()
    {
        // Inputs and answers in the order a, b, c, alpha, beta; an input of 0 is unknown.
        // The answers are exact doubles: the reciprocal forms show in the last digit
        // (1 / (tan 70° / 5) is not 5 / tan 70°).
        QTest::addColumn<QList<double>>("known");
        QTest::addColumn<QList<double>>("answers");
        using V = QList<double>;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("legs 3, 4") << V{3, 4, 0, 0, 0} << V{0, 0, 5, 36.86989764584402, 53.13010235415598};
        QTest::newRow("c 10, alpha 30") << V{0, 0, 10, 30, 0} << V{4.999999999999999, 8.660254037844387, 0, 0, 60};
        QTest::newRow("b 4, c 5") << V{0, 4, 5, 0, 0} << V{3, 0, 0, 36.86989764584401, 53.13010235415599};
        QTest::newRow("a 3, c 5") << V{3, 0, 5, 0, 0} << V{0, 4, 0, 36.86989764584402, 53.13010235415599};
        QTest::newRow("b 1, c 2") << V{0, 1, 2, 0, 0} << V{1.7320508075688772, 0, 0, 60.00000000000001, 30.000000000000004};
        QTest::newRow("a 1, c 2") << V{1, 0, 2, 0, 0} << V{0, 1.7320508075688772, 0, 30.000000000000004, 60.00000000000001};
        QTest::newRow("a 3, beta 30") << V{3, 0, 0, 0, 30} << V{0, 1.7320508075688772, 3.464101615137754, 60, 0};
        QTest::newRow("b 3, alpha 30") << V{0, 3, 0, 30, 0} << V{1.7320508075688772, 0, 3.464101615137754, 0, 60};
        QTest::newRow("b 5, beta 70") << V{0, 5, 0, 0, 70} << V{1.8198511713310124, 0, 5.320888862379562, 20, 0};
        QTest::newRow("a 5, alpha 70") << V{5, 0, 0, 70, 0} << V{0, 1.8198511713310124, 5.320888862379562, 0, 20};
        // The first applicable rule wins, and known values are recomputed.
        QTest::newRow("all but beta, inconsistent")
                << V{99, 100, 10, 30, 0} << V{4.999999999999999, 8.660254037844387, 198.00000000000003, nan, nan};
        QTest::newRow("two angles: no side") << V{0, 0, 0, 99, 50} << V{0, 0, 0, 40, -9};
        QTest::newRow("negative leg is known") << V{-3, 4, 0, 0, 0} << V{0, 0, 5, -36.86989764584402, -53.13010235415598};
        QTest::newRow("leg longer than hypotenuse") << V{5, 0, 3, 0, 0} << V{0, nan, 0, nan, nan};
        QTest::newRow("only alpha: too little data, beta not 50") << V{0, 0, 0, 40, 0} << V{1, 1, 1, 1, 1};
        QTest::newRow("only a: too little data") << V{7, 0, 0, 0, 0} << V{1, 1, 1, 1, 1};
        QTest::newRow("nothing known") << V{0, 0, 0, 0, 0} << V{1, 1, 1, 1, 1};
    }
    void solveRightTriangle()
    {
        QFETCH(QList<double>, known);
        QFETCH(QList<double>, answers);
        const QStringList names{"a", "b", "c", "alpha", "beta"};
        for (int i = 0; i < names.size(); ++i) {
            const double result = geometry.solveRightTriangle(known[0], known[1], known[2], known[3], known[4], names[i]);
            const bool same = result == answers[i] || (std::isnan(result) && std::isnan(answers[i]));
            QVERIFY2(same, qPrintable(names[i] + QStringLiteral(" = ") + QString::number(result, 'g', 17)));
        }
    }

    void unknownName()
    {
        // Too little data is answered before the name is looked at.
        for (const char *name : {"gamma", "Alpha", ""}) {
            QCOMPARE(geometry.solveRightTriangle(3, 4, 0, 0, 0, name), 0.0);
            QCOMPARE(geometry.solveRightTriangle(7, 0, 0, 0, 0, name), 1.0);
        }
    }

    void vectorAngle_data()
    {
        QTest::addColumn<QPointF>("first");
        QTest::addColumn<QPointF>("second");
        QTest::addColumn<double>("expected");
        // Points, not QVector2D: a data table under a GUI-less test main cannot
        // hold QtGui value types.
        QTest::newRow("first to second quadrant") << QPointF(1, 1) << QPointF(-1, 1) << 90.0;
        QTest::newRow("second to first quadrant wraps") << QPointF(-1, 1) << QPointF(1, 1) << 270.0;
        QTest::newRow("within the first quadrant") << QPointF(2, 1) << QPointF(1, 2) << 36.86989764584402;
        QTest::newRow("fourth to first quadrant") << QPointF(3, -1) << QPointF(1, 1) << 63.434948822922024;
        QTest::newRow("first to third quadrant") << QPointF(1, 1) << QPointF(-1, -1) << 180.0;
        QTest::newRow("third to fourth quadrant") << QPointF(-1, -1) << QPointF(1, -1) << 90.0;
        QTest::newRow("equal vectors") << QPointF(-2, 5) << QPointF(-2, 5) << 0.0;
        QTest::newRow("+x to +y") << QPointF(1, 0) << QPointF(0, 1) << 90.0;
        QTest::newRow("+y to -x") << QPointF(0, 1) << QPointF(-1, 0) << 90.0;
        QTest::newRow("-x to -y") << QPointF(-1, 0) << QPointF(0, -1) << 90.0;
        QTest::newRow("-y to +x") << QPointF(0, -1) << QPointF(1, 0) << 90.0;
        QTest::newRow("zero vector points along +x") << QPointF(0, 0) << QPointF(0, 1) << 90.0;
        // The arc tangent rounds to -90 here; unwrapped, the direction would be 360.
        QTest::newRow("just below +x is no full turn") << QPointF(1, 0) << QPointF(1, -1e-30) << 0.0;
    }
    void vectorAngle()
    {
        QFETCH(QPointF, first);
        QFETCH(QPointF, second);
        QFETCH(double, expected);
        const double angle = geometry.getVectorAngle(QVector2D(first), QVector2D(second));
        QVERIFY2(std::abs(angle - expected) < 1e-12, qPrintable(QString::number(angle, 'g', 17)));
    }

    void distances()
    {
        QCOMPARE(geometry.getDistance2D({0, 0}, {3, 4}), 5.0);
        QCOMPARE(geometry.getDistanceXZ({0, 0, 0}, {3, 100, 4}), 5.0);
        // Squares are taken in double: in float, 4e20 squared overflows to infinity.
        QVERIFY(std::abs(geometry.getDistance2D({0, 0}, {3e20f, 4e20f}) / 5e20 - 1) < 1e-6);
    }

private:
    PwGeometry geometry;
};

QTEST_GUILESS_MAIN(tst_PwGeometry)
#include "tst_pwgeometry.moc"
