#include "wording/Wording.h"
#include <QtTest>
#include <cerrno>

namespace {

using Outcome = UndoResult::Outcome;

Failure failure(Reason reason, int error = 0, const QString& path = {}, const QString& other = {}, qint64 number = 0,
    Reason cause = Reason::None)
{
    return { reason, error, path, other, number, 0, cause };
}

const QString kLeft = QStringLiteral("\n「IMG_1.CR2」は「/d/000001 IMG_1.CR2」に残っています。");
const QList<CompanionMove> kCompanionLeft = { { "/s/IMG_1.CR2", "/d/000001 IMG_1.CR2" } };

}

// Every sentence the user reads about a failure, word for word: the logic tests compare reasons only.
class TestWording : public QObject {
    Q_OBJECT
private slots:
    void reasons_data()
    {
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("text");
        auto row = [](const char* tag, const Failure& f, const char* text) {
            QTest::newRow(tag) << f << QString::fromUtf8(text);
        };
        row("none", failure(Reason::None), "");
        row("folder missing", failure(Reason::FolderMissing, ENOENT), "コピー先のフォルダが見つかりません。");
        row("source kept", failure(Reason::SourceKept, EBUSY),
            "元のファイルを削除できませんでした（ファイルが使用中です）。"
            "コピーしたファイルは取り除いたので、ファイルは元の場所にあります。");
        row("both left", failure(Reason::BothLeft, EACCES, "/d/000001 a.jpg"),
            "元のファイルを削除できず（アクセスが拒否されました）、コピーした「/d/000001 "
            "a.jpg」も取り除けませんでした。"
            "ファイルは両方の場所にあります。アンドゥでコピーを取り除けます。");
        row("rule", failure(Reason::RuleInvalid, 0, {}, {}, 3),
            "名前の付け方の設定（3）が正しくありません。「移動先フォルダ設定」で名前の付け方を選び直してください。");
        row("destination name", failure(Reason::HeadUnusable, 0, {}, "..", 1),
            "移動先フォルダの名前「..」はファイル名に使えません（/ や \\ を含むか「.」で始まります）。");
        row("head name", failure(Reason::HeadUnusable, 0, {}, ".", 2),
            "ヘッドネーム「.」はファイル名に使えません（/ や \\ を含むか「.」で始まります）。");
        row("target unset", failure(Reason::FolderUnset, 0, {}, {}, 3),
            "移動先フォルダ３が設定されていません。メニューの「オプション」→「移動先フォルダ設定」でフォルダを指定して"
            "下さい。");
        row("delete folder unset", failure(Reason::FolderUnset, 0, {}, {}, 10),
            "削除フォルダが設定されていません。メニューの「オプション」→「移動先フォルダ設定」でフォルダを指定して下さ"
            "い。");
        row("no free serial", { Reason::NoFreeSerial, 0, {}, {}, 41, 1000, Reason::None },
            "移動先に空いている名前が見つかりませんでした（通し番号 000041 から 1000 個がすべて使われています）。"
            "「移動先フォルダ設定」で通し番号を設定し直してください。");
        row("companion short", failure(Reason::CompanionNotMoved, EIO, "/d/x.CR2", "x.CR2", 0, Reason::LengthDiffers),
            "一緒に動かす「x.CR2」を動かせなかったため、どのファイルも動かしていません"
            "（コピーしたファイルの大きさが元のファイルと一致しません）。");
        row("companion both left", failure(Reason::CompanionNotMoved, EACCES, "/d/x.CR2", "x.CR2", 0, Reason::BothLeft),
            "一緒に動かす「x.CR2」を動かせなかったため、どのファイルも動かしていません（アクセスが拒否されました）。"
            "コピーした「/d/x.CR2」は取り除けませんでした。");
        row("companion folder missing",
            failure(Reason::CompanionNotMoved, ENOENT, "/d/x.CR2", "x.CR2", 0, Reason::FolderMissing),
            "一緒に動かす「x."
            "CR2」を動かせなかったため、どのファイルも動かしていません（コピー先のフォルダが見つかりません）。");
        row("copy not deleted, both stay", failure(Reason::CopyNotDeleted, EROFS, "/d/a.jpg", {}, 0, Reason::BothLeft),
            "移動先の「/d/"
            "a.jpg」を削除できませんでした（書き込みのできないドライブです）。元の場所にも同じファイルがあります。");
        row("different file", failure(Reason::DifferentFileInWay, 0, "/s/a.jpg", "a.jpg"),
            "元の場所に内容の異なる「a."
            "jpg」があるため、上書きしませんでした。どちらのファイルもそのまま残してあります。");
    }
    void reasons()
    {
        QFETCH(Failure, failure);
        QTEST(Wording::messageFor(failure), "text");
    }

