#include "app/MainWindow.h"
#include "about/AboutDialog.h"
#include "about/HelpPage.h"
#include "about/UsageWindow.h"
#include "app/FolderPage.h"
#include "app/Program.h"
#include "app/SettingsMessages.h"
#include "board/BoardFocus.h"
#include "board/BoardGeometry.h"
#include "board/SortingBoard.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/OptionsDialog.h"
#include "platform/DurableFile.h"
#include "platform/FileOps.h"
#include "platform/FolderIdentity.h"
#include "platform/Numeric.h"
#include "session/ExtraOptions.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "session/SettingsFile.h"
#include "sorting/Companions.h"
#include "sorting/Sorter.h"
#include "widgets/DirList.h"
#include "widgets/Message.h"
#include "widgets/StatusBar.h"
#include "wording/Wording.h"
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>
#include <utility>

namespace {

QString padded(const QString& text) { return QLatin1Char(' ') + text + QLatin1Char(' '); }

} // namespace

MainWindow::MainWindow(Program& program)
    : m_settings(program.settings)
    , m_session(program.session)
    , m_folder(program.folder)
    , m_sorter(program.sorter)
    , m_tpp(screenTwipsPerPixel())
    , m_png(program.png())
    , m_thumbnails(program.thumbnails())
{
    setWindowTitle(appTitle());
    m_client = new QWidget(this);
    setCentralWidget(m_client);

    // The folder page first: the copy-mode badge, placed over it later, stacks above it.
    m_folderPage = new FolderPage(m_folder, m_client);
    m_folderPage->setObjectName(QStringLiteral("folderPage"));
    buildStatusBar();
    buildToolbar();
    buildMenus();
    m_board = new SortingBoard(m_settings, m_session, m_folder, m_sorter, m_thumbnails, m_client);
    m_board->setObjectName(QStringLiteral("board"));
    m_board->hide();
    wire();

    // Client area 6555 x 3660 twips.
    m_client->setMinimumSize(1, 1);
    resize(twipsToPixels(6555, m_tpp.x), twipsToPixels(3660, m_tpp.y) + menuBar()->sizeHint().height());

    startUp();
}

MainWindow::~MainWindow() = default;

bool MainWindow::onBoard() const { return !m_board->isHidden(); }

void MainWindow::buildStatusBar()
{
    using K = StatusBar::Kind;
    m_statusBar = new StatusBar(
        {
            { K::Text, QString(), QStringLiteral("選択されているフォルダ。"), 60, true },
            { K::Text, QStringLiteral("（無題）"), QStringLiteral("選択されているファイルネーム。"), 60, true },
            { K::Text, QString(), QStringLiteral("選択されているフォルダのファイル数。"), 50, false },
            { K::Text, QString(), QString(), 10, false },
            { K::Caps, QString(), QStringLiteral("Capsキーの状態を表示しています。"), 36, false },
            { K::Num, QString(), QStringLiteral("Numキーの状態を表示しています。"), 36, false },
            { K::Date, QString(), QStringLiteral("今日の日付です。"), 70, false },
            { K::Time, QString(), QStringLiteral("今の時間です。"), 40, false },
        },
        m_client);
    m_statusBar->setObjectName(QStringLiteral("mainStatusBar"));
}

