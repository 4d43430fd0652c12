// SPDX-License-Identifier: MIT

#include "pkreviewwindow.h"
#include "pkfolderwatch.h"
#include "pkreviewfilterbox.h"
#include "pkreviewmodel.h"
#include "pkreviewpreview.h"
#include "pkreviewsummary.h"
#include "pkreviewview.h"
#include "pkthumbnailloader.h"
#include "pwtools.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString geometryKey = QStringLiteral("review/geometry");
const QString sizeKey = QStringLiteral("review/thumbnailSize");
const QString eachFileKey = QStringLiteral("review/eachFile");

} // namespace

PkReviewWindow::PkReviewWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , reviewModel(new PkReviewModel(this))
    , thumbnailLoader(new PkThumbnailLoader(this))
    , reviewView(new PkReviewView(reviewModel, thumbnailLoader, this))
    , reviewPreview(new PkReviewPreview(this))
    , pages(new QStackedWidget(this))
    , bar(new QWidget(this))
    , summaryLine(new PkReviewSummary(this))
    , filterBox(new PkReviewFilterBox(reviewModel, this))
    , eachFile(new QCheckBox(QStringLiteral("Show each file"), this))
    , slider(new QSlider(Qt::Horizontal, this))
    , folderWatch(new PkFolderWatch(this))
{
    setWindowTitle(QStringLiteral("Review selection"));
    setUpBar();
    pages->addWidget(reviewView);
    pages->addWidget(reviewPreview);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(pages, 1);
    setUpLook();

    const QSettings settings;
    const int size = std::clamp(settings.value(sizeKey, defaultSize).toInt(), smallest, largest);
    slider->setValue(size);
    thumbnailLoader->setBox(size);
    eachFile->setChecked(settings.value(eachFileKey, false).toBool());
    reviewModel->setEachFile(eachFile->isChecked());
    if (!restoreGeometry(settings.value(geometryKey).toByteArray()))
        resize(960, 700);

    connect(slider, &QSlider::valueChanged, this, &PkReviewWindow::setThumbnailSize);
    connect(eachFile, &QCheckBox::toggled, this, [this](bool on) {
        QSettings().setValue(eachFileKey, on);
        reviewModel->setEachFile(on);
    });
    connect(reviewView, &PkReviewView::zoomRequested, this,
            [this](int steps) { slider->setValue(slider->value() + steps * sizeStep); });
    connect(reviewView, &PkReviewView::openRequested, this, &PkReviewWindow::openFile);
    connect(reviewView, &PkReviewView::previewRequested, this, &PkReviewWindow::showPreview);
    connect(reviewPreview, &PkReviewPreview::openRequested, this, &PkReviewWindow::openFile);
    connect(reviewPreview, &PkReviewPreview::closeRequested, this, &PkReviewWindow::closePreview);
    connect(reviewPreview, &PkReviewPreview::tickRequested, this, [this] { reviewModel->toggleTile(reviewView->currentTile()); });
    connect(reviewPreview, &PkReviewPreview::stepRequested, this, [this](int step) {
        reviewView->setCurrentTile(reviewView->currentTile() + step);
        showPreviewTile();
    });
    connect(summaryLine, &PkReviewSummary::jumpRequested, this, &PkReviewWindow::jumpTo);
    connect(folderWatch, &PkFolderWatch::listed, this, &PkReviewWindow::takeListing);
    const auto showCounts = [this] { summaryLine->showCounts(*reviewModel); };
    connect(reviewModel, &PkReviewModel::unreadableChanged, this, showCounts);
    connect(reviewModel, &PkReviewModel::judgementsChanged, this, showCounts);
    connect(reviewModel, &PkReviewModel::ticksChanged, this, [this, showCounts] {
        showCounts();
        if (isPreviewing())
            reviewPreview->setState(reviewModel->tileState(reviewView->currentTile()), !reviewModel->isExample(reviewView->currentTile()));
        emit leftOutChanged(reviewModel->leftOut());
    });
    setUpKeys();
}

