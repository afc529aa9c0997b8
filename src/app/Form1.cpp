#include "app/Form1.h"
#include "app/FolderPage.h"
#include "board/SortingBoard.h"
#include "imaging/PngDecoder.h"
#include "imaging/ThumbnailCache.h"
#include "platform/DirList.h"
#include "platform/FileOps.h"
#include "platform/Message.h"
#include "platform/Numeric.h"
#include "platform/StatusBar.h"
#include "session/Session.h"
#include "session/SettingsFile.h"
#include "sorting/Sorter.h"
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QToolBar>

Form1::Form1(Settings& settings, Session& session, PictureFolder& folder, Sorter& sorter, QWidget* parent)
    : QMainWindow(parent)
    , m_settings(settings)
    , m_session(session)
    , m_folder(folder)
    , m_sorter(sorter)
    , m_tpp(screenTwipsPerPixel())
    , m_png(std::make_unique<PngDecoder>(m_session.programFolder()))
{
    setWindowTitle(appTitle());
    m_client = new QWidget(this);
    setCentralWidget(m_client);

    buildFolderScreen();
    buildToolbar();
    buildMenus();
    wireBoard();

    // Client area 6555 x 3660 twips.
    m_client->setMinimumSize(1, 1);
    resize(twipsToPixels(6555, m_tpp.x), twipsToPixels(3660, m_tpp.y) + menuBar()->sizeHint().height());

    startUp();
}

Form1::~Form1() = default;

void Form1::buildFolderScreen()
{
    m_folderPage = new FolderPage(m_folder, m_client);

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

    connect(m_folderPage, &FolderPage::folderChanged, this, &Form1::showFolder);
    connect(m_folderPage, &FolderPage::fileSelected, this, [this](const QString& name) {
        m_statusBar->setPanelText(2, QStringLiteral(" ") + name + QStringLiteral(" "));
    });
    connect(m_folderPage, &FolderPage::fileActivated, this,
        [this](int index) { openViewer(index, ViewerWindow::Mode::Full); });
    connect(m_folderPage, &FolderPage::startRequested, this, &Form1::openBoard);
    connect(m_folderPage, &FolderPage::quitRequested, this, &QWidget::close);
}

double Form1::innerWidthTwips() const { return pixelsToTwips(m_client->width(), m_tpp.x); }
double Form1::innerHeightTwips() const { return pixelsToTwips(m_client->height(), m_tpp.y); }
bool Form1::onBoard() const { return m_board && !m_board->isHidden(); }

void Form1::layoutChrome()
{
    // The status bar lies along the client area's bottom edge; the toolbar fills the
    // strip of 500 twips above the board.
    const int sbHeight = std::max(twipsToPixels(250, m_tpp.y), m_statusBar->sizeHint().height());
    m_statusBar->setGeometry(0, m_client->height() - sbHeight, m_client->width(), sbHeight);
    m_statusBar->raise();
    if (m_toolbar)
        m_toolbar->setGeometry(0, 0, m_client->width(), twipsToPixels(500, m_tpp.y));
}

void Form1::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    layoutChrome();
}

void Form1::showFolderScreen(bool on) { m_folderPage->setVisible(on); }

// ---- start-up and shut-down