void MainWindow::buildMenus()
{
    m_optionsMenu = menuBar()->addMenu(QStringLiteral("オプション"));
    m_optionsAction = m_optionsMenu->addAction(QStringLiteral("オプション"));
    m_destinationsAction = m_optionsMenu->addAction(QStringLiteral("移動先フォルダ設定"));
    m_optionsMenu->addSeparator();
    m_classicFormatsAction = m_optionsMenu->addAction(QStringLiteral("JPEG・BMP・GIF・PNGだけを表示"));
    m_classicFormatsAction->setCheckable(true);
    m_classicFormatsAction->setToolTip(
        QStringLiteral("HEIC・WebP・TIFF・RAWを一覧に出さず、従来の4形式だけを表示します。"));
    m_companionsAction = m_optionsMenu->addAction(QStringLiteral("RAW・サイドカーも一緒に移動する"));
    m_companionsAction->setCheckable(true);
    m_helpMenu = menuBar()->addMenu(QStringLiteral("バージョン情報"));
    m_aboutAction = m_helpMenu->addAction(QStringLiteral("バージョン情報"));
    m_helpMenu->addSeparator();
    m_helpAction = m_helpMenu->addAction(QStringLiteral("ヘルプ"));

    // Not on the menu bar: the board's pop-up menu.
    m_boardMenu = new QMenu(QStringLiteral("リロード"), this);
    m_reloadAction = m_boardMenu->addAction(QStringLiteral("画像をリロードする"));
    m_boardMenu->addSeparator();
    m_loadMoreAction = m_boardMenu->addAction(QStringLiteral("新たにロードする"));
    m_boardMenu->addSeparator();
    m_undoAction = m_boardMenu->addAction(QStringLiteral("アンドゥ"));
    m_boardMenu->addSeparator();
    m_viewerAction = m_boardMenu->addAction(QStringLiteral("Viewerを開く"));
    m_boardMenu->addSeparator();
    m_sendAllAction = m_boardMenu->addAction(QStringLiteral("すべて削除フォルダへ"));

    // Shown beside the pop-up items only. The board's key handler runs these commands
    // with its own guards; an action that lives in a pop-up menu alone never fires its
    // shortcut, and the widget context keeps it that way should it be added elsewhere.
    const std::pair<QAction*, QKeySequence> keys[] = {
        { m_reloadAction, QKeySequence(Qt::Key_F5) },
        { m_loadMoreAction, QKeySequence(Qt::CTRL | Qt::Key_N) },
        { m_undoAction, QKeySequence(Qt::CTRL | Qt::Key_Z) },
    };
    for (const auto& [action, sequence] : keys) {
        action->setShortcutContext(Qt::WidgetShortcut);
        action->setShortcut(sequence);
    }
    // Named so that they can be found from outside, as the tests do.
    const std::pair<QAction*, const char*> names[] = {
        { m_optionsAction, "optionsAction" },
        { m_destinationsAction, "destinationsAction" },
        { m_classicFormatsAction, "classicFormatsAction" },
        { m_companionsAction, "companionsAction" },
        { m_aboutAction, "aboutAction" },
        { m_helpAction, "helpAction" },
        { m_reloadAction, "reloadAction" },
        { m_loadMoreAction, "loadMoreAction" },
        { m_undoAction, "undoAction" },
        { m_viewerAction, "viewerAction" },
        { m_sendAllAction, "sendAllAction" },
    };
    for (const auto& [action, name] : names)
        action->setObjectName(QLatin1String(name));
}

void MainWindow::buildToolbar()
{
    m_toolbar = new QToolBar(m_client);
    m_toolbar->setObjectName(QStringLiteral("boardToolbar"));
    m_toolbar->setIconSize(QSize(24, 22));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolbar->setMovable(false);
    m_backAction = m_toolbar->addAction(QIcon(QStringLiteral(":/icons/main_cancel.png")), QStringLiteral("キャンセル"));
    m_backAction->setToolTip(QStringLiteral("フォルダ選択画面へ戻ります。"));
    m_toolbarUndoAction
        = m_toolbar->addAction(QIcon(QStringLiteral(":/icons/main_undo.png")), QStringLiteral("アンドゥ"));
    m_toolbarUndoAction->setToolTip(QStringLiteral("１０回までアンドゥできます。"));
    m_toolbar->addSeparator();
    m_quitAction = m_toolbar->addAction(QIcon(QStringLiteral(":/icons/main_exit.png")), QStringLiteral("終了"));
    m_quitAction->setToolTip(QStringLiteral("プログラムを終了します。"));
    m_backAction->setObjectName(QStringLiteral("backAction"));
    m_toolbarUndoAction->setObjectName(QStringLiteral("toolbarUndoAction"));
    m_quitAction->setObjectName(QStringLiteral("quitAction"));

    // On the board the board is the one control that takes the keyboard; a toolbar
    // button holding the focus would take Enter for a click of its own.
    m_toolbar->setFocusPolicy(Qt::NoFocus);
    for (QWidget* w : m_toolbar->findChildren<QWidget*>())
        w->setFocusPolicy(Qt::NoFocus);
    m_toolbar->hide();
}

