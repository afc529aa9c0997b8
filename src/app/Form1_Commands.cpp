#include "app/Form1.h"
#include "board/SortingBoard.h"
#include "platform/FileOps.h"
#include "platform/StatusBar.h"
#include "sorting/Sorter.h"
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QKeySequence>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QToolBar>
#include <QUrl>
#include <utility>

void Form1::buildMenus()
{
    m_optionsMenu = menuBar()->addMenu(QStringLiteral("オプション"));
    optionsAction = m_optionsMenu->addAction(QStringLiteral("オプション"));
    destinationsAction = m_optionsMenu->addAction(QStringLiteral("移動先フォルダ設定"));
    m_helpMenu = menuBar()->addMenu(QStringLiteral("バージョン情報"));
    aboutAction = m_helpMenu->addAction(QStringLiteral("バージョン情報"));
    m_helpMenu->addSeparator();
    helpAction = m_helpMenu->addAction(QStringLiteral("ヘルプ"));

    // Not on the menu bar: the board's pop-up menu.
    m_boardMenu = new QMenu(QStringLiteral("リロード"), this);
    reloadAction = m_boardMenu->addAction(QStringLiteral("画像をリロードする"));
    m_boardMenu->addSeparator();
    loadAnewAction = m_boardMenu->addAction(QStringLiteral("新たにロードする"));
    m_boardMenu->addSeparator();
    undoAction = m_boardMenu->addAction(QStringLiteral("アンドゥ"));
    m_boardMenu->addSeparator();
    viewerAction = m_boardMenu->addAction(QStringLiteral("Viewerを開く"));
    m_boardMenu->addSeparator();
    sendAllAction = m_boardMenu->addAction(QStringLiteral("すべて削除フォルダへ"));

    // Shown beside the pop-up items only. The board's key handler runs these commands
    // with its own guards; an action that lives in a pop-up menu alone never fires its
    // shortcut, and the widget context keeps it that way should it be added elsewhere.
    const std::pair<QAction*, QKeySequence> keys[] = {
        { reloadAction, QKeySequence(Qt::Key_F5) },
        { loadAnewAction, QKeySequence(Qt::CTRL | Qt::Key_N) },
        { undoAction, QKeySequence(Qt::CTRL | Qt::Key_Z) },
    };
    for (const auto& [action, sequence] : keys) {
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcut(sequence);
    }

    connect(optionsAction, &QAction::triggered, this, &Form1::openOptions);
    connect(destinationsAction, &QAction::triggered, this, &Form1::openDestinations);
    connect(aboutAction, &QAction::triggered, this, &Form1::openAbout);
    connect(helpAction, &QAction::triggered, this, &Form1::showHelp);
    connect(reloadAction, &QAction::triggered, this, [this] { m_board->reload(); });
    connect(loadAnewAction, &QAction::triggered, this, [this] { m_board->loadAnew(); });
    connect(undoAction, &QAction::triggered, this, &Form1::undoLastTransfer);
    connect(viewerAction, &QAction::triggered, this, &Form1::openViewerFromMenu);
    connect(sendAllAction, &QAction::triggered, this, [this] { m_board->sendAllReached(); });
}

void Form1::buildToolbar()
{
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setIconSize(QSize(24, 22));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->setMovable(false);
    backAction = m_toolbar->addAction(QIcon(QStringLiteral(":/icons/main_cancel.png")), QStringLiteral("キャンセル"));
    backAction->setToolTip(QStringLiteral("フォルダ選択画面へ戻ります。"));
    toolbarUndoAction
        = m_toolbar->addAction(QIcon(QStringLiteral(":/icons/main_undo.png")), QStringLiteral("アンドゥ"));
    toolbarUndoAction->setToolTip(QStringLiteral("１０回までアンドゥできます。"));
    m_toolbar->addSeparator();
    quitAction = m_toolbar->addAction(QIcon(QStringLiteral(":/icons/main_exit.png")), QStringLiteral("終了"));
    quitAction->setToolTip(QStringLiteral("プログラムを終了します。"));
    connect(backAction, &QAction::triggered, this, &Form1::backFromToolbar);
    connect(toolbarUndoAction, &QAction::triggered, this, &Form1::undoFromToolbar);
    connect(quitAction, &QAction::triggered, this, &Form1::quitFromToolbar);

    // On the board the board area is the one control that takes the keyboard; a toolbar
    // button holding the focus would take Enter for a click of its own.
    m_toolbar->setFocusPolicy(Qt::NoFocus);
    for (QWidget* w : m_toolbar->findChildren<QWidget*>())
        w->setFocusPolicy(Qt::NoFocus);
    m_toolbar->hide();
}

void Form1::setUndoEnabled(bool on)
{
    undoAction->setEnabled(on);
    toolbarUndoAction->setEnabled(on);
}

void Form1::showHelp()
{
    const QString help = QDir(m_session.programFolder()).filePath(QStringLiteral("help/help.htm"));
    if (FileOps::entryExists(help))
        openHelpPage();
    else
        openUsage();
}

void Form1::openHelpPage()
{
    if (m_session.isBusy())
        return;
    const QString help
        = QDir::toNativeSeparators(QDir(m_session.programFolder()).filePath(QStringLiteral("help/help.htm")));
#ifdef Q_OS_WIN
    const QString opener = QStringLiteral("explorer.exe");
#else
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
#endif
    if (!opener.isEmpty() && QProcess::startDetached(opener, { help }, m_session.programFolder()))
        return;
    // Without the desktop's opener the help still shows: the desktop's own way to open
    // a page, and failing that the usage window.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(help))))
        openUsage();
}

void Form1::openViewerFromMenu()
{
    if (m_session.isBusy())
        return;
    // The list keeps the entries of files sent away until the next reload: the viewer
    // starts at the first file still there.
    int first = 0;
    while (first < m_folder.count() && !FileOps::fileExists(m_folder.filePath(first)))
        ++first;
    if (first == m_folder.count())
        first = 0;
    openViewer(first, ViewerWindow::Mode::Full);
}

void Form1::undoLastTransfer() { m_sorter.undoLast(); }

void Form1::backFromToolbar()
{
    if (!m_session.isBusy())
        returnToFolderScreen();
}

void Form1::undoFromToolbar()
{
    if (!m_session.isBusy())
        undoLastTransfer();
}

void Form1::quitFromToolbar()
{
    if (!m_session.isBusy())
        close();
}

void Form1::returnToFolderScreen()
{
    m_board->hide();
    m_toolbar->hide();
    showFolderScreen(true);

    // Outer geometry: left 105, top 105, 6600 x 4350 twips.
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const int extraW = frame.width() - inner.width();
    const int extraH = frame.height() - inner.height();
    move(twipsToPixels(105, m_tpp.x), twipsToPixels(105, m_tpp.y));
    resize(twipsToPixels(6600, m_tpp.x) - extraW, twipsToPixels(4350, m_tpp.y) - extraH);

    m_board->tearDown();
    m_folder.refresh();
}
