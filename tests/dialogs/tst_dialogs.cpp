// The destination and options dialogs: what OK stores, what it refuses, the folders it
// makes, the files the bulk delete removes, and what they signal.
#include "Controls.h"
#include "Fixture.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/DialogLogic.h"
#include "dialogs/OptionsDialog.h"
#include "widgets/DirList.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

using namespace DialogLogic;
using TestFiles::touch;

enum Field { Serial, Interval, Head };

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    // Each field as OK reads it: the value taken, or minus the problem found. A negative
    // counter from the settings file, shown unchanged, must not block OK.
    void fields()
    {
        const struct {
            Field field;
            const char* text;
            int expected;
            int current = 0; // the counter the serial field showed
        } rows[] = { { Serial, "12a", 12 }, { Serial, "   000041", 41 }, { Serial, "2147483647", 2147483647 },
            { Serial, "-000005", -5, -5 }, { Serial, "-000006", -int(SerialProblem::Negative), -5 },
            { Serial, "99999999999999999999", -int(SerialProblem::TooLarge) }, { Interval, "3.5", 4 },
            { Interval, "１２", 12 }, { Interval, "32.5", 32 }, { Interval, "   ", -int(IntervalProblem::Empty) },
            { Interval, "3s", -int(IntervalProblem::NotANumber) },
            { Interval, "0.4", -int(IntervalProblem::NotPositive) },
            { Interval, "33.5", -int(IntervalProblem::TooLong) }, { Interval, "40000", -int(IntervalProblem::TooLong) },
            { Head, "a..b", 0 }, { Head, ".", -1 }, { Head, ".trip", -1 } };
        for (const auto& r : rows) {
            const QString text = QString::fromUtf8(r.text);
            const SerialValue serial = parseSerial(text, r.current);
            const IntervalValue interval = parseInterval(text);
            const int got = r.field == Serial ? (serial.ok() ? serial.value : -int(serial.problem))
                : r.field == Interval         ? (interval.ok() ? int(interval.seconds) : -int(interval.problem))
                                              : (headNameProblem(text).isEmpty() ? 0 : -1);
            QCOMPARE((std::pair { QString(r.text), got }), (std::pair { QString(r.text), r.expected }));
        }
        QVERIFY(!headNameProblem(QString(240, u'a')).isEmpty()); // too long
    }

    // OK checks every value first: one that cannot be used keeps the dialog open and stores
    // and creates nothing. Else each missing folder is announced once, in folder order, made
    // with its parents only after its announcement, and signalled once made. A pick button
    // takes the folder shown.
    void store_data()
    {
        QTest::addColumn<int>("field"); // -1: the path of folder 4
        QTest::addColumn<QString>("text"); // a path under the test's folder unless relative
        QTest::addColumn<QString>("refusal"); // empty: stored
        const auto row = [](const char* name, int field, const char* text, const char* refusal) {
            QTest::newRow(name) << field << QString(text) << QString(refusal);
        };
        row("all usable", Head, "four", "");
        row("a file of that name", -1, "/afile", "/afile/");
        row("under a file", -1, "/afile/sub", "/afile/sub/");
        row("relative path", -1, "relative/dir", "relative/dir/");
        row("head name", Head, "a/b", "フォルダ４のヘッドネーム");
        // Values the settings file could not carry would shift its later lines.
        row("line break in a folder", -1, "/nl\nfolder", "設定ファイルに書けない");
        row("line break in a head name", Head, "a\rb", "設定ファイルに書けない");
        row("negative serial", Serial, "-5", "マイナス");
        row("serial beyond 32 bits", Serial, "2147483648", "大きすぎます");
    }
    void store()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        Fixture s;
        touch(s.root("afile"));
        const QString nested = s.root("new/a/b/"), typed = s.root("Sort/Cats"), later = s.root("other/");
        s.settings.destinationFolders[6] = FileOps::rootPath(); // what a first start gives: not set
        const Settings before = s.settings;
        DestinationsDialog d(s.settings, &s.host);
        QSignalSpy created(&d, &DestinationsDialog::folderCreated);
        QVERIFY(control<QLineEdit>(&d, "pathField", 6)->text().isEmpty());
        QVERIFY(s.host.screen()->availableGeometry().contains(d.geometry()));
        d.show();
        control<QRadioButton>(&d, "ruleButton", 2)->click();
        control<QLineEdit>(&d, "headNameField", 0)->setText("new");
        control<QLineEdit>(&d, "pathField", 7)->setText(later);
        control<QLineEdit>(&d, "pathField", 3)->setText(typed);
        control<QLineEdit>(&d, "pathField", 2)->setText(nested);
        control<QLineEdit>(&d, "pathField", 5)->clear();
        QVERIFY(control<DirList>(&d, "folders")->setPath(s.root()));
        control<QPushButton>(&d, "pickFolderButton", 8)->click(); // takes the folder the list shows
        control<QLineEdit>(&d, "serialField", 0)->setText("12a");
        const char* const edited = field == Head ? "headNameField" : field == Serial ? "serialField" : "pathField";
        control<QLineEdit>(&d, edited, field == Serial ? 2 : 4)->setText(text.startsWith('/') ? s.root() + text : text);
        QStringList seen; // at each announcement: the folders already there, the signals so far
        s.boxes.onShown = [&](const QString&) {
            for (const QString& p : { nested, typed, later })
                if (QFileInfo::exists(p))
                    seen << p;
            seen << QString::number(created.count());
        };
        control<QPushButton>(&d, "okButton")->click();
        if (!refusal.isEmpty()) {
            QCOMPARE(s.messages().size(), 1);
            QVERIFY2(s.messages()[0].contains(refusal), qPrintable(s.messages()[0]));
            QVERIFY(d.isVisible());
            QVERIFY(created.isEmpty());
            // Every value as it was; a difference names the line of Pirapo.ini.
            QCOMPARE(SettingsFile::format(s.settings).split('\n'), SettingsFile::format(before).split('\n'));
            for (const char* made : { "relative", "new", "Sort", "other" }) {
                QVERIFY(!QFileInfo::exists(made));
                QVERIFY(!QFileInfo::exists(s.root(made)));
            }
            return;
        }
        QCOMPARE(s.messages(),
            (QStringList { nested + "を作成します。", typed + "/を作成します。", later + "を作成します。" }));
        QCOMPARE(seen, (QStringList { "0", nested, "1", nested, typed, "2" }));
        QCOMPARE(created.count(), 3);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(QFileInfo(later).isDir());
        QCOMPARE(s.settings.destinationFolders[2], nested);
        QCOMPARE(s.settings.destinationFolders[3], typed + "/");
        QCOMPARE(s.settings.destinationFolders[8], s.root() + "/");
        // An emptied field leaves its folder not set, not the root.
        QVERIFY(s.settings.destinationFolders[5].isEmpty());
        QVERIFY(s.settings.destinationFolders[6].isEmpty());
        QCOMPARE(s.settings.serials[0], 12);
        QCOMPARE(s.settings.headNames[4], QString("four"));
    }

    // Rule 1 then 2 carries the folder names over, rule 0 then 2 leaves them empty, a
    // head name of its own always shows, and only OK under rule 2 stores them.
    void headNames_data()
    {
        QTest::addColumn<int>("startRule"); // under rule 2, field 0 is edited first
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("stored"); // rule, head names 0 and 3
        const auto row = [](const char* name, int start, QList<int> clicks, bool ok, const char* stored) {
            QTest::newRow(name) << start << clicks << ok << QString(stored);
        };
        row("rule 1 then 2", 1, { 2 }, true, "2 old dest3");
        row("rule 1, 0, then 2", 1, { 0, 2 }, true, "2 old ");
        row("rule 2 edited, then 1", 2, { 1 }, true, "1 old ");
        row("rule 2 edited, clicked again", 2, { 2 }, true, "2 new ");
        row("rule 2 edited, 0, cancelled", 2, { 0 }, false, "2 old ");
    }
    void headNames()
    {
        QFETCH(int, startRule);
        QFETCH(QList<int>, clicks);
        QFETCH(bool, ok);
        Fixture s;
        s.settings.namingRule = NamingRule(startRule);
        s.settings.headNames = { "old" };
        DestinationsDialog d(s.settings, &s.host);
        d.show();
        if (NamingRule(startRule) == NamingRule::HeadNameAndSerial)
            control<QLineEdit>(&d, "headNameField", 0)->setText("new");
        for (int r : clicks)
            QTest::mouseClick(control<QRadioButton>(&d, "ruleButton", r), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>(&d, "headNameField", 0)->isEnabled(),
            control<QRadioButton>(&d, "ruleButton", 2)->isChecked());
        QCOMPARE(int(d.chosenRule()), clicks.last());
        control<QPushButton>(&d, ok ? "okButton" : "cancelButton")->click();
        QVERIFY(s.messages().isEmpty());
        QTEST(QString("%1 %2 %3").arg(int(s.settings.namingRule)).arg(s.settings.headNames[0], s.settings.headNames[3]),
            "stored");
    }

    // The stored delete folder's own plain files go to the trash, or for good without
    // one, not those of the folder being typed; hidden files and sub-folders stay. A
    // folder that is no full path is refused before anything is asked.
    void bulkDelete_data()
    {
        QTest::addColumn<QString>("stored"); // "<del>" stands for the delete folder
        QTest::addColumn<bool>("trash");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("refusal"); // empty: the question is asked
        const auto row = [](const char* name, const char* stored, bool trash, int answer, const char* refusal) {
            QTest::newRow(name) << QString(stored) << trash << answer << QString(refusal);
        };
        const int ok = QMessageBox::Ok, cancel = QMessageBox::Cancel;
        row("stored by the dialog", "<del>/", true, ok, "");
        row("from a hand-edited file", "<del>", true, ok, "");
        row("no trash", "<del>/", false, ok, "");
        row("cancelled", "<del>/", true, cancel, "");
        // Refused at once: a Cancel keeps older code from emptying anything here.
        row("parent folder", "..", true, cancel, "削除フォルダ「..」はフルパスではない");
        row("empty", "", true, cancel, "削除フォルダが設定されていません");
        row("root", "/", true, cancel, "削除フォルダが設定されていません");
        row("link to the root", "<del>/sub/root", true, cancel, "削除フォルダがルートフォルダ");
    }
    void bulkDelete()
    {
        QFETCH(QString, stored);
        QFETCH(bool, trash);
        QFETCH(int, answer);
        QFETCH(QString, refusal);
        Fixture s;
        const QString del = s.root("del"), root = s.root();
        QVERIFY(QDir().mkpath(del + "/sub"));
        for (const char* n : { "a.jpg", "ro.jpg", ".hidden", "sub/inner.jpg" })
            touch(del + "/" + n);
        QVERIFY(QFile::setPermissions(del + "/ro.jpg", QFileDevice::ReadOwner));
        QVERIFY(QFile::link("/", del + "/sub/root"));
        for (const char* n : { "a.jpg", "keep.jpg", "z.jpg" })
            touch(s.dest(4, n));
        touch(s.root("afile"));
        // ".." from here is the delete folder; the trash is the test's own.
        const auto restore = qScopeGuard([cwd = QDir::currentPath()] { QDir::setCurrent(cwd); });
        QVERIFY(QDir::setCurrent(del + "/sub"));
        qputenv("HOME", QFile::encodeName(root));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root + (trash ? "/data" : "/afile/data")));
        s.settings.deleteFolder() = QString(stored).replace("<del>", del);
        DestinationsDialog d(s.settings, &s.host);
        d.show();
        control<QLineEdit>(&d, "pathField", 10)->setText(s.dest(4));
        s.boxes.answers = { QMessageBox::StandardButton(answer) };
        control<QPushButton>(&d, "emptyDeleteFolderButton")->click();
        const bool gone = refusal.isEmpty() && answer == QMessageBox::Ok;
        const auto& seen = s.boxes.seen;
        if (!refusal.isEmpty()) {
            QCOMPARE(seen.size(), 1);
            QVERIFY2(seen[0].text.startsWith(refusal), qPrintable(seen[0].text));
        } else {
            QCOMPARE(seen.size(), gone ? 1 : 2);
            QVERIFY(seen[0].text.startsWith(del + "/フォルダのファイルをすべてを削除しますか?\n"));
            QVERIFY(seen[0].text.contains(trash ? "ごみ箱へ移動します" : "完全に削除され"));
            QCOMPARE(seen[0].icon, QMessageBox::Warning);
            QCOMPARE(seen[0].defaultButton, QString("キャンセル"));
            QCOMPARE(seen.last().text, gone ? seen[0].text : "キャンセルされました。");
        }
        const QStringList plain = { "a.jpg", "ro.jpg" };
        QCOMPARE(QDir(del).entryList(QDir::Files | QDir::Hidden),
            QStringList { ".hidden" } + (gone ? QStringList() : plain));
        QCOMPARE(QDir(root + "/data/Trash/files").entryList(QDir::Files), gone && trash ? plain : QStringList());
        QCOMPARE(QDir(s.dest(4)).entryList(QDir::Files).size(), 3);
        QCOMPARE(QDir(del + "/sub").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            QStringList({ "inner.jpg", "root" }));
        QVERIFY(d.isVisible());

        // A file that stays does not stop the others; a missing folder deletes nothing.
        const BulkDeleteResult r = deleteFolderFiles(s.dest(4), [](const QString& path) {
            return path.endsWith("keep.jpg") ? Failure::system(EBUSY) : FileOps::deleteFile(path);
        });
        QCOMPARE(r.deleted, 2);
        QCOMPARE(r.remaining, QStringList { "keep.jpg" });
        QCOMPARE(deleteFolderFiles(s.root("gone/")).deleted, 0);
    }

    // Nothing is stored until the interval is usable, and Cancel stores nothing; the
    // check boxes act at once, and Cancel keeps that. OK signals that it stored.
    void options_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("seconds"); // 0: refused
        QTest::newRow("stored") << "3.5" << false << 4;
        QTest::newRow("interval above 32") << "33" << false << 0;
        QTest::newRow("cancelled") << "9" << true << 9;
    }
    void options()
    {
        QFETCH(QString, interval);
        QFETCH(bool, cancel);
        QFETCH(int, seconds);
        Fixture s;
        s.session.copyMode = true;
        OptionsDialog d(s.settings, s.session, &s.host);
        QList<bool> copyMode;
        connect(&d, &OptionsDialog::copyModeChanged, [&](bool on) { copyMode << on; });
        bool storedWhileOpen = false;
        connect(&d, &OptionsDialog::stored, [&] { storedWhileOpen = d.isVisible() && d.result() == 0; });
        d.show();
        const auto box = [&d](const char* name) { return control<QCheckBox>(&d, name); };
        QVERIFY(box("copyModeBox")->isChecked());
        QVERIFY(box("rememberFolderBox")->isChecked());
        QVERIFY(!box("repeatBox")->isChecked());
        QTest::mouseClick(control<QRadioButton>(&d, "sizeButton", 3), Qt::LeftButton);
        QTest::mouseClick(control<QRadioButton>(&d, "countButton", 5), Qt::LeftButton);
        QVERIFY(control<QRadioButton>(&d, "sizeButton", 3)->isChecked()); // a group per frame
        QVERIFY(control<QRadioButton>(&d, "countButton", 5)->isChecked());
        for (const char* name : { "rememberFolderBox", "repeatBox", "copyModeBox", "copyModeBox", "copyModeBox" })
            box(name)->click();
        QCOMPARE(copyMode, (QList<bool> { false, true, false }));
        control<QLineEdit>(&d, "intervalField")->setText(interval);
        control<QPushButton>(&d, cancel ? "cancelButton" : "okButton")->click();
        QCOMPARE(s.messages().size(), seconds ? 0 : 1);
        QVERIFY(seconds || s.messages()[0].contains("スライドショーの表示時間"));
        QCOMPARE(d.isVisible(), !seconds);
        const bool stored = seconds && !cancel;
        QCOMPARE(storedWhileOpen, stored);
        QCOMPARE(int(s.settings.thumbSize), stored ? 256 : 64);
        QCOMPARE(int(s.settings.thumbCount), stored ? 30 : 10);
        QCOMPARE(int(s.settings.slideSeconds), stored ? seconds : 1);
        QVERIFY(!s.settings.rememberFolder); // acted at once: Cancel keeps it
        QVERIFY(s.session.slideRepeat);
        QVERIFY(!s.session.copyMode);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
