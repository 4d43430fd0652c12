// SPDX-License-Identifier: MIT

#include "pkreviewview.h"
#include "pkreviewmodel.h"
#include "pkreviewpainter.h"
#include "pkreviewtooltips.h"
#include "pkthumbnailloader.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QUrl>

#include <algorithm>

PkReviewView::PkReviewView(PkReviewModel *model, PkThumbnailLoader *loader, QWidget *parent)
    : QAbstractScrollArea(parent)
    , model(model)
    , loader(loader)
    , painter(new PkReviewPainter)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, painter->background());
    viewport()->setPalette(palette);
    viewport()->setAutoFillBackground(true);
    connect(loader, &PkThumbnailLoader::loaded, this, [this](const QString &path) {
        takeThumbnail(path);
        viewport()->update();
        requestThumbnails(); // a thumbnail made at a size since changed is asked for again
    });
    connect(model, &PkReviewModel::ticksChanged, viewport(), qOverload<>(&QWidget::update));
    connect(model, &PkReviewModel::layoutChanged, this, [this] {
        fileOfPath.clear();
        seen.clear();
        for (int file = 0; file < this->model->selection().files.size(); ++file)
            fileOfPath.insert(this->model->path(file), file);
        relayout();
    });
}

PkReviewView::~PkReviewView()
{
    delete painter;
}

void PkReviewView::relayout()
{
    // A tooltip would go on describing what stood under the mouse before.
    if (QToolTip::isVisible())
        QToolTip::hideText();
    QList<PkReviewLayout::Group> groups;
    for (const PkReviewModel::Group &group : model->groups())
        groups.append({int(group.tiles.size()), group.header});
    const int box = loader->box();
    const PkReviewLayout::Metrics metrics{
            QSize(box + 2 * PkReviewPainter::padding, box + PkReviewPainter::padding + painter->captionHeight(model->hasFolders())),
            painter->headerHeight(box + 2 * PkReviewPainter::padding), PkReviewPainter::margin, PkReviewPainter::spacing, PkReviewPainter::padding};
    layout = PkReviewLayout(groups, metrics, viewport()->width());
    notFoundY = layout.height();
    contentHeight = notFoundY + painter->notFoundHeight(model->selection().idsNotFound);
    currentIndex = std::clamp(currentIndex, 0, std::max(0, int(model->tiles().size()) - 1));
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(metrics.cell.height() / 4);
    viewport()->update();
    requestThumbnails();
}

int PkReviewView::offset() const
{
    return verticalScrollBar()->value();
}

QRect PkReviewView::tileRect(int tile) const
{
    return layout.tiles().value(tile).translated(0, -offset());
}

QRect PkReviewView::fileRect(int file) const
{
    return tileRect(model->tileOf(file));
}

QRect PkReviewView::tickRect(int tile) const
{
    const QRect cell = tileRect(tile);
    return cell.isEmpty() || model->isExample(tile) ? QRect() : PkReviewPainter::tickRect(cell);
}

QRect PkReviewView::groupTickRect(int group) const
{
    const QRect header = layout.headers().value(group);
    return header.isEmpty() ? header : painter->headerTickRect(header.translated(0, -offset()));
}

int PkReviewView::shownFile(int tile)
{
    if (tile < 0 || tile >= model->tiles().size())
        return -1;
    const QList<int> &files = model->tiles().at(tile).files;
    for (int file : files) {
        const PkThumbnail *thumbnail = loader->thumbnail(model->path(file));
        if (thumbnail && thumbnail->kind == PkThumbnail::Kind::Picture)
            return file;
    }
    return files.value(0, -1);
}

QString PkReviewView::shownPath(int tile)
{
    if (tile >= 0 && tile < model->tiles().size() && model->isExample(tile))
        return model->tiles().at(tile).example;
    const int file = shownFile(tile);
    return file < 0 ? QString() : model->path(file);
}

int PkReviewView::tileAt(QPoint point) const
{
    const QPoint at = point + QPoint(0, offset());
    const QList<QRect> &tiles = layout.tiles();
    const auto found = std::find_if(tiles.begin(), tiles.end(), [at](const QRect &r) { return r.contains(at); });
    return found == tiles.end() ? -1 : int(found - tiles.begin());
}

int PkReviewView::headerAt(QPoint point) const
{
    const QList<QRect> &headers = layout.headers();
    const QPoint at = point + QPoint(0, offset());
    const auto found = std::find_if(headers.begin(), headers.end(), [at](const QRect &r) { return r.contains(at); });
    return found == headers.end() ? -1 : int(found - headers.begin());
}