void MainWindow::wire()
{
    connect(m_folderPage, &FolderPage::folderChanged, this, &MainWindow::showFolder);
    connect(m_folderPage, &FolderPage::fileSelected, this, &MainWindow::showFileName);
    connect(m_folderPage, &FolderPage::fileActivated, this,
        [this](int position) { openViewer(position, ViewerWindow::Mode::Full); });
    connect(m_folderPage, &FolderPage::startRequested, this, &MainWindow::openBoard);
    connect(m_folderPage, &FolderPage::quitRequested, this, &QWidget::close);

    connect(m_board, &SortingBoard::refillStarted, this, [this] { m_toolbar->setEnabled(false); });
    connect(m_board, &SortingBoard::refilled, this, [this](int entries) {
        m_toolbar->setEnabled(true);
        m_statusBar->setPanelText(StatusPanel::FileCount, QStringLiteral(" %1 File ").arg(entries));
    });
    connect(m_board, &SortingBoard::fileChosen, this, &MainWindow::showFileName);
    connect(m_board, &SortingBoard::onePointViewerRequested, this,
        [this](int position) { openViewer(position, ViewerWindow::Mode::OnePoint); });
    connect(m_board, &SortingBoard::menuRequested, this, [this](const QPoint& at) { m_boardMenu->popup(at); });
    connect(&m_sorter, &Sorter::historyChanged, this, &MainWindow::setUndoEnabled);
    // Over the viewer when the transfer was its own, so that a full-screen viewer shows it.
    auto warn = [this](const QString& message) {
        QWidget* over = m_viewer && m_viewer->isActiveWindow() ? static_cast<QWidget*>(m_viewer) : this;
        showMessage(over, message, QMessageBox::Ok, QMessageBox::Warning);
    };
    connect(&m_sorter, &Sorter::transferFailed, this,
        [warn](const TransferResult& result) { warn(Wording::messageFor(result)); });
    connect(
        &m_sorter, &Sorter::undoFailed, this, [warn](const UndoResult& result) { warn(Wording::messageFor(result)); });
    connect(&m_sorter, &Sorter::sendAllFailed, this,
        [warn](const SendAllResult& result) { warn(Wording::messageFor(result)); });
    // An undo lists the folder anew; the board does so itself.
    connect(&m_sorter, &Sorter::undone, this, [this] {
        if (!onBoard())
            m_folder.refresh();
    });
    connect(&m_sorter, &Sorter::moveProgress, this, &MainWindow::showMoveProgress);
    connect(&m_sorter, &Sorter::moveProgressEnded, this, &MainWindow::endMoveProgress);

    connect(m_optionsAction, &QAction::triggered, this, &MainWindow::openOptions);
    connect(m_destinationsAction, &QAction::triggered, this, &MainWindow::openDestinations);
    connect(m_classicFormatsAction, &QAction::triggered, this, &MainWindow::setClassicFormatsOnly);
    connect(m_companionsAction, &QAction::triggered, this, [this](bool on) {
        m_session.companionsFollow = on;
        saveMenuOptions();
    });
    connect(m_aboutAction, &QAction::triggered, this, &MainWindow::openAbout);
    connect(m_helpAction, &QAction::triggered, this, &MainWindow::showHelp);
    connect(m_reloadAction, &QAction::triggered, m_board, &SortingBoard::reload);
    connect(m_loadMoreAction, &QAction::triggered, m_board, &SortingBoard::loadMore);
    connect(m_undoAction, &QAction::triggered, this, &MainWindow::undoLastTransfer);
    connect(m_viewerAction, &QAction::triggered, this, &MainWindow::openViewerFromMenu);
    connect(m_sendAllAction, &QAction::triggered, m_board, &SortingBoard::sendAllReached);
    connect(m_backAction, &QAction::triggered, this, &MainWindow::backFromToolbar);
    connect(m_toolbarUndoAction, &QAction::triggered, this, &MainWindow::undoFromToolbar);
    connect(m_quitAction, &QAction::triggered, this, &MainWindow::quitFromToolbar);
}