// The main window takes this one with it when the program ends.
PkReviewWindow::~PkReviewWindow()
{
    if (isVisible())
        QSettings().setValue(geometryKey, saveGeometry());
}

void PkReviewWindow::setUpBar()
{
    slider->setRange(smallest, largest);
    slider->setSingleStep(sizeStep);
    slider->setPageStep(2 * sizeStep);
    slider->setFixedWidth(160);
    slider->setToolTip(QStringLiteral("Thumbnail size (Ctrl+wheel, Ctrl+plus, Ctrl+minus)"));
    eachFile->setToolTip(QStringLiteral("A tile for each file rather than one for each picture"));
    eachFile->setFocusPolicy(Qt::NoFocus);
    slider->setFocusPolicy(Qt::NoFocus);
    // Narrower, the summary beside the controls would be squeezed into a
    // column of single words.
    setMinimumWidth(640);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(14, 8, 14, 6);
    row->setSpacing(18);
    // A long summary takes a second line rather than widen the window.
    summaryLine->setWordWrap(true);
    summaryLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    row->addWidget(summaryLine, 1);
    row->addWidget(filterBox);
    row->addWidget(eachFile);
    row->addWidget(slider);
}

// Esc leaves the large preview first, then closes the window.
void PkReviewWindow::setUpKeys()
{
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { isPreviewing() ? closePreview() : void(close()); });
    const std::pair<QKeySequence, int> zooms[] = {{QKeySequence::ZoomIn, 1}, {QKeySequence(Qt::CTRL | Qt::Key_Equal), 1},
                                                  {QKeySequence::ZoomOut, -1}};
    for (const auto &[keys, steps] : zooms) {
        auto *zoom = new QShortcut(keys, this);
        connect(zoom, &QShortcut::activated, this, [this, steps = steps] { slider->setValue(slider->value() + steps * sizeStep); });
    }
}

// The main window's dark greys and Bender; the slider keeps Qt's own shape.
void PkReviewWindow::setUpLook()
{
    const PwTools tools;
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, tools.getColor(QStringLiteral("gray0.5")));
    palette.setColor(QPalette::WindowText, tools.getColor(QStringLiteral("gray8")));
    palette.setColor(QPalette::Base, tools.getColor(QStringLiteral("gray1")));
    palette.setColor(QPalette::Button, tools.getColor(QStringLiteral("gray2")));
    palette.setColor(QPalette::Text, tools.getColor(QStringLiteral("gray8")));
    palette.setColor(QPalette::Highlight, tools.getColor(QStringLiteral("marker")));
    setPalette(palette); // a window's background is always filled
    const QString label = tools.getCSSLabel(tools.getColor(QStringLiteral("gray8")), QColor(0, 0, 0, 0), 16,
                                            QStringLiteral("Bender"));
    summaryLine->setStyleSheet(label);
    QFont font(QStringLiteral("Bender"));
    font.setPixelSize(15);
    eachFile->setFont(font);
    palette.setColor(QPalette::Base, tools.getColor(QStringLiteral("gray3")));
    eachFile->setPalette(palette);
}

void PkReviewWindow::setSelection(const PkReviewSelection &selection, const QSet<QString> &leftOut)
{
    // The same folder and files again (another destination, say) keep
    // their thumbnails.
    if (!reviewModel->selection().isSameJob(selection))
        thumbnailLoader->clear();
    closePreview();
    goneFiles.clear();
    folderWatch->watch(selection.folder, selection.files);
    thumbnailLoader->setSidecars(PkReviewModel::sidecars(selection));
    reviewModel->setSelection(selection, leftOut);
    reviewView->showStart();
}