// The tiles on screen and a screen ahead, then every other file, whose
// thumbnails are made in the background so that the summary counts the
// unreadable ones. Cached thumbnails count as seen too, so an evicted one
// is not made again only to be counted.
std::pair<QList<QString>, QList<QString>> PkReviewView::wantedPaths(qsizetype *onScreen)
{
    QList<QString> shown, later;
    const QRect screen(0, offset(), viewport()->width(), viewport()->height());
    const QRect ahead(0, offset(), viewport()->width(), 2 * viewport()->height());
    for (int tile = 0; tile < layout.tiles().size(); ++tile) {
        if (!layout.tiles().at(tile).intersects(ahead))
            continue;
        if (model->isExample(tile))
            shown.append(model->tiles().at(tile).example);
        // A tile's other files are only needed while none before is a picture.
        for (int file : model->tiles().at(tile).files) {
            const QString path = model->path(file);
            shown.append(path);
            const PkThumbnail *thumbnail = loader->thumbnail(path);
            if (!thumbnail || thumbnail->kind == PkThumbnail::Kind::Picture)
                break;
        }
        // Tiles come row by row: those on the screen are the first ones.
        if (onScreen && layout.tiles().at(tile).intersects(screen))
            *onScreen = shown.size();
    }
    for (int file = 0; file < model->selection().files.size(); ++file) {
        const QString path = model->path(file);
        if (seen.contains(path))
            continue;
        if (loader->thumbnail(path))
            takeThumbnail(path);
        else
            later.append(path);
    }
    return {shown, later};
}

void PkReviewView::requestThumbnails()
{
    qsizetype onScreen = 0;
    const auto [shown, later] = wantedPaths(&onScreen);
    loader->want(shown, later, onScreen);
}

void PkReviewView::takeThumbnail(const QString &path)
{
    const PkThumbnail *thumbnail = loader->thumbnail(path);
    const int file = fileOfPath.value(path, -1);
    if (!thumbnail || file < 0)
        return;
    seen.insert(path);
    model->setUnreadable(file, thumbnail->kind == PkThumbnail::Kind::Broken);
    model->setJudgement(file, {thumbnail->rating, thumbnail->label, thumbnail->judged});
}

void PkReviewView::refresh(const QList<QString> &paths)
{
    for (const QString &path : paths)
        seen.remove(path);
    requestThumbnails();
    viewport()->update();
}

void PkReviewView::setCurrentTile(int tile)
{
    moveTo(tile);
}

void PkReviewView::showStart()
{
    currentIndex = 0;
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void PkReviewView::moveTo(int tile)
{
    if (model->tiles().isEmpty())
        return;
    currentIndex = std::clamp(tile, 0, int(model->tiles().size()) - 1);
    ensureVisible(currentIndex);
    viewport()->update();
}

// Up and down go to the nearest tile, by its centre, on the next row of tiles.
void PkReviewView::moveVertically(int step)
{
    const QList<QRect> &tiles = layout.tiles();
    if (tiles.isEmpty())
        return;
    const QRect from = tiles.at(currentIndex);
    int best = -1;
    for (int tile = 0; tile < tiles.size(); ++tile) {
        const QRect &r = tiles.at(tile);
        if ((r.top() - from.top()) * step <= 0)
            continue;
        const auto rank = [&](const QRect &c) { return std::pair(std::abs(c.top() - from.top()), std::abs(c.center().x() - from.center().x())); };
        if (best < 0 || rank(r) < rank(tiles.at(best)))
            best = tile;
    }
    if (best >= 0)
        moveTo(best);
}

void PkReviewView::ensureVisible(int tile)
{
    const QRect cell = layout.tiles().value(tile);
    QScrollBar *bar = verticalScrollBar();
    const int above = std::max(PkReviewPainter::spacing, painter->headerHeight(cell.width()));
    if (cell.top() - above < bar->value())
        bar->setValue(cell.top() - above);
    else
        bar->setValue(std::max(bar->value(), cell.bottom() + PkReviewPainter::spacing - viewport()->height()));
}

void PkReviewView::showGroup(int group)
{
    const QRect header = layout.headers().value(group);
    const int tile = model->groups().value(group).tiles.value(0, -1);
    if (tile >= 0)
        moveTo(tile);
    verticalScrollBar()->setValue((header.isEmpty() ? layout.tiles().value(tile) : header).top() - PkReviewPainter::spacing);
}

void PkReviewView::showNotFound()
{
    verticalScrollBar()->setValue(notFoundY);
}

void PkReviewView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(0, -offset());
    const QRect shown(0, offset(), viewport()->width(), viewport()->height());
    for (int group = 0; group < model->groups().size(); ++group) {
        if (!layout.panels().at(group).intersects(shown))
            continue;
        painter->paintPanel(p, layout.panels().at(group));
        const Qt::CheckState state = model->groupState(group);
        const PkReviewModel::Group &g = model->groups().at(group);
        painter->paintHeader(p, layout.headers().at(group), PkReviewPainter::headerParts(g, state), state, !g.files.isEmpty());
    }
    for (int tile = 0; tile < layout.tiles().size(); ++tile) {
        if (layout.tiles().at(tile).intersects(shown))
            paintTile(p, tile);
    }
    const QList<QString> &notFound = model->selection().idsNotFound;
    if (!notFound.isEmpty() && notFoundY < shown.bottom())
        painter->paintNotFound(p, QRect(0, notFoundY, viewport()->width(), contentHeight - notFoundY)
                                      .adjusted(PkReviewPainter::margin, 0, -PkReviewPainter::margin, 0), notFound);
}

