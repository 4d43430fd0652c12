// SPDX-License-Identifier: MIT

#include "pkreviewview.h"
#include "pkreviewmodel.h"
#include "pkreviewpainter.h"
#include "pkthumbnailloader.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QToolTip>

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
    // A thumbnail made at a size since changed is asked for again.
    connect(loader, &PkThumbnailLoader::loaded, this, [this] {
        viewport()->update();
        requestThumbnails();
    });
    connect(model, &PkReviewModel::ticksChanged, viewport(), qOverload<>(&QWidget::update));
}

PkReviewView::~PkReviewView()
{
    delete painter;
}

int PkReviewView::cellWidth() const
{
    return loader->box() + 2 * PkReviewPainter::padding;
}

int PkReviewView::cellHeight() const
{
    return loader->box() + PkReviewPainter::padding + painter->captionHeight();
}

void PkReviewView::relayout()
{
    const int width = viewport()->width() - 2 * PkReviewPainter::margin;
    columns = std::max(1, (width + PkReviewPainter::spacing) / (cellWidth() + PkReviewPainter::spacing));
    rows.clear();
    order.clear();
    positionRow.clear();
    int y = PkReviewPainter::margin;
    const QList<PkReviewModel::Group> &groups = model->groups();
    for (int group = 0; group < groups.size(); ++group) {
        rows.append({group, -1, 0, y, painter->headerHeight()});
        y += painter->headerHeight();
        const QList<int> &files = groups.at(group).files;
        for (int first = 0; first < files.size(); first += columns) {
            const int count = std::min(columns, int(files.size()) - first);
            rows.append({group, int(order.size()), count, y, cellHeight() + PkReviewPainter::spacing});
            for (int i = 0; i < count; ++i) {
                order.append(files.at(first + i));
                positionRow.append(int(rows.size()) - 1);
            }
            y += rows.last().height;
        }
    }
    notFoundY = y;
    contentHeight = y + painter->notFoundHeight(model->selection().idsNotFound, width) + PkReviewPainter::margin;
    currentPosition = std::clamp(currentPosition, 0, std::max(0, int(order.size()) - 1));
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(cellHeight() / 4);
    viewport()->update();
    requestThumbnails();
}

int PkReviewView::firstRowAt(int y) const
{
    const auto row = std::upper_bound(rows.begin(), rows.end(), y,
                                      [](int value, const Row &r) { return value < r.y + r.height; });
    return int(row - rows.begin());
}

QRect PkReviewView::cellRect(int position) const
{
    const Row &row = rows.at(positionRow.at(position));
    const int x = PkReviewPainter::margin + (position - row.first) * (cellWidth() + PkReviewPainter::spacing);
    return QRect(x, row.y, cellWidth(), cellHeight());
}

QRect PkReviewView::fileRect(int file) const
{
    const int position = int(order.indexOf(file));
    if (position < 0)
        return {};
    return cellRect(position).translated(0, -verticalScrollBar()->value());
}

QRect PkReviewView::tickRect(int file) const
{
    const QRect cell = fileRect(file);
    return cell.isEmpty() ? cell : PkReviewPainter::tickRect(cell);
}

QRect PkReviewView::groupTickRect(int group) const
{
    for (const Row &row : rows) {
        if (row.group == group && row.first < 0)
            return QRect(PkReviewPainter::margin, row.y + (row.height - PkReviewPainter::tickSize) / 2,
                         PkReviewPainter::tickSize, PkReviewPainter::tickSize)
                    .translated(0, -verticalScrollBar()->value());
    }
    return {};
}

int PkReviewView::positionAt(QPoint point) const
{
    const int y = point.y() + verticalScrollBar()->value();
    const int index = firstRowAt(y);
    if (index >= rows.size() || rows.at(index).first < 0 || y < rows.at(index).y)
        return -1;
    const Row &row = rows.at(index);
    const int column = (point.x() - PkReviewPainter::margin) / (cellWidth() + PkReviewPainter::spacing);
    if (point.x() < PkReviewPainter::margin || column >= row.count)
        return -1;
    const int position = row.first + column;
    return cellRect(position).contains(point.x(), y) ? position : -1;
}

int PkReviewView::groupHeaderAt(QPoint point) const
{
    const int index = firstRowAt(point.y() + verticalScrollBar()->value());
    if (index >= rows.size() || rows.at(index).first >= 0)
        return -1;
    return rows.at(index).group;
}

QList<QString> PkReviewView::wantedPaths() const
{
    QList<QString> paths;
    const int top = verticalScrollBar()->value();
    const int bottom = top + 2 * viewport()->height();
    for (int index = firstRowAt(top); index < rows.size() && rows.at(index).y < bottom; ++index) {
        const Row &row = rows.at(index);
        for (int position = row.first; position >= 0 && position < row.first + row.count; ++position)
            paths.append(model->path(order.at(position)));
    }
    return paths;
}

void PkReviewView::requestThumbnails()
{
    loader->want(wantedPaths());
}