void MainWindow::layoutChrome()
{
    // The status bar lies along the client area's bottom edge, the toolbar along its top,
    // each as high as its font asks; the board fills what is between and lays itself out
    // again for every new size.
    const int sbHeight = std::max(twipsToPixels(250, m_tpp.y), m_statusBar->sizeHint().height());
    m_statusBar->setGeometry(0, m_client->height() - sbHeight, m_client->width(), sbHeight);
    m_statusBar->raise();
    m_folderPage->reserveBottom(sbHeight);
    const int toolbarHeight = std::max(twipsToPixels(500, m_tpp.y), m_toolbar->sizeHint().height());
    m_toolbar->setGeometry(0, 0, m_client->width(), toolbarHeight);
    if (m_board)
        m_board->setGeometry(BoardGeometry::boardRect(m_client->size(), toolbarHeight, sbHeight));
}

void MainWindow::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    layoutChrome();
}

// ---- start-up and shut-down

void MainWindow::startUp()
{
    const SettingsFile::StartNote note
        = SettingsFile::startRun(m_session.programFolder(), m_session.userFolder(), m_settings, m_settingsFile);
    const QString warning = SettingsMessages::startWarning(note);
    if (!warning.isEmpty())
        showMessage(nullptr, warning, QMessageBox::Ok, QMessageBox::Warning);

    const ExtraOptions extra
        = ExtraOptionsFile::read(ExtraOptionsFile::locate(m_session.programFolder(), m_session.userFolder()));
    m_classicFormatsAction->setChecked(extra.classicFormatsOnly);
    m_folder.setFormats(
        extra.classicFormatsOnly ? PictureFormats::FormatSet::ClassicOnly : PictureFormats::FormatSet::All);
    m_session.companionsFollow = extra.companionsFollow;
    m_companionsAction->setChecked(extra.companionsFollow);
    const bool installed
        = !m_session.userFolder().isEmpty() && m_settingsFile.write == SettingsFile::path(m_session.userFolder());
    m_folderPage->openAtStart(m_settings.rememberFolder == 1, m_settings.sourceFolder,
        installed ? FileOps::picturesFolder() : QDir::currentPath());
    rememberSourceFolder(m_folderPage->folderPath());
    m_statusBar->setPanelText(StatusPanel::Folder, padded(m_folderPage->folderPath()));
    m_statusBar->setPanelText(StatusPanel::FileCount, QStringLiteral(" %1 File ").arg(m_folder.count()));
    m_settings.updateDestinationNames();
    setUndoEnabled(m_sorter.canUndo());
    layoutChrome();
}

