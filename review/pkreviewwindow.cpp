// SPDX-License-Identifier: MIT

#include "pkreviewwindow.h"
#include "pkreviewmodel.h"
#include "pkreviewview.h"
#include "pkthumbnailloader.h"
#include "pwtools.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QShortcut>
#include <QSlider>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString geometryKey = QStringLiteral("review/geometry");
const QString sizeKey = QStringLiteral("review/thumbnailSize");

} // namespace

PkReviewWindow::PkReviewWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
    , reviewModel(new PkReviewModel(this))
    , thumbnailLoader(new PkThumbnailLoader(this))
    , reviewView(new PkReviewView(reviewModel, thumbnailLoader, this))
    , summary(new QLabel(this))
    , slider(new QSlider(Qt::Horizontal, this))
{
    setWindowTitle(QStringLiteral("Review selection"));
    slider->setRange(smallest, largest);
    slider->setFixedWidth(200);
    slider->setToolTip(QStringLiteral("Thumbnail size (Ctrl+wheel)"));
    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(14, 10, 14, 6);
    bar->addWidget(summary, 1);
    bar->addWidget(slider);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(bar);
    layout->addWidget(reviewView, 1);
    setUpLook();

    const QSettings settings;
    const int size = std::clamp(settings.value(sizeKey, 192).toInt(), smallest, largest);
    slider->setValue(size);
    thumbnailLoader->setBox(size);
    if (!restoreGeometry(settings.value(geometryKey).toByteArray()))
        resize(960, 700);

    connect(slider, &QSlider::valueChanged, this, &PkReviewWindow::setThumbnailSize);
    connect(reviewView, &PkReviewView::zoomRequested, this,
            [this](int steps) { slider->setValue(slider->value() + steps * 16); });
    connect(reviewView, &PkReviewView::openRequested, this, &PkReviewWindow::openFile);
    auto *close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    connect(reviewModel, &PkReviewModel::ticksChanged, this, [this] {
        showSummary();
        emit leftOutChanged(reviewModel->leftOut());
    });
}

// The main window takes this one with it when the program ends.
PkReviewWindow::~PkReviewWindow()
{
    if (isVisible())
        QSettings().setValue(geometryKey, saveGeometry());
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
    palette.setColor(QPalette::Highlight, tools.getColor(QStringLiteral("marker")));
    setPalette(palette);
    setAutoFillBackground(true);
    summary->setStyleSheet(tools.getCSSLabel(tools.getColor(QStringLiteral("gray8")), QColor(0, 0, 0, 0), 17,
                                             QStringLiteral("Bender")));
}

void PkReviewWindow::setSelection(const PkReviewSelection &selection)
{
    thumbnailLoader->clear();
    reviewModel->setSelection(selection);
    reviewView->setCurrentFile(0);
    reviewView->relayout();
}

void PkReviewWindow::setThumbnailSize(int size)
{
    thumbnailLoader->setBox(size);
    QSettings().setValue(sizeKey, size);
    reviewView->relayout();
}

void PkReviewWindow::showSummary()
{
    const int total = int(reviewModel->selection().files.size());
    const int left = total - reviewModel->tickedCount();
    QString text = total == 1 ? QStringLiteral("1 file to copy") : QStringLiteral("%1 files to copy").arg(total);
    if (left > 0)
        text = QStringLiteral("%1 of %2 files to copy, %3 left out").arg(total - left).arg(total).arg(left);
    summary->setText(text);
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
