// SPDX-License-Identifier: MIT

#ifndef BENCHSUPPORT_H
#define BENCHSUPPORT_H

#include <QList>
#include <QString>

#include <vector>

namespace BenchSupport {

// The middle of the values; for an even count, the mean of the two middle ones.
double median(std::vector<double> values);

// Processor time of the calling thread, in milliseconds: a long gap in the
// GUI thread's ticks with little of it means the thread waited for a core
// (the machine is shared), not that it was busy with the window.
double threadCpuMs();

// Writes count files IMG_0000.jpg, IMG_0001.jpg, ... of size bytes into
// folder, made if need be, and appends their names to names. The bytes are
// random, so that no file system can compress or share them, and the same
// in every run, so that runs compare.
bool writePictures(const QString &folder, int count, int size, QList<QString> &names);

} // namespace BenchSupport

#endif // BENCHSUPPORT_H