// A file removed or renamed since the match is made again, and its tile then
// says that it is no longer there; one put back shows again.
void PkReviewWindow::takeListing(const QSet<QString> &names)
{
    QList<QString> changed;
    const QList<QString> &files = reviewModel->selection().files;
    for (int file = 0; file < files.size(); ++file) {
        const bool gone = !names.contains(files.at(file));
        if (gone == goneFiles.contains(file))
            continue;
        if (gone)
            goneFiles.insert(file);
        else
            goneFiles.remove(file);
        changed.append(reviewModel->path(file));
    }
    if (changed.isEmpty())
        return;
    thumbnailLoader->drop(changed);
    reviewView->refresh(changed);
}

bool PkReviewWindow::isPreviewing() const
{
    return pages->currentWidget() == reviewPreview;
}

void PkReviewWindow::setThumbnailSize(int size)
{
    thumbnailLoader->setBox(size);
    QSettings().setValue(sizeKey, size);
    reviewView->relayout();
    reviewView->setCurrentTile(reviewView->currentTile());
}

void PkReviewWindow::jumpTo(const QString &part)
{
    if (part == PkReviewSummary::notFoundPart)
        return reviewView->showNotFound();
    if (part == PkReviewSummary::rejectedPart || part == PkReviewSummary::hiddenPart)
        return reviewModel->setFilter(part == PkReviewSummary::hiddenPart ? PkReviewFilter() : PkReviewFilter{PkReviewFilter::Kind::Rejected, 1, {}});
    const QList<PkReviewModel::Tile> &tiles = reviewModel->tiles();
    for (int tile = 0; tile < tiles.size(); ++tile) {
        const PkReviewModel::Group &group = reviewModel->groups().at(tiles.at(tile).group);
        bool hit = (part == PkReviewSummary::ambiguousPart && group.ambiguous) || (part == PkReviewSummary::nearPart && group.near);
        for (int file : tiles.at(tile).files) {
            hit = hit || (part == PkReviewSummary::unreadablePart && reviewModel->unreadable().contains(file))
                    || (part == PkReviewSummary::leftOutPart && !reviewModel->isTicked(file));
        }
        if (hit)
            return reviewView->showGroup(tiles.at(tile).group), reviewView->setCurrentTile(tile);
    }
}

void PkReviewWindow::showGroupOf(const QString &id)
{
    const QList<PkReviewModel::Group> &groups = reviewModel->groups();
    for (int group = 0; group < groups.size(); ++group) {
        if (groups.at(group).id == id)
            return reviewView->showGroup(group);
    }
}

void PkReviewWindow::showPreview()
{
    bar->hide();
    pages->setCurrentWidget(reviewPreview);
    reviewPreview->setFocus();
    showPreviewTile();
}

void PkReviewWindow::showPreviewTile()
{
    const int tile = reviewView->currentTile();
    const QString path = reviewView->shownPath(tile);
    if (path.isEmpty())
        return;
    const QString place = QStringLiteral("%1 of %2  \u00b7  \u2190 \u2192 move, T ticks, Space or Esc back to the sheet, Enter opens")
                                  .arg(tile + 1)
                                  .arg(reviewModel->tiles().size());
    const bool example = reviewModel->isExample(tile);
    const PkReviewModel::Tile &shown = reviewModel->tiles().at(tile);
    const QString name = shown.folder.isEmpty() ? shown.name : shown.folder + QLatin1Char('/') + shown.name;
    reviewPreview->showPicture(path, example ? QStringLiteral("Example: ") + name : name, reviewModel->badges(tile), place,
                               thumbnailLoader->thumbnail(path));
    reviewPreview->setState(reviewModel->tileState(tile), !example);
}

void PkReviewWindow::closePreview()
{
    bar->show();
    pages->setCurrentWidget(reviewView);
    reviewView->setFocus();
    reviewView->setCurrentTile(reviewView->currentTile());
}

void PkReviewWindow::openFile(const QString &path)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void PkReviewWindow::hideEvent(QHideEvent *event)
{
    QSettings().setValue(geometryKey, saveGeometry());
    QWidget::hideEvent(event);
}