void Form1::startUp()
{
    const SettingsFile::Location where = SettingsFile::locate(m_session.programFolder(), m_session.userFolder());
    m_settingsFile = where.write;
    const QString shown = QDir::toNativeSeparators(where.read);
    // A file that cannot be used is left as it is, and said so once, here.
    const auto warn = [&](const QString& why) {
        m_settings = SettingsFile::defaults();
        QString text = why.arg(shown) + QStringLiteral("既定の設定で起動します。");
        if (where.write == where.read) {
            m_settingsFile.clear();
            text += QStringLiteral("\nこのファイルには手を付けず、今回の設定は保存しません。");
        }
        showMessage(nullptr, text, QMessageBox::Ok, QMessageBox::Warning);
    };
    switch (SettingsFile::read(where.read, m_settings, &m_settingsRead)) {
    case SettingsFile::ReadStatus::Ok:
        break;
    case SettingsFile::ReadStatus::TooShort:
        // A short file cannot be trusted: it goes, and the next start uses the defaults.
        if (QFile::remove(where.read)) {
            m_startedUp = false;
            return;
        }
        // One that cannot go (a read-only program folder) must not stop every start.
        m_settings = SettingsFile::defaults();
        showMessage(nullptr, QStringLiteral("設定ファイル %1 が壊れています。既定の設定で起動します。").arg(shown),
            QMessageBox::Ok, QMessageBox::Warning);
        break;
    case SettingsFile::ReadStatus::Unreadable:
        warn(QStringLiteral("設定ファイル %1 を読み込めませんでした。"));
        break;
    case SettingsFile::ReadStatus::NotAFile:
        warn(QStringLiteral("設定ファイル %1 は通常のファイルではないため、読み込みません。"));
        break;
    case SettingsFile::ReadStatus::Missing:
        m_settings = SettingsFile::defaults();
        break;
    }

    m_folderPage->openAtStart(m_settings.rememberFolder == 1, m_settings.sourceFolder);
    m_settings.sourceFolder = m_folderPage->folders()->path();

    m_statusBar->setPanelText(1, QStringLiteral(" ") + m_settings.sourceFolder + QStringLiteral(" "));
    m_statusBar->setPanelText(3, QStringLiteral(" %1 File ").arg(m_folder.count()));

    m_settings.updateDestNames();

    setUndoEnabled(m_sorter.canUndo());
    layoutChrome();
}

void Form1::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;

    const QRect outer = frameGeometry();
    m_settings.windowWidth = Numeric::clampToInt16(pixelsToTwips(outer.width(), m_tpp.x));
    m_settings.windowHeight = Numeric::clampToInt16(pixelsToTwips(outer.height(), m_tpp.y));
    m_settings.windowLeft = Numeric::clampToInt16(pixelsToTwips(outer.left(), m_tpp.x));
    m_settings.windowTop = Numeric::clampToInt16(pixelsToTwips(outer.top(), m_tpp.y));

    const QString shown = QDir::toNativeSeparators(m_settingsFile);
    QString error;
    if (m_settingsFile.isEmpty()) {
        // Said at start-up.
    } else if (FileOps::entryKind(m_settingsFile) == FileOps::EntryKind::Other) {
        showMessage(this,
            QStringLiteral("設定ファイル %1 は通常のファイルではないため、今回の設定は保存しません。").arg(shown),
            QMessageBox::Ok, QMessageBox::Warning);
    } else if (!SettingsFile::write(m_settingsFile, m_settings, &error, m_settingsRead)) {
        showMessage(this,
            QStringLiteral("設定ファイル %1 を保存できませんでした。\n%2\n今回の設定は保存されずに終了します。")
                .arg(shown, error),
            QMessageBox::Ok, QMessageBox::Warning);
    }

    closeOtherWindows();
}

void Form1::closeEvent(QCloseEvent* e)
{
    shutDown();
    e->accept();
}

// ---- folder screen

void Form1::showFolder()
{
    m_settings.sourceFolder = m_folder.path();
    m_statusBar->setPanelText(1, QStringLiteral(" ") + m_settings.sourceFolder + QStringLiteral(" "));
    m_statusBar->setPanelText(3, QStringLiteral(" %1 File ").arg(m_folder.count()));
    // Files whose names are not UTF-8 cannot be listed at all; panel 4 says so.
    const int n = m_folder.unlistedCount();
    m_statusBar->setPanelText(4, n ? QStringLiteral(" 表示できない名前 %1 ").arg(n) : QString());
    m_statusBar->panel(4)->setToolTip(
        n ? QStringLiteral("名前にUTF-8でない文字を含むため、一覧に出せず扱えないファイルの数です。") : QString());
}
