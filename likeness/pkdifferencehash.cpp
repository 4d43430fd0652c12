// SPDX-License-Identifier: MIT

#include "pkdifferencehash.h"

namespace {

// Each cell is the mean of the pixels it covers, so that every source pixel
// counts, whatever the picture's size.
QList<double> greyCells(const QImage &image, int columns, int rows)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    QList<double> sums(columns * rows, 0.0);
    QList<int> counts(columns * rows, 0);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *line = grey.constScanLine(y);
        const int row = y * rows / grey.height();
        for (int x = 0; x < grey.width(); ++x) {
            const int cell = row * columns + x * columns / grey.width();
            sums[cell] += line[x];
            ++counts[cell];
        }
    }
    for (int i = 0; i < sums.size(); ++i)
        sums[i] /= std::max(1, counts.at(i));
    return sums;
}

} // namespace

quint64 PkDifferenceHash::of(const QImage &image)
{
    if (image.isNull())
        return 0;
    // Large pictures are first brought down: the cells' means barely change.
    const QImage small = image.width() > 256 || image.height() > 256
        ? image.scaled(256, 256, Qt::KeepAspectRatio, Qt::SmoothTransformation)
        : image;
    const QList<double> cells = greyCells(small, 9, 8);
    quint64 hash = 0;
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            hash <<= 1;
            if (cells.at(row * 9 + column) > cells.at(row * 9 + column + 1))
                hash |= 1;
        }
    }
    return hash;
}
