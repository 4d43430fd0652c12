// SPDX-License-Identifier: MIT

#include "pwdarklook.h"
#include "pwtools.h"

#include <QtTest>
#include <QtWidgets>

// Qt's own widgets in the window's greys: menus, tooltips, disabled entries,
// and file dialogs that show their columns whole and, for folders, folders only.
class TestPwDarkLook : public QObject
{
    Q_OBJECT

private slots:
    void palette()
    {
        PwDarkLook::apply();
        const PwTools tools;
        const QMenu menu; // made after the look is set, as the window's menus are
        QCOMPARE(QApplication::style()->name(), "fusion");
        QCOMPARE(menu.palette().color(QPalette::Window), tools.getColor("gray1.5"));
        QCOMPARE(menu.palette().color(QPalette::WindowText), tools.getColor("gray8"));
        QCOMPARE(menu.palette().color(QPalette::Highlight), tools.getColor("marker"));
        QCOMPARE(menu.palette().color(QPalette::Disabled, QPalette::Text), tools.getColor("gray4"));
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipBase), tools.getColor("gray2"));
    }

    void dialogs()
    {
        for (const bool folders : {false, true}) {
            QFileDialog dialog;
            PwDarkLook::shape(&dialog, folders);
            QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
            QCOMPARE(dialog.testOption(QFileDialog::ShowDirsOnly), folders);
            QCOMPARE(dialog.fileMode() == QFileDialog::Directory, folders);
            QCOMPARE(dialog.size(), QSize(960, 560));
            const QHeaderView *header = dialog.findChild<QTreeView *>("treeView")->header();
            QCOMPARE(header->sectionResizeMode(0), QHeaderView::Stretch);
            QCOMPARE(header->sectionResizeMode(1), QHeaderView::ResizeToContents);
        }
    }
};

QTEST_MAIN(TestPwDarkLook)
#include "tst_pwdarklook.moc"
