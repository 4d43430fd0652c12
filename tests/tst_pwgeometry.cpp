// SPDX-License-Identifier: MIT

#include "pwgeometry.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

QString exact(double value)
{
    return QString::number(value, 'g', 17);
}

} // namespace

class tst_PwGeometry : public QObject
{
    Q_OBJECT

private slots:
    void solveRightTriangle_data();
    void solveRightTriangle();
    void vectorAngle_data();
    void vectorAngle();
    void distance2D_data();
    void distance2D();
    void distanceXZ_data();
    void distanceXZ();

private:
    PwGeometry geometry;
};

void tst_PwGeometry::solveRightTriangle_data()
{
    QTest::addColumn<QList<double>>("knowns"); // a, b, c, alpha, beta; 0 is unknown
    QTest::addColumn<QString>("wanted");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("tolerance"); // 0 asks for the exact double

    using K = QList<double>;
    const K legs{3, 4, 0, 0, 0};
    const K hypotenuseAndAlpha{0, 0, 10, 30, 0};

    QTest::newRow("legs: hypotenuse") << legs << "c" << 5.0 << 0.0;
    QTest::newRow("legs: alpha") << legs << "alpha" << 36.86989764584402 << 0.0;
    QTest::newRow("legs: beta") << legs << "beta" << 53.13010235415598 << 0.0;
    QTest::newRow("legs: no rule for a from a and b") << legs << "a" << 0.0 << 0.0;
    QTest::newRow("c and alpha: a") << hypotenuseAndAlpha << "a" << 4.999999999999999 << 0.0;
    QTest::newRow("c and alpha: b") << hypotenuseAndAlpha << "b" << 8.660254037844387 << 0.0;
    QTest::newRow("c and alpha: beta") << hypotenuseAndAlpha << "beta" << 60.0 << 0.0;
    QTest::newRow("c and alpha: no rule for c") << hypotenuseAndAlpha << "c" << 0.0 << 0.0;
    QTest::newRow("b and c: a") << K{0, 4, 5, 0, 0} << "a" << 3.0 << 0.0;
    QTest::newRow("a and c: b") << K{3, 0, 5, 0, 0} << "b" << 4.0 << 0.0;

    // Rule order: the first applicable rule wins even if later ones disagree.
    QTest::newRow("a from c and alpha before b and alpha")
            << K{0, 100, 10, 30, 0} << "a" << 4.999999999999999 << 0.0;
    QTest::newRow("a known is recomputed") << K{99, 0, 10, 30, 0} << "a" << 4.999999999999999 << 0.0;
    QTest::newRow("c from a and beta") << K{3, 0, 0, 0, 60} << "c" << 6.0 << 1e-12;
    QTest::newRow("c from b and alpha") << K{0, 3, 0, 60, 0} << "c" << 6.0 << 1e-12;
    QTest::newRow("a from b and beta") << K{0, 1, 0, 0, 45} << "a" << 1.0 << 1e-12;
    QTest::newRow("b from a and alpha") << K{1, 0, 0, 45, 0} << "b" << 1.0 << 1e-12;
    QTest::newRow("alpha from b and c") << K{0, 1, 2, 0, 0} << "alpha" << 60.0 << 1e-12;
    QTest::newRow("beta from a and c") << K{1, 0, 2, 0, 0} << "beta" << 60.0 << 1e-12;

    QTest::newRow("only alpha: too little data, not 50") << K{0, 0, 0, 40, 0} << "beta" << 1.0 << 0.0;
    QTest::newRow("two angles: no rule for c") << K{0, 0, 0, 40, 50} << "c" << 0.0 << 0.0;
    QTest::newRow("two angles: alpha recomputed from beta")
            << K{0, 0, 0, 99, 50} << "alpha" << 40.0 << 0.0;
    for (const char *name : {"a", "b", "c", "alpha", "beta", "gamma"}) {
        QTest::addRow("only a = 7, %s: too little data", name) << K{7, 0, 0, 0, 0} << name << 1.0 << 0.0;
        QTest::addRow("nothing known, %s: too little data", name) << K{0, 0, 0, 0, 0} << name << 1.0 << 0.0;
    }
    QTest::newRow("unknown name gamma") << legs << "gamma" << 0.0 << 0.0;
    QTest::newRow("name is case-sensitive") << legs << "Alpha" << 0.0 << 0.0;
    QTest::newRow("empty name") << legs << "" << 0.0 << 0.0;

    QTest::newRow("negative leg counts as known") << K{-3, 4, 0, 0, 0} << "c" << 5.0 << 0.0;
    QTest::newRow("negative leg gives negative angle")
            << K{-3, 4, 0, 0, 0} << "alpha" << -36.86989764584402 << 0.0;

    QTest::newRow("leg longer than hypotenuse: alpha") << K{5, 0, 3, 0, 0} << "alpha" << notANumber << 0.0;
    QTest::newRow("leg longer than hypotenuse: b") << K{5, 0, 3, 0, 0} << "b" << notANumber << 0.0;
    QTest::newRow("leg longer than hypotenuse: beta") << K{5, 0, 3, 0, 0} << "beta" << notANumber << 0.0;
}

void tst_PwGeometry::solveRightTriangle()
{
    QFETCH(QList<double>, knowns);
    QFETCH(QString, wanted);
    QFETCH(double, expected);
    QFETCH(double, tolerance);

    const double result = geometry.solveRightTriangle(knowns.at(0), knowns.at(1), knowns.at(2),
                                                      knowns.at(3), knowns.at(4), wanted);
    if (std::isnan(expected))
        QVERIFY2(std::isnan(result), qPrintable(exact(result)));
    else if (tolerance == 0)
        QVERIFY2(result == expected, qPrintable(exact(result)));
    else
        QVERIFY2(std::abs(result - expected) <= tolerance, qPrintable(exact(result)));
}

