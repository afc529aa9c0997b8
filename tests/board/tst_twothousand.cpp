// A folder of 2,000 pictures grown with "新たにロードする" to its end, with drops in
// between, then sent to the delete folder: every file must end up in exactly one
// place, whole, under the name it should have.
#include "../SessionFixture.h"
#include "platform/StatusBar.h"

using Hostile::Format;

class TestTwoThousand : public QObject {
    Q_OBJECT
private slots:
    void growToTheEndWithDrops();
};

void TestTwoThousand::growToTheEndWithDrops()
{
    constexpr int files = 2000;
    SessionFixture s;
    // The board holds what fits on it, so each refill decodes only a page's worth;
    // 128-pixel boxes keep that page small and the 200 refills quick.
    s.m.ThumbSize = 128;
    s.m.ThumbCount = 30;
    QMap<QString, QByteArray> content; // original name -> bytes
    for (int i = 1; i <= files; ++i) {
        const QString name = QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
        const QByteArray bytes = Hostile::wellFormed(Format::Jpeg, QSize(12, 9), i);
        QVERIFY(Hostile::write(s.src(name), bytes));
        content.insert(name, QCryptographicHash::hash(bytes, QCryptographicHash::Sha1));
    }
    QVERIFY(s.build());
    Form1& f = *s.form;
    QCOMPARE(f.File1->entryCount(), files);
    QCOMPARE(f.BoardEnd, int16_t(30));

    QMap<QString, QString> expected; // original name -> where it must end up
    int drops = 0;
    int loads = 0;
    while (f.BoardEnd < f.File1->entryCount()) {
        const int countBefore = f.File1->entryCount();
        f.mnuDL_Click();
        ++loads;
        QCOMPARE(f.ExtendCount, int16_t(loads));
        QCOMPARE(int(f.BoardEnd), std::min(loads * 10 + 30, countBefore));
        QCOMPARE(s.m.BoardBusy, int16_t(0));
        QVERIFY(f.Toolbar1->isEnabled());
        QCOMPARE(f.StatusBar1->panelText(3), QStringLiteral(" %1 File ").arg(f.File1->entryCount()));

        // Every 25th refill, drop one of the thumbnails on the board.
        if (loads % 25 == 0) {
            const int slot = (loads / 25) * 3;
            QVERIFY(s.slot(slot) && s.slot(slot)->isVisible());
            const QString name = f.File1->entry(slot);
            const int k = drops % 10;
            s.drop(slot, k);
            QVERIFY(s.slot(slot)->isHidden());
            expected.insert(
                name, QStringLiteral("dest%1/%2 %3").arg(k).arg(41 + drops, 6, 10, QLatin1Char('0')).arg(name));
            ++drops;
            QVERIFY(QFile::exists(s.root(expected.value(name))));
        }
    }
    QVERIFY(drops >= 5);
    QCOMPARE(f.File1->entryCount(), files - drops);
    QCOMPARE(int(f.BoardEnd), files - drops);
    // At the end of the list a further load anew stays at the end.
    f.mnuDL_Click();
    QCOMPARE(int(f.BoardEnd), files - drops);
    QVERIFY(s.messages().isEmpty());

    // Everything the board reached goes to the delete folder under its own name.
    f.mnuDel1_Click();
    QVERIFY(s.messages().isEmpty());
    for (const QString& name : f.File1->entries())
        if (!expected.contains(name))
            expected.insert(name, QStringLiteral("dest10/") + name);
    QCOMPARE(expected.size(), files);
    const auto after = s.files();
    QCOMPARE(after.size(), files);
    for (auto it = expected.cbegin(); it != expected.cend(); ++it)
        QCOMPARE(after.value(it.value()), content.value(it.key()));

    // The last ten can be undone, and come back whole.
    QCOMPARE(s.m.Undo.count(), 10);
    for (int i = 0; i < 10; ++i)
        f.UndoLast();
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(f.File1->entryCount(), 10);
    for (const QString& name : f.File1->entries())
        QCOMPARE(QCryptographicHash::hash(Hostile::read(s.src(name)), QCryptographicHash::Sha1), content.value(name));
    QCOMPARE(s.files().size(), files);
}

QTEST_MAIN(TestTwoThousand)
#include "tst_twothousand.moc"
