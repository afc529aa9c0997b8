#pragma once
#include <QStringList>

// Each measurement runs in a process of its own, so that caches, pools and peak memory
// start from nothing. A child prints "key=value" lines for the parent to collect.
namespace Bench {

// The program's board on `folder`: built cold (thumbnail size 128, 30 to a page), then one
// thumbnail dropped on a target and the board reloaded.
int childBoard(const QStringList& args);
// Start-up to the folder screen on `folder` (a hundred thousand files), its list filled.
int childStart(const QStringList& args);
// The board grown by load-more to 300 entries; reports its peak resident memory, then
// the time the board takes to lay itself out again after resizes, every thumbnail cached.
int childGrow(const QStringList& args);
// From 「実行」 to the first and to the last painted thumbnail of a page (thumbnail size 64,
// 30 to a page), on a folder of one picture or of a page and more.
int childFirstPaint(const QStringList& args);
// The viewer at 1280 x 1000 stepping through `folder` with the next picture prepared,
// beside the same steps decoded whole.
int childViewer(const QStringList& args);
// The viewer at 1280 x 1000 sending each picture of `folder` to target 1 by its digit key:
// from the key to the next picture painted, the next one prepared.
int childViewerSend(const QStringList& args);
// The full-decode path: every file decoded whole, held whole and painted into its box.
int childFull(const QStringList& args);
// The bare limit: the same files decoded at reduced size on every core, no window.
int childBare(const QStringList& args);

// Peak resident memory of this process in kB (VmHWM).
qint64 peakKb();
// The value after `--name` in args.
QString option(const QStringList& args, const QString& name, const QString& fallback = QString());

}