void PkReviewView::setCurrentFile(int file)
{
    const int position = int(order.indexOf(file));
    if (position >= 0)
        movePosition(position);
}

void PkReviewView::movePosition(int position)
{
    if (order.isEmpty())
        return;
    currentPosition = std::clamp(position, 0, int(order.size()) - 1);
    ensureVisible(currentPosition);
    viewport()->update();
}

// Up and down keep the column where the next row is long enough.
void PkReviewView::moveVertically(int step)
{
    if (order.isEmpty())
        return;
    const int column = currentPosition - rows.at(positionRow.at(currentPosition)).first;
    for (int index = positionRow.at(currentPosition) + step; index >= 0 && index < rows.size(); index += step) {
        const Row &row = rows.at(index);
        if (row.first >= 0)
            return movePosition(row.first + std::min(column, row.count - 1));
    }
}

void PkReviewView::ensureVisible(int position)
{
    const QRect cell = cellRect(position);
    QScrollBar *bar = verticalScrollBar();
    if (cell.top() - PkReviewPainter::spacing < bar->value())
        bar->setValue(cell.top() - PkReviewPainter::spacing);
    else if (cell.bottom() + PkReviewPainter::spacing > bar->value() + viewport()->height())
        bar->setValue(cell.bottom() + PkReviewPainter::spacing - viewport()->height());
}

void PkReviewView::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    p.setRenderHint(QPainter::Antialiasing);
    const int top = verticalScrollBar()->value();
    p.translate(0, -top);
    for (int index = firstRowAt(top); index < rows.size() && rows.at(index).y < top + viewport()->height(); ++index)
        paintRow(p, rows.at(index));
    const QList<QString> &notFound = model->selection().idsNotFound;
    if (!notFound.isEmpty() && notFoundY < top + viewport()->height())
        painter->paintNotFound(p, QRect(PkReviewPainter::margin, notFoundY, viewport()->width() - 2 * PkReviewPainter::margin,
                                        contentHeight - notFoundY), notFound);
}

void PkReviewView::paintRow(QPainter &p, const Row &row)
{
    if (row.first < 0) {
        const QRect rect(PkReviewPainter::margin, row.y, viewport()->width() - 2 * PkReviewPainter::margin, row.height);
        painter->paintHeader(p, rect, model->groups().at(row.group), model->groupState(row.group));
        return;
    }
    for (int position = row.first; position < row.first + row.count; ++position) {
        const int file = order.at(position);
        painter->paintTile(p, cellRect(position), model->selection().files.at(file),
                           loader->thumbnail(model->path(file)), model->isTicked(file),
                           position == currentPosition && hasFocus());
    }
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
        return movePosition(currentPosition - 1);
    case Qt::Key_Right:
        return movePosition(currentPosition + 1);
    case Qt::Key_Up:
        return moveVertically(-1);
    case Qt::Key_Down:
        return moveVertically(1);
    case Qt::Key_Home:
        return movePosition(0);
    case Qt::Key_End:
        return movePosition(int(order.size()) - 1);
    case Qt::Key_Space:
        if (currentFile() >= 0)
            model->setTicked(currentFile(), !model->isTicked(currentFile()));
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentFile() >= 0)
            emit openRequested(model->path(currentFile()));
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void PkReviewView::mousePressEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    const int group = groupHeaderAt(point);
    if (group >= 0 && groupTickRect(group).contains(point))
        return model->toggleGroup(group);
    const int position = positionAt(point);
    if (position < 0)
        return;
    const int file = order.at(position);
    if (tickRect(file).contains(point))
        model->setTicked(file, !model->isTicked(file));
    movePosition(position);
}

void PkReviewView::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int position = positionAt(event->position().toPoint());
    if (position >= 0 && !tickRect(order.at(position)).contains(event->position().toPoint()))
        emit openRequested(model->path(order.at(position)));
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

QString PkReviewView::toolTipAt(QPoint point) const
{
    const int group = groupHeaderAt(point);
    if (group >= 0) {
        const QString id = model->groups().at(group).id;
        const QList<QString> pictures = model->selection().ambiguous.value(id);
        return pictures.isEmpty() ? QString()
                                  : QStringLiteral("Selects files of %1 pictures: %2")
                                            .arg(pictures.size())
                                            .arg(QStringList(pictures).join(QStringLiteral(", ")));
    }
    const int position = positionAt(point);
    if (position < 0)
        return {};
    const QString path = model->path(order.at(position));
    QStringList lines = {QFileInfo(path).fileName()};
    if (const PkThumbnail *thumbnail = loader->thumbnail(path)) {
        if (thumbnail->bytes >= 0)
            lines << QLocale().formattedDataSize(thumbnail->bytes);
        if (thumbnail->taken.isValid())
            lines << QStringLiteral("Taken ") + QLocale().toString(thumbnail->taken, QLocale::ShortFormat);
        if (thumbnail->kind == PkThumbnail::Kind::Broken)
            lines << QStringLiteral("Cannot show it: ") + thumbnail->reason;
    }
    const QString text = lines.join(QLatin1Char('\n'));
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal) : text;
}
