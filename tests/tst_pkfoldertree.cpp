// SPDX-License-Identifier: MIT

#include "pkfoldertree.h"
#include "pkselectionmatcher.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Subfolders = PkMatchOptions::Subfolders;

// Jobs kept as photographers keep them: cards and camera folders below the
// picture folder, with what cards, shares and catalogues put beside them.
class TestPkFolderTree : public QObject
{
    Q_OBJECT

private:
    // Makes entries below root: "A/B/name" a file (folders made as needed),
    // "A/link->target" a symbolic link, "A/pipe|" a FIFO.
    static bool make(const QString &root, const QStringList &entries)
    {
        for (const QString &entry : entries) {
            const QByteArray path = QFile::encodeName(root + u'/' + entry.section(u"->"_s, 0, 0).chopped(entry.endsWith(u'|')));
            const QString folder = QFileInfo(QFile::decodeName(path)).path();
            if (!QDir().mkpath(folder))
                return false;
            const bool made = entry.contains(u"->"_s) ? ::symlink(QFile::encodeName(entry.section(u"->"_s, 1)).constData(), path.constData()) == 0
                            : entry.endsWith(u'|') ? ::mkfifo(path.constData(), 0644) == 0
                            : entry.endsWith(u'/') ? QDir().mkpath(QFile::decodeName(path))
                                                   : QFile(QFile::decodeName(path)).open(QIODevice::WriteOnly);
            if (!made)
                return false;
        }
        return true;
    }

private slots:
    void match_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<int>("search");
        QTest::addColumn<QString>("expected"); // files | not found | ambiguous | sub-folders, in sub-folders
        const int whenNone = int(Subfolders::WhenNoneHere), always = int(Subfolders::Always), never = int(Subfolders::Never);
        const QStringList cards{"CardA/IMG_0001.JPG", "CardA/IMG_0001.CR2", "CardB/IMG_0002.JPG", "CardB/IMG_0002.xmp"};
        QTest::newRow("two cards") << cards << QStringList{"0001", "0002", "0003"} << whenNone
            << "CardA/IMG_0001.CR2 CardA/IMG_0001.JPG CardB/IMG_0002.JPG CardB/IMG_0002.xmp | 0003 |  | 2, 0";
        QTest::newRow("two cards, never searched, with the hint") << cards << QStringList{"0001", "0002", "0003"} << never
            << " | 0001 0002 0003 |  | 0, 2";
        QTest::newRow("a rolled-over card") << QStringList{"DCIM/100CANON/IMG_0001.JPG", "DCIM/101CANON/IMG_0001.JPG", "DCIM/101CANON/IMG_0002.JPG"}
            << QStringList{"IMG_0001", "IMG_0002"} << whenNone
            << "DCIM/100CANON/IMG_0001.JPG DCIM/101CANON/IMG_0001.JPG DCIM/101CANON/IMG_0002.JPG |  | "
               "IMG_0001: DCIM/100CANON/IMG_0001, DCIM/101CANON/IMG_0001 | 3, 0";
        QTest::newRow("own files answer, rejects left alone") << QStringList{"IMG_0001.JPG", "Rejects/IMG_0002.JPG", "Rejects/IMG_0001.JPG"}
            << QStringList{"0001", "0002"} << whenNone << "IMG_0001.JPG | 0002 |  | 0, 1";
        QTest::newRow("always: own files first, then by path") << QStringList{"b/IMG_0001.JPG", "A/IMG_0001.CR2", "IMG_0001.JPG"}
            << QStringList{"IMG_0001.JPG"} << always
            << "IMG_0001.JPG A/IMG_0001.CR2 b/IMG_0001.JPG |  | IMG_0001.JPG: IMG_0001, A/IMG_0001, b/IMG_0001 | 2, 0";
        QTest::newRow("a sidecar-only folder beside pictures with theirs; a name without extension is a picture")
            << QStringList{"CardA/IMG_0001.CR2", "CardA/IMG_0001.xmp", "CardA/IMG_0002.NEF", "CardA/IMG_0002.NEF.xmp",
                           "Edits/IMG_0001.xmp", "Edits/IMG_0001.CR2.pp3", "Scan.v2/IMG_0003"} << QStringList{"0001", "0002", "0003"} << whenNone
            << "CardA/IMG_0001.CR2 CardA/IMG_0001.xmp CardA/IMG_0002.NEF CardA/IMG_0002.NEF.xmp Scan.v2/IMG_0003 |  |  | 3, 0";
        QTest::newRow("a lone sidecar at the top answers nothing, as in a sub-folder") << QStringList{"IMG_0001.xmp", "CardA/IMG_0001.CR2", "CardA/IMG_0001.xmp"}
            << QStringList{"0001"} << whenNone << "CardA/IMG_0001.CR2 CardA/IMG_0001.xmp |  |  | 1, 0";
        QTest::newRow("identifiers match names, never folders") << QStringList{"Client 2403/IMG_0001.JPG", "IMG_0009.JPG"}
            << QStringList{"2403"} << whenNone << " | 2403 |  | 1, 0";
        QTest::newRow("a near match in a sub-folder") << QStringList{"CardA/img_2403.jpg"} << QStringList{"IMG_2403"} << whenNone
            << "CardA/img_2403.jpg |  |  | 1, 0";
        QTest::newRow("near tries only for what selected nothing") << QStringList{"CardA/IMG_2403.JPG", "CardB/img_2404.jpg", "CardC/DSC_2403.NEF"}
            << QStringList{"IMG_2403", "IMG_2404"} << always << "CardA/IMG_2403.JPG CardB/img_2404.jpg |  |  | 3, 0";
        QTest::newRow("AppleDouble files and hidden folders") << QStringList{"CardA/IMG_0001.JPG", "CardA/._IMG_0001.JPG", ".thumbnails/IMG_0001.JPG", ".Trash-1000/files/IMG_0001.JPG"}
            << QStringList{"0001"} << whenNone << "CardA/IMG_0001.JPG |  |  | 1, 0";
        QTest::newRow("a NAS thumbnail folder and catalogue folders")
            << QStringList{"CardA/IMG_0001.JPG", "CardA/@eaDir/IMG_0001.JPG/SYNOPHOTO_THUMB_XL_IMG_0001.jpg", "#recycle/IMG_0001.JPG",
                           "Job.lrdata/IMG_0001.JPG", "CaptureOne/Settings/IMG_0001.JPG.cos", "lost+found/IMG_0001.JPG", "$RECYCLE.BIN/IMG_0001.JPG"}
            << QStringList{"0001"} << whenNone << "CardA/IMG_0001.JPG |  |  | 1, 0";
        QTest::newRow("earlier runs' output at any depth") << QStringList{"CardA/IMG_0001.JPG", "CardA/FilesFromSelection/IMG_0001.JPG", "FilesFromSelection/IMG_0001.JPG"}
            << QStringList{"0001"} << whenNone << "CardA/IMG_0001.JPG |  |  | 1, 0";
        QTest::newRow("a link loop and a link to a folder") << QStringList{"CardA/IMG_0001.JPG", "CardA/loop->..", "CardA/elsewhere->/", "Other/IMG_0002.JPG", "Linked->Other", "CardA/IMG_0003.JPG->../Other/IMG_0002.JPG"}
            << QStringList{"0001", "0002", "0003"} << whenNone << "CardA/IMG_0001.JPG CardA/IMG_0003.JPG Other/IMG_0002.JPG |  |  | 2, 0";
        QTest::newRow("a FIFO where a folder might be") << QStringList{"CardA/IMG_0001.JPG", "CardA/DCIM|"}
            << QStringList{"0001"} << whenNone << "CardA/IMG_0001.JPG |  |  | 1, 0";
        QTest::newRow("nothing anywhere") << QStringList{"CardA/IMG_0001.JPG"} << QStringList{"0009"} << whenNone << " | 0009 |  | 1, 0";
    }

    void match()
    {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, ids);
        QFETCH(int, search);
        QTemporaryDir dir;
        QVERIFY(make(dir.path(), entries));
        PkMatchOptions options{true, false, true, Subfolders(search)};
        const PkMatchResult result = PkSelectionMatcher::matchFolder(dir.path(), ids, options);
        QStringList ambiguous;
        for (const PkAmbiguousId &entry : result.ambiguous)
            ambiguous << entry.id + u": "_s + entry.pictures.join(u", "_s);
        const QStringList parts{result.files.join(u' '), result.idsNotFound.join(u' '), ambiguous.join(u"; "_s),
                                u"%1, %2"_s.arg(result.subfolders).arg(result.inSubfolders)};
        QTEST(parts.join(u" | "_s), "expected");
        QVERIFY2(result.unreadable.isEmpty(), qPrintable(result.unreadable.join(u'\n')));
    }

    // Names that are not UTF-8 are never matched but named, escaped; a tree
    // deeper than the bound is said once, and the rest is still matched.
    void reported()
    {
        QTemporaryDir dir;
        // QTemporaryDir cannot remove what QDir cannot name.
        const auto removeAll = qScopeGuard([&dir] { std::filesystem::remove_all(QFile::encodeName(dir.path()).toStdString()); });
        PkFolderTree::setOpenHook([](const QString &relative) { return relative == u"CardC/DCIM"_s ? EACCES : 0; });
        const auto noHook = qScopeGuard([] { PkFolderTree::setOpenHook(nullptr); });
        QString deep = u"CardB"_s;
        for (int level = 1; level <= PkFolderTree::maxDepth + 3; ++level)
            deep += u"/d"_s;
        QVERIFY(make(dir.path(), {u"IMG_0001.JPG"_s, u"CardA/IMG_0002.JPG"_s, deep + u"/IMG_0003.JPG"_s, u"CardC/DCIM/IMG_0002.JPG"_s}));
        const QByteArray root = QFile::encodeName(dir.path());
        QVERIFY(::close(::open(QByteArray(root + "/IMG_9001\xff\xfe.JPG").constData(), O_CREAT | O_WRONLY, 0644)) == 0);
        QVERIFY(::mkdir(QByteArray(root + "/CardA/Caf\xe9").constData(), 0755) == 0);
        const PkMatchResult result = PkSelectionMatcher::matchFolder(dir.path(), {u"0002"_s, u"9001"_s},
                                                                     {true, false, true, Subfolders::Always});
        QCOMPARE(result.files, QList<QString>{u"CardA/IMG_0002.JPG"_s});
        QCOMPARE(result.idsNotFound, QList<QString>{u"9001"_s});
        QCOMPARE(result.notUtf8, (QList<QString>{u"IMG_9001\\xff\\xfe.JPG"_s, u"CardA/Caf\\xe9"_s}));
        QCOMPARE(result.unreadable.size(), 2);
        QVERIFY2(result.unreadable.first().startsWith(u"CardB/d/"_s) && result.unreadable.first().endsWith(u"more than 32 levels deep, not searched"_s),
                 qPrintable(result.unreadable.first()));
        QCOMPARE(result.unreadable.last(), u"CardC/DCIM: Permission denied"_s);
        QCOMPARE(result.subfolders, PkFolderTree::maxDepth + 2); // CardB's, CardA and CardC
        QCOMPARE(PkFolderTree::readable("a\xc3\xa9\xe2\x82"), u"aé\\xe2\\x82"_s);
        // Each length of sequence at both ends of its lead bytes, and just past them.
        QCOMPARE(PkFolderTree::readable("\xc1\xbf\xc2\xa0\xdf\xbf\xe0\xa4\x95\xef\xbf\xbd\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf\xf5\x80"),
                 u"\\xc1\\xbf\u00a0\u07ff\u0915\ufffd\U0001F600\U0010FFFF\\xf5\\x80"_s);
    }

    void clashes_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("clashes");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("two cameras' first picture")
            << QStringList{"IMG_0001.JPG", "CardA/IMG_0001.JPG", "CardA/IMG_0002.JPG", "CardB/img_0001.jpg"}
            << "IMG_0001.JPG: ., CardA, CardB" << QStringList{"CardA/IMG_0002.JPG"};
        QTest::newRow("no two alike") << QStringList{"A/IMG_0001.JPG", "A/IMG_0001.CR2", "B/IMG_0002.JPG"} << ""
                                      << QStringList{"A/IMG_0001.JPG", "A/IMG_0001.CR2", "B/IMG_0002.JPG"};
    }

    void clashes()
    {
        QFETCH(QStringList, files);
        QStringList found;
        for (const PkFolderTree::Clash &clash : PkFolderTree::takeClashes(files))
            found << clash.name + u": "_s + clash.folders.join(u", "_s);
        QTEST(found.join(u"; "_s), "clashes");
        QTEST(files, "kept");
    }
};

QTEST_GUILESS_MAIN(TestPkFolderTree)
#include "tst_pkfoldertree.moc"
