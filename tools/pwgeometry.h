// SPDX-License-Identifier: MIT

#ifndef PWGEOMETRY_H
#define PWGEOMETRY_H

// Plane geometry helpers: a right-triangle solver, vector angles, distances.
class PwGeometry
{
public:
    PwGeometry() = default;
};

#endif // PWGEOMETRY_H
