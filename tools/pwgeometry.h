// SPDX-License-Identifier: MIT

#ifndef PWGEOMETRY_H
#define PWGEOMETRY_H

#include <QString>
#include <QVector2D>
#include <QVector3D>

#include <memory>

class PwTools;

// Plane geometry helpers: a right-triangle solver, the angle between two
// vector directions and point distances.
class PwGeometry
{
public:
    PwGeometry();
    ~PwGeometry();

    // Legs a and b, hypotenuse c, alpha opposite a and beta opposite b, in
    // degrees. Exactly 0 marks a value as unknown. Gives 1.0 when fewer than
    // two values are known, 0.0 when the request cannot be answered.
    double solveRightTriangle(double a, double b, double c, double alpha, double beta,
                              const QString &wanted) const;
    // Degrees, turning from the first direction toward the second, in [0, 360).
    double getVectorAngle(QVector2D first, QVector2D second) const;
    double getDistance2D(QVector2D first, QVector2D second) const;
    // Distance in the ground plane; the height (y) takes no part.
    double getDistanceXZ(QVector3D first, QVector3D second) const;

private:
    double getDirection(double x, double y) const;

    std::unique_ptr<PwTools> tools;
};

#endif // PWGEOMETRY_H
