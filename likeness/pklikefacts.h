// SPDX-License-Identifier: MIT

#ifndef PKLIKEFACTS_H
#define PKLIKEFACTS_H

#include <QDateTime>
#include <QString>

// What a file says about the moment and the camera it was taken with, as
// the camera wrote it into the JPEG's EXIF block or the raw file.
struct PkLikeFacts
{
    QDateTime taken; // DateTimeOriginal, to the second; invalid when missing
    QString subSeconds; // SubSecTimeOriginal's digits, or empty
    QString make;
    QString model;
    QString serial; // BodySerialNumber
    // Why the file is no picture ("Not a picture (3 KB)"), or empty.
    QString problem;

    // The camera as both files name it: by body serial where both have one
    // (case, blanks and leading zeros aside), else by make and model where
    // both have them (case aside; a model that repeats the make at its start
    // compares without it). Where neither is on both sides, any camera is
    // taken for the same one.
    static bool sameCamera(const PkLikeFacts &a, const PkLikeFacts &b);
    // The same second and camera, and the same sub-seconds where both say.
    static bool sameShot(const PkLikeFacts &a, const PkLikeFacts &b);
};

#endif // PKLIKEFACTS_H
