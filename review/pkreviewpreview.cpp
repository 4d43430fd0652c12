// SPDX-License-Identifier: MIT

#include "pkreviewpreview.h"
#include "pkpreviewloader.h"
#include "pkreviewpainter.h"

#include <QKeyEvent>
#include <QPainter>

PkReviewPreview::PkReviewPreview(QWidget *parent)
    : QWidget(parent)
    , loader(new PkPreviewLoader(this))
    , painter(new PkReviewPainter)
{
    setFocusPolicy(Qt::StrongFocus);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    setPalette(palette);
    setAutoFillBackground(true);
    connect(loader, &PkPreviewLoader::loaded, this, [this](const QString &path, const PkThumbnail &loaded) {
        if (path != shownPath)
            return;
        picture = loaded;
        standIn = false;
        update();
    });
}

PkReviewPreview::~PkReviewPreview()
{
    delete painter;
}

int PkReviewPreview::box() const
{
    return qRound(std::max(width(), height() - barRect().height()) * devicePixelRatioF());
}

QRect PkReviewPreview::barRect() const
{
    const int height = painter->headerHeight();
    return QRect(0, this->height() - height, width(), height);
}

// The thumbnail stands in, enlarged, until the picture is decoded, so moving
// on shows the next picture at once.
void PkReviewPreview::showPicture(const QString &path, const QString &text, const QStringList &kinds, const QString &where,
                                  const PkThumbnail *thumbnail)
{
    place = where;
    standIn = thumbnail != nullptr;
    picture = standIn ? *thumbnail : PkThumbnail();
    shownPath = path;
    caption = text;
    badges = kinds;
    loadedBox = box();
    loader->load(path, loadedBox);
    update();
}

void PkReviewPreview::setState(Qt::CheckState tickState, bool hasTick)
{
    state = tickState;
    tickable = hasTick;
    update();
}

void PkReviewPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!shownPath.isEmpty() && box() > loadedBox) {
        loadedBox = box();
        loader->load(shownPath, loadedBox);
    }
}

QRect PkReviewPreview::headerRect() const
{
    return barRect().adjusted(2 * PkReviewPainter::padding, 0, -2 * PkReviewPainter::padding, 0);
}

QRect PkReviewPreview::tickRect() const
{
    return tickable ? painter->headerTickRect(headerRect()) : QRect();
}

// Fills the space above the bar, never larger than the picture's own pixels.
void PkReviewPreview::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect area(0, 0, width(), barRect().top());
    if (!picture.image.isNull()) {
        QSize size = picture.image.size().scaled(area.size(), Qt::KeepAspectRatio);
        const QSize own = (QSizeF(picture.image.size()) / devicePixelRatioF()).toSize();
        if (!standIn && own.width() < size.width())
            size = own;
        QRect target(QPoint(), size);
        target.moveCenter(area.center());
        p.drawImage(target, picture.image);
    } else if (picture.kind == PkThumbnail::Kind::Broken) {
        p.setPen(painter->marker());
        p.drawText(area, Qt::AlignCenter, picture.reason);
    }
    const QRect header = headerRect();
    QStringList parts = {caption};
    if (picture.cutShort)
        parts << QStringLiteral("Cut short");
    painter->paintHeader(p, header, parts << place, state, tickable);
    const int badgesAt = header.left() + PkReviewPainter::tickSize + 20 + painter->headerWidth(caption);
    painter->paintBadges(p, QPoint(badgesAt, painter->headerTickRect(header).bottom()), badges);
}

void PkReviewPreview::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        return emit stepRequested(-1);
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        return emit stepRequested(1);
    case Qt::Key_T:
        return emit tickRequested();
    case Qt::Key_Space:
    case Qt::Key_Escape:
        return emit closeRequested();
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return emit openRequested(shownPath);
    default:
        QWidget::keyPressEvent(event);
    }
}

void PkReviewPreview::mousePressEvent(QMouseEvent *event)
{
    if (tickRect().contains(event->position().toPoint()))
        emit tickRequested();
}