void MainWindow::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;

    const QRect outer = frameGeometry();
    m_settings.windowWidth = Numeric::clampToInt16(pixelsToTwips(outer.width(), m_tpp.x));
    m_settings.windowHeight = Numeric::clampToInt16(pixelsToTwips(outer.height(), m_tpp.y));
    m_settings.windowLeft = Numeric::clampToInt16(pixelsToTwips(outer.left(), m_tpp.x));
    m_settings.windowTop = Numeric::clampToInt16(pixelsToTwips(outer.top(), m_tpp.y));

    Failure failure;
    const SettingsFile::EndProblem problem = SettingsFile::endRun(m_settingsFile, m_settings, &failure);
    const QString error = SettingsMessages::endError(problem, m_settingsFile.write, Wording::messageFor(failure));
    if (!error.isEmpty())
        showMessage(this, error, QMessageBox::Ok, QMessageBox::Warning);

    // Only now: the viewer's mode was just written as it is.
    const QPointer<QWidget> windows[]
        = { m_destinations.data(), m_options.data(), m_usage.data(), m_viewer.data(), m_about.data() };
    for (const QPointer<QWidget>& w : windows)
        if (w)
            w->close();
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    // Not in the middle of a file: the move ends first, and its counter is saved with the rest.
    if (m_sorter.isMoving()) {
        e->ignore();
        return;
    }
    shutDown();
    e->accept();
}

void MainWindow::saveMenuOptions()
{
    Failure failure;
    const QString file = ExtraOptionsFile::locate(m_session.programFolder(), m_session.userFolder());
    const ExtraOptions options { m_classicFormatsAction->isChecked(), m_companionsAction->isChecked() };
    if (!ExtraOptionsFile::write(file, options, &failure))
        showMessage(this,
            QStringLiteral("メニューの設定を %1 に保存できませんでした（この実行中は有効です）。\n%2")
                .arg(QDir::toNativeSeparators(file), Wording::messageFor(failure)),
            QMessageBox::Ok, QMessageBox::Warning);
}

void MainWindow::setClassicFormatsOnly(bool on)
{
    m_folder.setFormats(on ? PictureFormats::FormatSet::ClassicOnly : PictureFormats::FormatSet::All);
    saveMenuOptions();
    if (onBoard()) {
        m_board->reload(); // lists the folder again; while busy, the next listing shows the change
        return;
    }
    m_folder.refresh();
    showFolder();
}

// ---- the two screens

void MainWindow::showFolder()
{
    rememberSourceFolder(m_folder.path());
    m_statusBar->setPanelText(StatusPanel::Folder, padded(m_folder.path()));
    m_statusBar->setPanelText(StatusPanel::FileCount, QStringLiteral(" %1 File ").arg(m_folder.count()));
    // Files whose names are not UTF-8 cannot be listed at all; a panel says so.
    const int n = m_folder.unlistableCount();
    m_statusBar->setPanelText(StatusPanel::Unlistable, n ? QStringLiteral(" 表示できない名前 %1 ").arg(n) : QString());
    QLabel* unlistable = m_statusBar->panel(StatusPanel::Unlistable);
    unlistable->setToolTip(
        n ? QStringLiteral("名前にUTF-8でない文字を含むため、一覧に出せず扱えないファイルの数です。") : QString());
}

void MainWindow::rememberSourceFolder(const QString& path)
{
    // A name the settings file cannot carry would shift every later line of it: the
    // folder can still be sorted, but the one remembered before stays.
    if (SettingsFile::canHold(path)) {
        m_settings.sourceFolder = path;
        return;
    }
    showMessage(this,
        QStringLiteral("フォルダ %1 の名前には改行など設定ファイルに書けない文字が含まれているため、"
                       "このフォルダは記憶されません（次回は前に記憶したフォルダを開きます）。")
            .arg(QDir::toNativeSeparators(path)),
        QMessageBox::Ok, QMessageBox::Warning);
}

// On the board, with the files that would move along with it: "IMG_0001.JPG +CR2 +XMP".
void MainWindow::showFileName(const QString& name)
{
    QString text = name;
    if (onBoard())
        if (const QString along = companionSummary(name); !along.isEmpty())
            text += u' ' + along;
    m_statusBar->setPanelText(StatusPanel::FileName, padded(text));
}

QString MainWindow::companionSummary(const QString& name)
{
    if (!m_session.companionsFollow || name.isEmpty())
        return QString();
    return Companions::summary(m_companions.of(m_folder.path(), name));
}

