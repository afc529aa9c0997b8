#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include "imaging/PngDecoder.h"
#include "imaging/ThumbnailCache.h"
#include "platform/DirList.h"
#include "platform/DriveList.h"
#include "platform/FileList.h"
#include "platform/FileOps.h"
#include "platform/Message.h"
#include "platform/Numeric.h"
#include "platform/StatusBar.h"
#include "session/Session.h"
#include "session/SettingsFile.h"
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
    buildBoardControls();
    buildToolbar();
    buildMenus();
    installBoardKeys();
    wireSorter();

    // Client area 6555 x 3660 twips.
    m_client->setMinimumSize(1, 1);
    resize(twipsToPixels(6555, m_tpp.x), twipsToPixels(3660, m_tpp.y) + menuBar()->sizeHint().height());

    Form_Load();
}

Form1::~Form1() = default;

void Form1::buildFolderScreen()
{
    Drive1 = new DriveList(m_client);
    Dir1 = new DirList(m_client);
    File1 = new FileList(m_client);
    Command1 = new QPushButton(QStringLiteral("実行"), m_client);
    Command2 = new QPushButton(QStringLiteral("終了"), m_client);

    placeTwips(Drive1, 120, 480, 3255, 300, m_tpp);
    placeTwips(Dir1, 120, 840, 3255, 1560, m_tpp);
    placeTwips(File1, 3480, 480, 2895, 1890, m_tpp);
    placeTwips(Command1, 3600, 2760, 1335, 495, m_tpp);
    placeTwips(Command2, 5040, 2760, 1335, 495, m_tpp);

    Drive1->setToolTip(QStringLiteral("ドライブを変更します。"));
    Dir1->setToolTip(QStringLiteral("フォルダを変更します。"));
    File1->setToolTip(QStringLiteral("ダブルクリックでViewerを起動します。"));
    Command1->setToolTip(QStringLiteral("ピラポ画面を起動します。"));
    Command2->setToolTip(QStringLiteral("プログラムを終了します。"));

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Command1);
    setTabOrder(Command1, Command2);

    using K = StatusBar::Kind;
    StatusBar1 = new StatusBar(
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

    connect(Drive1, &DriveList::changed, this, &Form1::Drive1_Change);
    connect(Dir1, &DirList::changed, this, &Form1::Dir1_Change);
    connect(&m_folder, &PictureFolder::relisted, File1, [this] { File1->showEntries(m_folder.names()); });
    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    // A file chosen with the arrow keys is named as a clicked one is.
    connect(File1, &FileList::keyboardSelected, this, [this] { File1_Click(); });
    connect(File1, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

double Form1::innerWidthTwips() const { return pixelsToTwips(m_client->width(), m_tpp.x); }
double Form1::innerHeightTwips() const { return pixelsToTwips(m_client->height(), m_tpp.y); }
bool Form1::onBoard() const { return Picture1 && !Picture1->isHidden(); }

void Form1::layoutChrome()
{
    // The status bar lies along the client area's bottom edge; the toolbar fills the
    // strip of 500 twips above the board.
    const int sbHeight = std::max(twipsToPixels(250, m_tpp.y), StatusBar1->sizeHint().height());
    StatusBar1->setGeometry(0, m_client->height() - sbHeight, m_client->width(), sbHeight);
    StatusBar1->raise();
    if (Toolbar1)
        Toolbar1->setGeometry(0, 0, m_client->width(), twipsToPixels(500, m_tpp.y));
}

void Form1::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    layoutChrome();
}

void Form1::showFolderScreen(bool on)
{
    for (QWidget* w : { static_cast<QWidget*>(Drive1), static_cast<QWidget*>(Dir1), static_cast<QWidget*>(File1),
             static_cast<QWidget*>(Command1), static_cast<QWidget*>(Command2) })
        w->setVisible(on);
}

// ---- start-up and shut-down

void Form1::Form_Load()
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

    BoardEnd = m_settings.thumbCount;

    {
        const QSignalBlocker block(Drive1);
        Drive1->setDrive(DriveList::driveOf(QDir::currentPath()));
    }
    bool opened = false;
    if (m_settings.rememberFolder == 1) {
        const QString remembered = m_settings.sourceFolder;
        Drive1->setDrive(DriveList::driveOf(remembered));
        // A remembered folder that is gone falls back to the current folder.
        opened = Dir1->setPath(remembered);
    }
    if (!opened) {
        if (!Dir1->setPath(QDir::currentPath()))
            Dir1->setPath(FileOps::rootPath());
        const QSignalBlocker block(Drive1);
        Drive1->setDrive(DriveList::driveOf(Dir1->path()));
    }
    m_settings.sourceFolder = Dir1->path();

    StatusBar1->setPanelText(1, QStringLiteral(" ") + Dir1->path() + QStringLiteral(" "));
    StatusBar1->setPanelText(3, QStringLiteral(" %1 File ").arg(m_folder.count()));

    m_settings.updateDestNames();

    const QColor back = palette().color(QPalette::Window);
    LabelBackColor = QString::number(back.red() | (back.green() << 8) | (back.blue() << 16));

    ApplyUndoEnabling();
    layoutChrome();
}

void Form1::Form_QueryUnload()
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

    // Dialog1, Dialog2, Form3, Form4, frmAbout, in this order.
    for (const QPointer<QWidget>& w : { dialog1, dialog2, form3, form4, about })
        if (w)
            w->close();
}

void Form1::closeEvent(QCloseEvent* e)
{
    Form_QueryUnload();
    e->accept();
}

// ---- folder screen

void Form1::Drive1_Change()
{ followDriveChange(this, Drive1, Dir1); }

void Form1::Dir1_Change()
{
    m_folder.setPath(Dir1->path());
    m_settings.sourceFolder = Dir1->path();
    StatusBar1->setPanelText(1, QStringLiteral(" ") + m_settings.sourceFolder + QStringLiteral(" "));
    StatusBar1->setPanelText(3, QStringLiteral(" %1 File ").arg(m_folder.count()));
    ShowUnshownCount();
}

void Form1::ShowUnshownCount()
{
    // Files whose names are not UTF-8 cannot be listed at all; the panel says so.
    const int n = m_folder.unlistedCount();
    StatusBar1->setPanelText(4, n ? QStringLiteral(" 表示できない名前 %1 ").arg(n) : QString());
    StatusBar1->panel(4)->setToolTip(
        n ? QStringLiteral("名前にUTF-8でない文字を含むため、一覧に出せず扱えないファイルの数です。") : QString());
}

void Form1::File1_Click()
{
    StatusBar1->setPanelText(2, QStringLiteral(" ") + m_folder.name(File1->selectedIndex()) + QStringLiteral(" "));
}

void Form1::File1_DblClick()
{
    m_session.viewerFile = m_folder.name(File1->selectedIndex());
    m_session.viewerIndex = File1->selectedIndex();
    m_settings.viewerMode = 0;
    ShowViewer();
}

void Form1::Command2_Click() { close(); }
