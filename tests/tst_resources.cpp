// SPDX-License-Identifier: MIT

#include <QFile>
#include <QTest>

class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void bundlesAreRegistered();
};

void TestResources::bundlesAreRegistered()
{
    QVERIFY(QFile::exists(QStringLiteral(":/images/favicon.ico")));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