void PkReviewView::paintTile(QPainter &p, int tile)
{
    const PkReviewModel::Tile &t = model->tiles().at(tile);
    PkReviewPainter::TileLook look;
    look.caption = t.name;
    look.folder = t.folder;
    look.badges = model->badges(tile);
    const QString path = shownPath(tile);
    look.shownName = QFileInfo(path).fileName();
    look.thumbnail = loader->thumbnail(path);
    look.judgement = model->judgement(tile);
    look.state = model->tileState(tile);
    look.current = tile == currentIndex && hasFocus();
    look.example = model->isExample(tile);
    const PkReviewModel::Group &group = model->groups().at(t.group);
    look.choosing = group.ambiguous && !group.example.isEmpty() && model->groupState(t.group) == Qt::Unchecked;
    painter->paintTile(p, layout.tiles().at(tile), look);
}

void PkReviewView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void PkReviewView::scrollContentsBy(int, int)
{
    viewport()->update();
    requestThumbnails();
}

void PkReviewView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        return moveTo(currentIndex - 1);
    case Qt::Key_Right:
        return moveTo(currentIndex + 1);
    case Qt::Key_Up:
        return moveVertically(-1);
    case Qt::Key_Down:
        return moveVertically(1);
    case Qt::Key_Home:
        return moveTo(0);
    case Qt::Key_End:
        return moveTo(int(model->tiles().size()) - 1);
    case Qt::Key_T:
        if (!model->tiles().isEmpty())
            model->toggleTile(currentIndex);
        return;
    case Qt::Key_Space:
        if (!model->tiles().isEmpty())
            emit previewRequested();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!shownPath(currentIndex).isEmpty())
            emit openRequested(shownPath(currentIndex));
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

// Shift+click ticks or unticks every tile from the current one to this one.
void PkReviewView::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    const int group = headerAt(point);
    if (group >= 0 && groupTickRect(group).contains(point))
        return model->toggleGroup(group);
    const int tile = tileAt(point);
    if (tile < 0 || event->button() != Qt::LeftButton || model->isExample(tile))
        return tile < 0 ? void() : moveTo(tile);
    if (event->modifiers() & Qt::ShiftModifier)
        model->setTilesTicked(currentIndex, tile, model->tileState(tile) != Qt::Checked);
    else if (tickRect(tile).contains(point))
        model->toggleTile(tile);
    moveTo(tile);
}

void PkReviewView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    const int tile = tileAt(point);
    if (tile >= 0 && !tickRect(tile).contains(point))
        emit openRequested(shownPath(tile));
}

void PkReviewView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return QAbstractScrollArea::wheelEvent(event);
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        emit zoomRequested(steps);
    event->accept();
}

QMenu *PkReviewView::menuAt(QPoint point)
{
    const int tile = tileAt(point);
    const bool onList = tile < 0 && point.y() + offset() >= notFoundY && !model->selection().idsNotFound.isEmpty();
    if (tile < 0 && !onList)
        return nullptr;
    auto *menu = new QMenu(this);
    if (onList) {
        const QString ids = QStringList(model->selection().idsNotFound).join(QLatin1Char('\n')) + QLatin1Char('\n');
        menu->addAction(QStringLiteral("Copy identifiers not found"), this, [ids] { QApplication::clipboard()->setText(ids); });
        return menu;
    }
    moveTo(tile);
    const QString path = shownPath(tile);
    // An example lies outside the picture folder, in a folder of its own.
    const QString folder = model->isExample(tile) ? QFileInfo(path).absolutePath() : model->selection().folder;
    menu->addAction(QStringLiteral("Open"), this, [this, path] { emit openRequested(path); });
    menu->addAction(QStringLiteral("Show in folder"), this, [folder] { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); });
    menu->addAction(QStringLiteral("Copy name"), this, [path] { QApplication::clipboard()->setText(QFileInfo(path).fileName()); });
    const PkThumbnail *thumbnail = loader->thumbnail(path);
    if (thumbnail && thumbnail->kind == PkThumbnail::Kind::Broken)
        menu->addAction(QStringLiteral("Try again"), this, [this, path] { loader->tryAgain(path), requestThumbnails(); });
    return menu;
}

void PkReviewView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = menuAt(viewport()->mapFrom(this, event->pos()));
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

bool PkReviewView::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QAbstractScrollArea::viewportEvent(event);
    const QPoint point = static_cast<QHelpEvent *>(event)->pos();
    const QString text = toolTipAt(point);
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text, viewport());
    return true;
}

QString PkReviewView::toolTipAt(QPoint point)
{
    const int group = headerAt(point);
    if (group >= 0)
        return PkReviewToolTips::group(*model, group);
    const int tile = tileAt(point);
    return tile < 0 ? QString() : PkReviewToolTips::tile(*model, *loader, tile);
}
