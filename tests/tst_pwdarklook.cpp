// SPDX-License-Identifier: MIT

#include "pwdarklook.h"
#include "pwtools.h"

#include <QtTest>
#include <QtWidgets>

// Qt's own widgets in the window's greys, and file dialogs that show their
// columns whole and, for folders, folders only.
class TestPwDarkLook : public QObject
{
    Q_OBJECT

private slots:
    void look()
    {
        PwDarkLook::apply();
        const QMenu menu; // made after the look is set, as the window's menus are
        QCOMPARE(QApplication::style()->name(), "fusion");
        QCOMPARE(menu.palette().color(QPalette::Window), PwTools().getColor("gray1.5"));
        QCOMPARE(QToolTip::palette().color(QPalette::ToolTipText), PwTools().getColor("gray8"));
        for (const bool folders : {false, true}) {
            QFileDialog dialog;
            PwDarkLook::shape(&dialog, folders);
            QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog) && dialog.width() == 960);
            QCOMPARE(dialog.testOption(QFileDialog::ShowDirsOnly) && dialog.fileMode() == QFileDialog::Directory, folders);
            QCOMPARE(dialog.findChild<QTreeView *>("treeView")->header()->sectionResizeMode(1), QHeaderView::ResizeToContents);
        }
    }
};

QTEST_MAIN(TestPwDarkLook)
#include "tst_pwdarklook.moc"
