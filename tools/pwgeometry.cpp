// SPDX-License-Identifier: MIT

#include "pwgeometry.h"

#include "pwtools.h"

#include <cmath>
#include <limits>

namespace {

constexpr double degreesToRadians = 0.017453292519943295;
constexpr double radiansToDegrees = 57.29577951308232;

double sinDeg(double degrees)
{
    return std::sin(degrees * degreesToRadians);
}

double cosDeg(double degrees)
{
    return std::cos(degrees * degreesToRadians);
}

double tanDeg(double degrees)
{
    return std::tan(degrees * degreesToRadians);
}

bool isKnown(double value)
{
    return value != 0.0;
}

} // namespace

PwGeometry::PwGeometry()
    : tools(std::make_unique<PwTools>())
{
}

PwGeometry::~PwGeometry() = default;

double PwGeometry::solveRightTriangle(double a, double b, double c, double alpha, double beta,
                                      const QString &wanted) const
{
    const bool knowA = isKnown(a);
    const bool knowB = isKnown(b);
    const bool knowC = isKnown(c);
    const bool knowAlpha = isKnown(alpha);
    const bool knowBeta = isKnown(beta);
    if (knowA + knowB + knowC + knowAlpha + knowBeta < 2)
        return 1.0;

    // Each list is tried in order and the first rule with all its inputs known
    // wins. The wanted value itself may be known; it is recomputed regardless.
    // The reciprocal forms are kept as they are: they round differently from
    // a plain division.
    if (wanted == QLatin1String("a")) {
        if (knowC && knowAlpha) return c * sinDeg(alpha);
        if (knowC && knowBeta) return c * cosDeg(beta);
        if (knowB && knowAlpha) return b * tanDeg(alpha);
        if (knowB && knowBeta) return 1 / (tanDeg(beta) / b);
        if (knowB && knowC) return std::sqrt(c * c - b * b);
    } else if (wanted == QLatin1String("b")) {
        if (knowC && knowBeta) return c * sinDeg(beta);
        if (knowC && knowAlpha) return c * cosDeg(alpha);
        if (knowA && knowAlpha) return 1 / (tanDeg(alpha) / a);
        if (knowA && knowBeta) return a * tanDeg(beta);
        if (knowA && knowC) return std::sqrt(c * c - a * a);
    } else if (wanted == QLatin1String("c")) {
        if (knowA && knowAlpha) return 1 / (sinDeg(alpha) / a);
        if (knowB && knowBeta) return 1 / (sinDeg(beta) / b);
        if (knowA && knowBeta) return 1 / (cosDeg(beta) / a);
        if (knowB && knowAlpha) return 1 / (cosDeg(alpha) / b);
        if (knowA && knowB) return std::sqrt(b * b + a * a);
    } else if (wanted == QLatin1String("alpha")) {
        if (knowA && knowC) return std::asin(a / c) * radiansToDegrees;
        if (knowB && knowC) return std::acos(b / c) * radiansToDegrees;
        if (knowA && knowB) return std::atan(a / b) * radiansToDegrees;
        if (knowBeta) return 90 - beta;
    } else if (wanted == QLatin1String("beta")) {
        if (knowB && knowC) return std::asin(b / c) * radiansToDegrees;
        if (knowA && knowC) return std::acos(a / c) * radiansToDegrees;
        if (knowA && knowB) return std::atan(b / a) * radiansToDegrees;
        if (knowAlpha) return 90 - alpha;
    }
    return 0.0;
}

double PwGeometry::getVectorAngle(QVector2D first, QVector2D second) const
{
    const double from = getDirection(first.x(), first.y());
    const double to = getDirection(second.x(), second.y());
    if (from > to)
        return to + 360 - from;
    return to - from;
}

double PwGeometry::getDistance2D(QVector2D first, QVector2D second) const
{
    const float dx = second.x() - first.x();
    const float dy = second.y() - first.y();
    return std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
}

double PwGeometry::getDistanceXZ(QVector3D first, QVector3D second) const
{
    const float dx = second.x() - first.x();
    const float dz = second.z() - first.z();
    return std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dz) * dz);
}

// Direction of (x, y) in degrees from +x toward +y, in [0, 360).
double PwGeometry::getDirection(double x, double y) const
{
    double direction = std::numeric_limits<double>::quiet_NaN();
    if (x > 0 && y > 0)
        direction = solveRightTriangle(x, y, 0, 0, 0, QStringLiteral("beta"));
    else if (x < 0 && y > 0)
        direction = 90 + solveRightTriangle(y, -x, 0, 0, 0, QStringLiteral("beta"));
    else if (x < 0 && y < 0)
        direction = 180 + solveRightTriangle(x, y, 0, 0, 0, QStringLiteral("beta"));
    else if (x > 0 && y < 0)
        direction = 270 - solveRightTriangle(y, x, 0, 0, 0, QStringLiteral("beta"));
    // The solver needs two non-zero sides, so vectors on an axis are answered
    // here; the zero vector has no direction and is given that of +x.
    else if (x == 0 && y > 0)
        direction = 90;
    else if (x < 0 && y == 0)
        direction = 180;
    else if (x == 0 && y < 0)
        direction = 270;
    else if (x >= 0 && y == 0)
        direction = 0;

    // Close below the +x axis the arc tangent rounds to -90, which would make
    // a full turn of 360 instead of wrapping to 0.
    if (direction >= 360)
        direction -= 360;
    return direction;
}
