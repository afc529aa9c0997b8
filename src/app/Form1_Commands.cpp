#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "platform/FileOps.h"
#include "platform/StatusBar.h"
#include "sorting/Sorter.h"
#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QToolBar>
#include <QUrl>

void Form1::buildMenus()
{
    mnuOpt1 = menuBar()->addMenu(QStringLiteral("オプション"));
    mnuOpt2 = mnuOpt1->addAction(QStringLiteral("オプション"));
    mnuOpt3 = mnuOpt1->addAction(QStringLiteral("移動先フォルダ設定"));
    mnuHelp1 = menuBar()->addMenu(QStringLiteral("バージョン情報"));
    mnuHelp2 = mnuHelp1->addAction(QStringLiteral("バージョン情報"));
    mnuHelp1->addSeparator(); // mnuSep4
    mnuHelp3 = mnuHelp1->addAction(QStringLiteral("ヘルプ"));

    // Not on the menu bar: the board's pop-up menu.
    mnuReLoad = new QMenu(QStringLiteral("リロード"), this);
    mnuRL = mnuReLoad->addAction(QStringLiteral("画像をリロードする"));
    mnuReLoad->addSeparator(); // mnuSpe1
    mnuDL = mnuReLoad->addAction(QStringLiteral("新たにロードする"));
    mnuReLoad->addSeparator(); // mnuSep5
    mnuUnd = mnuReLoad->addAction(QStringLiteral("アンドゥ"));
    mnuReLoad->addSeparator(); // mnuSep3
    mnuViewer = mnuReLoad->addAction(QStringLiteral("Viewerを開く"));
    mnuReLoad->addSeparator(); // mnuSep2
    mnuDel1 = mnuReLoad->addAction(QStringLiteral("すべて削除フォルダへ"));

    connect(mnuOpt2, &QAction::triggered, this, &Form1::mnuOpt2_Click);
    connect(mnuOpt3, &QAction::triggered, this, &Form1::mnuOpt3_Click);
    connect(mnuHelp2, &QAction::triggered, this, &Form1::mnuHelp2_Click);
    connect(mnuHelp3, &QAction::triggered, this, &Form1::mnuHelp3_Click);
    connect(mnuRL, &QAction::triggered, this, &Form1::mnuRL_Click);
    connect(mnuDL, &QAction::triggered, this, &Form1::mnuDL_Click);
    connect(mnuUnd, &QAction::triggered, this, &Form1::mnuUnd_Click);
    connect(mnuViewer, &QAction::triggered, this, &Form1::mnuViewer_Click);
    connect(mnuDel1, &QAction::triggered, this, &Form1::mnuDel1_Click);
}

void Form1::buildToolbar()
{
    Toolbar1 = new QToolBar(m_client);
    Toolbar1->setIconSize(QSize(24, 22));
    Toolbar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    Toolbar1->setMovable(false);
    ToolbarButtons.resize(5);
    ToolbarButtons[1] = Toolbar1->addAction(QIcon(QStringLiteral(":/icons/main_cancel.png")), QStringLiteral("キャンセル"));
    ToolbarButtons[1]->setToolTip(QStringLiteral("フォルダ選択画面へ戻ります。"));
    ToolbarButtons[2] = Toolbar1->addAction(QIcon(QStringLiteral(":/icons/main_undo.png")), QStringLiteral("アンドゥ"));
    ToolbarButtons[2]->setToolTip(QStringLiteral("１０回までアンドゥできます。"));
    ToolbarButtons[3] = Toolbar1->addSeparator();
    ToolbarButtons[4] = Toolbar1->addAction(QIcon(QStringLiteral(":/icons/main_exit.png")), QStringLiteral("終了"));
    ToolbarButtons[4]->setToolTip(QStringLiteral("プログラムを終了します。"));
    for (int i : { 1, 2, 4 })
        connect(ToolbarButtons[i], &QAction::triggered, this, [this, i] { Toolbar1_ButtonClick(i); });
    Toolbar1->hide();
}

void Form1::ApplyUndoEnabling()
{
    const bool on = m_sorter.canUndo();
    mnuUnd->setEnabled(on);
    ToolbarButtons[2]->setEnabled(on);
}

void Form1::mnuHelp3_Click()
{
    const QString help = QDir(m_session.programFolder()).filePath(QStringLiteral("help/help.htm"));
    if (FileOps::entryExists(help))
        OpenHelp();
    else
        ShowUsageWindow();
}

void Form1::OpenHelp()
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
        ShowUsageWindow();
}

void Form1::mnuViewer_Click()
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
    m_settings.viewerMode = 0;
    m_session.viewerIndex = first;
    m_session.viewerFile = m_folder.name(first);
    ShowViewer();
}

void Form1::mnuUnd_Click() { UndoLast(); }

void Form1::Toolbar1_ButtonClick(int index)
{
    if (m_session.isBusy())
        return;
    switch (index) {
    case 1:
        ReturnToFolderScreen();
        break;
    case 2:
        UndoLast();
        break;
    case 4:
        close();
        break;
    default:
        break;
    }
}

void Form1::ReturnToFolderScreen()
{
    Picture1->hide();
    Toolbar1->hide();
    showFolderScreen(true);

    // Outer geometry: left 105, top 105, 6600 x 4350 twips.
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const int extraW = frame.width() - inner.width();
    const int extraH = frame.height() - inner.height();
    move(twipsToPixels(105, m_tpp.x), twipsToPixels(105, m_tpp.y));
    resize(twipsToPixels(6600, m_tpp.x) - extraW, twipsToPixels(4350, m_tpp.y) - extraH);

    for (int k = 1; k < Label1.size(); ++k) {
        delete Label1[k];
        Label1[k] = nullptr;
    }
    UnloadSlots();
    placeCopyModeLabel(false);
    ExtendCount = 0;
    BoardEnd = m_settings.thumbCount;
    m_folder.refresh();
}
