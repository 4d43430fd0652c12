// SPDX-License-Identifier: MIT

// Renders the painted button, the information tiles and the progress panel
// over their piece of the window's background picture into PNG files, so the
// look can be judged without running the whole program; and the standard
// widgets in the application's dark look: a context menu, a tooltip, a
// message box and the two file dialogs.
//
// Usage: bench_render_widgets <output folder>

#include "pkbutton.h"
#include "pkdashboard.h"
#include "pwdarklook.h"
#include "pwtools.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QToolTip>
#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include <functional>
#include <memory>

namespace {

const QImage &background()
{
    static const QImage picture(QStringLiteral(":/images/backgroundImage.jpg"));
    return picture;
}

// The widget is drawn over the part of the picture it covers in the window,
// at windowPos, exactly as the window would show it.
bool renderOver(QWidget &widget, QPoint windowPos, const QString &fileName)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        painter.drawImage(QPoint(0, 0), background(),
                          QRect(windowPos, widget.size()));
    }
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.save(fileName);
}

// Waits for the dialogs to list their folders before they are grabbed.
void settle()
{
    QEventLoop loop;
    QTimer::singleShot(500, &loop, &QEventLoop::quit);
    loop.exec();
}

bool renderStandardWidgets(const QString &outDir)
{
    bool ok = true;
    QMenu menu;
    menu.addAction(QStringLiteral("Review selection\u2026"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    menu.addAction(QStringLiteral("Copy identifiers not found"));
    menu.addAction(QStringLiteral("Copy file list"))->setEnabled(false);
    menu.addSeparator();
    menu.addAction(QStringLiteral("Match without extensions"))->setCheckable(true);
    menu.popup(QPoint(100, 100));
    menu.setActiveAction(menu.actions().value(1));
    ok = menu.grab().save(outDir + QStringLiteral("/menu.png")) && ok;

    QWidget anchor;
    anchor.resize(400, 100);
    anchor.show();
    QToolTip::showText(QPoint(50, 50), QStringLiteral("Not found: IMG_0002.CR2, IMG_9000"), &anchor);
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel"))
            ok = widget->grab().save(outDir + QStringLiteral("/tooltip.png")) && ok;
    }

    QMessageBox box(QMessageBox::Warning, QStringLiteral("Pickwell"), QStringLiteral("Cannot read the list."),
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.show();
    ok = box.grab().save(outDir + QStringLiteral("/messagebox.png")) && ok;

    for (const bool folders : {false, true}) {
        const QString title = folders ? QStringLiteral("Choose the picture folder") : QStringLiteral("Choose the client's list");
        const std::unique_ptr<QFileDialog> dialog(PwDarkLook::fileDialog(nullptr, title, QDir::currentPath(), folders));
        settle();
        ok = dialog->grab().save(outDir + (folders ? QStringLiteral("/dialog-folder.png") : QStringLiteral("/dialog-list.png")))
            && ok;
    }
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    PwDarkLook::apply();
    QTextStream err(stderr);

    if (argc < 2) {
        err << "usage: " << argv[0] << " <output folder>\n";
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        err << "cannot create " << outDir << "\n";
        return 1;
    }

    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender.otf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender-Bold.otf"));

    const PwTools tools;
    bool ok = true;
    auto save = [&](QWidget &widget, QPoint windowPos, const QString &name) {
        const QString path = outDir + QLatin1Char('/') + name;
        if (!renderOver(widget, windowPos, path)) {
            err << "cannot write " << path << "\n";
            ok = false;
        }
    };

    PkButton button(0, QStringLiteral("standard"));
    button.setMainText(QStringLiteral("Select text file"), tools.getColor(QStringLiteral("gray7")));
    button.setFontSize(14);
    button.setFixedSize(240, 50);
    save(button, QPoint(20, 20), QStringLiteral("button.png"));

    PkButton selected(0, QStringLiteral("standard"));
    selected.setFixedSize(160, 90);
    selected.setFontSize(30);
    selected.setCaption(QStringLiteral(" Selected"), tools.getColor(QStringLiteral("gray8")));
    selected.setMainText(QStringLiteral("12"), tools.getColor(QStringLiteral("gray7")));
    save(selected, QPoint(80, 200), QStringLiteral("tile-selected.png"));

    PkButton warning(0, QStringLiteral("standard"));
    warning.setFixedSize(760, 60);
    warning.setFontSize(16);
    warning.setCaption(QStringLiteral(" Warning"), tools.getColor(QStringLiteral("gray8")));
    warning.setMainText(QStringLiteral("Folder \"FilesFromSelection\" already exists! Delete it!"),
                        tools.getColor(QStringLiteral("marker")));
    save(warning, QPoint(20, 200), QStringLiteral("tile-warning.png"));

    PkDashboard panel;
    panel.setFixedSize(800, 438);
    panel.setSelectionInfo(QStringLiteral("/photos/selection.txt"), QStringLiteral("/photos"), 3, 3);
    save(panel, QPoint(0, 80), QStringLiteral("panel-0.png"));
    panel.setProgress(1);
    save(panel, QPoint(0, 80), QStringLiteral("panel-33.png"));
    panel.setProgress(3);
    save(panel, QPoint(0, 80), QStringLiteral("panel-complete.png"));

    return renderStandardWidgets(outDir) && ok ? 0 : 1;
}
