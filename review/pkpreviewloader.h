// SPDX-License-Identifier: MIT

#ifndef PKPREVIEWLOADER_H
#define PKPREVIEWLOADER_H

#include "pkthumbnail.h"

#include <QObject>
#include <QThreadPool>

// Decodes one picture at a time, large, on a thread of its own: a newer
// request makes any earlier result stale, and a stale one is dropped.
class PkPreviewLoader : public QObject
{
    Q_OBJECT

public:
    explicit PkPreviewLoader(QObject *parent = nullptr);
    ~PkPreviewLoader() override;

    void load(const QString &path, int box);
    // No decode asked for is still to come.
    bool isIdle() const { return delivered == generation; }

signals:
    void loaded(const QString &path, const PkThumbnail &picture);

private:
    QThreadPool pool;
    quint64 generation = 0;
    quint64 delivered = 0;
};

#endif // PKPREVIEWLOADER_H