void MainWindow::showMoveProgress(const MoveProgress& p)
{
    if (!m_progressShown) {
        m_progressShown = true;
        m_fileNameShown = m_statusBar->panelText(StatusPanel::FileName);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    }
    constexpr double MB = 1024.0 * 1024.0;
    QString text = QStringLiteral(" 移動中 %1/%2 %3").arg(p.number).arg(p.count).arg(p.fileName);
    if (p.bytesTotal > 0)
        text += QStringLiteral(" %1/%2 MB").arg(p.bytesDone / MB, 0, 'f', 1).arg(p.bytesTotal / MB, 0, 'f', 1);
    if (m_sorter.isSendingAll())
        text += QStringLiteral("（Escで中止）");
    m_statusBar->setPanelText(StatusPanel::FileName, text + u' ');
}

void MainWindow::endMoveProgress()
{
    if (!m_progressShown)
        return;
    m_progressShown = false;
    m_statusBar->setPanelText(StatusPanel::FileName, m_fileNameShown);
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::openBoard()
{
    // The build assumes the folder screen; it never runs on top of a board.
    if (onBoard() || m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        m_folderPage->hide();
        m_board->show();
        m_toolbar->show();
        m_toolbar->setEnabled(false);
        // Copies a crash or a kill cut off left only hidden temporary files: they go now.
        for (const QString& folder : m_settings.destinationFolders)
            if (!Settings::isUnsetFolder(folder))
                DurableFile::removeLeftovers(folder);

        // The whole work area, without switching to the maximised state.
        const QRect wa = workArea();
        const double widthTwips = Numeric::roundHalfEven(pixelsToTwips(wa.x() + wa.width(), m_tpp.x));
        const double heightTwips = Numeric::roundHalfEven(pixelsToTwips(wa.y() + wa.height(), m_tpp.y));
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        const QSize frameExtra = frameGeometry().size() - geometry().size();
        move(0, 0);
        resize(twipsToPixels(widthTwips, m_tpp.x) - frameExtra.width(),
            twipsToPixels(heightTwips, m_tpp.y) - frameExtra.height());
        // The layout places the client area on its next pass; the board is measured from it now.
        if (layout())
            layout()->activate();

        layoutChrome();
        m_board->build(busy);

        m_toolbar->setEnabled(true);
    }
    m_board->focus().frameFirst();
    m_board->setFocus(Qt::OtherFocusReason);
}

void MainWindow::returnToFolderScreen()
{
    m_board->hide();
    m_toolbar->hide();
    m_folderPage->show();

    // Outer geometry: left 105, top 105, 6600 x 4350 twips.
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    move(twipsToPixels(105, m_tpp.x), twipsToPixels(105, m_tpp.y));
    resize(twipsToPixels(6600, m_tpp.x) - frameExtra.width(), twipsToPixels(4350, m_tpp.y) - frameExtra.height());

    m_board->tearDown();
    m_folder.refresh();
}

// ---- commands

void MainWindow::setUndoEnabled(bool on)
{
    m_undoAction->setEnabled(on);
    m_toolbarUndoAction->setEnabled(on);
}

void MainWindow::undoLastTransfer() { m_sorter.undoLast(); }

void MainWindow::backFromToolbar()
{
    if (!m_session.isBusy())
        returnToFolderScreen();
}

void MainWindow::undoFromToolbar()
{
    if (!m_session.isBusy())
        undoLastTransfer();
}

void MainWindow::quitFromToolbar()
{
    if (!m_session.isBusy())
        close();
}

void MainWindow::showHelp()
{
    if (!HelpPage::exists(m_session.programFolder()))
        openUsage();
    else
        openHelpPage();
}

void MainWindow::openHelpPage()
{
    if (!m_session.isBusy() && !HelpPage::open(m_session.programFolder()))
        openUsage();
}