    // The head names the file and the command; companions left behind follow, one a line.
    void commands()
    {
        const TransferResult moved { false, failure(Reason::SourceMissing), false, "a.jpg", {}, {}, {} };
        QCOMPARE(
            Wording::messageFor(moved), QString("「a.jpg」を移動できませんでした。\n元のファイルが見つかりません。"));
        const Failure companion = failure(Reason::CompanionNotMoved, ENOSPC, "/d/x.xmp", "x.xmp");
        QCOMPARE(Wording::messageFor(TransferResult { false, companion, true, "a.jpg", kCompanionLeft, {}, {} }),
            "「a.jpg」をコピーできませんでした。\n一緒に動かす「x."
            "xmp」を動かせなかったため、どのファイルも動かしていません"
            "（ディスクの空き容量が足りません）。"
                + kLeft);
        const auto undo = [](Outcome outcome, const Failure& f, const QStringList& stillBack = {}) {
            return Wording::messageFor(UndoResult { outcome, f, "/s/a.jpg", stillBack });
        };
        QCOMPARE(undo(Outcome::Kept, failure(Reason::FolderNotMade, 0, "/s")),
            QString("「a.jpg」を元に戻せませんでした。\n元のフォルダ「/s」を作れませんでした。\n"
                    "この操作は履歴に残してあるので、原因を取り除いてからもう一度アンドゥできます。"));
        QCOMPARE(undo(Outcome::EntryDropped, failure(Reason::SameFile)),
            QString(
                "「a."
                "jpg」を元に戻せませんでした。\n元の場所と移動先が同じファイルです。\nこの操作は履歴から外しました。"));
        QCOMPARE(undo(Outcome::Restored, Failure()), QString());
        QCOMPARE(undo(Outcome::Kept, failure(Reason::CompanionNotReturned, ENOSPC, {}, "a.xmp"), { "a.CR2" }),
            QString("「a.jpg」を元に戻せませんでした。\n一緒に動かした「a.xmp」を戻せませんでした"
                    "（ディスクの空き容量が足りません）。\n「a.CR2」は元の場所に戻っています。\n"
                    "この操作は履歴に残してあるので、原因を取り除いてからもう一度アンドゥできます。"));
    }

    // Send all lists twenty files, each with its reason in parentheses, then a count.
    void sendAllSummary()
    {
        SendAllResult r;
        r.refused = failure(Reason::DeleteFolderIsSource);
        QCOMPARE(Wording::messageFor(r), QString("削除フォルダが元のフォルダと同じため、何もしませんでした。"));
        r.refused = Failure();
        QCOMPARE(Wording::messageFor(r), QString());
        r.failures.push_back({ 3, "a.jpg", failure(Reason::SourceKept, EACCES), {} });
        r.failures.push_back({ 4, "b.jpg", failure(Reason::BothLeft, EACCES), kCompanionLeft });
        for (int i = 0; i < 23; ++i)
            r.failures.push_back({ 5 + i, QString("c%1.jpg").arg(i), failure(Reason::NoFreeName), {} });
        const QString text = Wording::messageFor(r);
        QCOMPARE(text.section(u'\n', 0, 4),
            "次のファイルは削除フォルダへ送れませんでした。元の場所に残っています。\n\n"
            "・a.jpg（元のファイルを削除できませんでした（アクセスが拒否されました））\n"
            "・b."
            "jpg（元のファイルを削除できず（アクセスが拒否されました）、削除フォルダのコピーも取り除けませんでした。"
            "アンドゥでコピーを取り除けます。"
                + kLeft.chopped(1) + "）");
        QVERIFY(text.contains("・c17.jpg（削除フォルダに空いている名前がありません）"));
        QVERIFY(!text.contains("c18.jpg"));
        QVERIFY(text.endsWith("\nほか 5 件"));
    }
};

QTEST_GUILESS_MAIN(TestWording)
#include "tst_wording.moc"