void tst_PwGeometry::vectorAngle_data()
{
    QTest::addColumn<QVector2D>("first");
    QTest::addColumn<QVector2D>("second");
    QTest::addColumn<double>("expected");

    QTest::newRow("first to second quadrant") << QVector2D(1, 1) << QVector2D(-1, 1) << 90.0;
    QTest::newRow("second to first quadrant wraps") << QVector2D(-1, 1) << QVector2D(1, 1) << 270.0;
    QTest::newRow("within the first quadrant")
            << QVector2D(2, 1) << QVector2D(1, 2) << 36.86989764584402;
    QTest::newRow("fourth to first quadrant")
            << QVector2D(3, -1) << QVector2D(1, 1) << 63.434948822922024;
    QTest::newRow("first to third quadrant") << QVector2D(1, 1) << QVector2D(-1, -1) << 180.0;
    QTest::newRow("third to fourth quadrant") << QVector2D(-1, -1) << QVector2D(1, -1) << 90.0;
    QTest::newRow("second to third quadrant") << QVector2D(-1, 1) << QVector2D(-1, -1) << 90.0;
    QTest::newRow("equal vectors") << QVector2D(-2, 5) << QVector2D(-2, 5) << 0.0;
    QTest::newRow("length does not matter") << QVector2D(1, 1) << QVector2D(7, 7) << 0.0;

    QTest::newRow("+x to +y") << QVector2D(1, 0) << QVector2D(0, 1) << 90.0;
    QTest::newRow("+y to -x") << QVector2D(0, 1) << QVector2D(-1, 0) << 90.0;
    QTest::newRow("-x to -y") << QVector2D(-1, 0) << QVector2D(0, -1) << 90.0;
    QTest::newRow("-y to +x") << QVector2D(0, -1) << QVector2D(1, 0) << 90.0;
    QTest::newRow("+y to +x wraps") << QVector2D(0, 1) << QVector2D(1, 0) << 270.0;
    QTest::newRow("+x to first quadrant") << QVector2D(1, 0) << QVector2D(1, 1) << 45.0;
    QTest::newRow("zero vector points along +x") << QVector2D(0, 0) << QVector2D(0, 1) << 90.0;
    QTest::newRow("zero vector to +x") << QVector2D(1, 0) << QVector2D(0, 0) << 0.0;
    // atan rounds to -90 here; without wrapping the direction would be 360.
    QTest::newRow("just below +x stays below a full turn")
            << QVector2D(1, 0) << QVector2D(1, -1e-30f) << 0.0;
}

void tst_PwGeometry::vectorAngle()
{
    QFETCH(QVector2D, first);
    QFETCH(QVector2D, second);
    QFETCH(double, expected);

    const double angle = geometry.getVectorAngle(first, second);
    QVERIFY2(std::abs(angle - expected) < 1e-12, qPrintable(exact(angle)));
    QVERIFY(angle >= 0 && angle < 360);
}

void tst_PwGeometry::distance2D_data()
{
    QTest::addColumn<QVector2D>("first");
    QTest::addColumn<QVector2D>("second");
    QTest::addColumn<double>("expected");

    QTest::newRow("3-4-5 from the origin") << QVector2D(0, 0) << QVector2D(3, 4) << 5.0;
    QTest::newRow("negative coordinates") << QVector2D(-1, -1) << QVector2D(2, 3) << 5.0;
    QTest::newRow("order does not matter") << QVector2D(2, 3) << QVector2D(-1, -1) << 5.0;
    QTest::newRow("same point") << QVector2D(7, -7) << QVector2D(7, -7) << 0.0;
    // Squares taken in double: the float square of 1e20 would overflow.
    QTest::newRow("large components") << QVector2D(0, 0) << QVector2D(3e20f, 4e20f)
                                      << 5.0 * double(1e20f);
}

void tst_PwGeometry::distance2D()
{
    QFETCH(QVector2D, first);
    QFETCH(QVector2D, second);
    QFETCH(double, expected);

    const double distance = geometry.getDistance2D(first, second);
    QVERIFY2(std::abs(distance - expected) <= 1e-9 * std::max(1.0, expected),
             qPrintable(exact(distance)));
}

void tst_PwGeometry::distanceXZ_data()
{
    QTest::addColumn<QVector3D>("first");
    QTest::addColumn<QVector3D>("second");
    QTest::addColumn<double>("expected");

    QTest::newRow("height ignored") << QVector3D(0, 0, 0) << QVector3D(3, 100, 4) << 5.0;
    QTest::newRow("only height differs") << QVector3D(1, 2, 3) << QVector3D(1, -50, 3) << 0.0;
    QTest::newRow("negative coordinates") << QVector3D(-1, 9, -1) << QVector3D(2, 0, 3) << 5.0;
}

void tst_PwGeometry::distanceXZ()
{
    QFETCH(QVector3D, first);
    QFETCH(QVector3D, second);
    QFETCH(double, expected);

    const double distance = geometry.getDistanceXZ(first, second);
    QVERIFY2(std::abs(distance - expected) <= 1e-9, qPrintable(exact(distance)));
}

QTEST_GUILESS_MAIN(tst_PwGeometry)
#include "tst_pwgeometry.moc"
