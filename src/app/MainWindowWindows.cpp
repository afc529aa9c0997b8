#include "about/AboutDialog.h"
#include "about/HelpPage.h"
#include "about/UsageWindow.h"
#include "app/FolderPage.h"
#include "app/MainWindow.h"
#include "board/SortingBoard.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/OptionsDialog.h"
#include "platform/FolderIdentity.h"
#include "session/ExtraOptions.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "session/SettingsFile.h"
#include "sorting/Sorter.h"
#include "widgets/Message.h"
#include <QDir>
#include <QPushButton>

// The main window's part that opens the other windows and wires them in.

namespace {

// An open window comes to the front instead of a second one opening: two options
// dialogs would each store their own size, count and interval. A window the user may
// have hidden is shown again first.
bool bringForward(QWidget* w, bool show = false)
{
    if (!w)
        return false;
    if (show)
        w->show();
    w->raise();
    w->activateWindow();
    return true;
}

} // namespace

// ---- the other windows: made on request, gone when closed

void MainWindow::openViewer(int position, ViewerWindow::Mode mode)
{
    if (!m_viewer) {
        m_viewer = new ViewerWindow(m_settings, m_session, m_folder, m_png, this);
        m_viewer->setObjectName(QStringLiteral("viewer"));
        connect(m_viewer, &ViewerWindow::optionsRequested, this, &MainWindow::openOptionsModeless);
        connect(m_viewer, &ViewerWindow::closed, this, &MainWindow::viewerClosed);
        connect(m_viewer, &ViewerWindow::sendRequested, this, &MainWindow::sendFromViewer);
        connect(m_viewer, &ViewerWindow::undoRequested, this, &MainWindow::undoFromViewer);
        m_viewer->setCompanionSummary([this](const QString& name) { return companionSummary(name); });
    }
    m_viewer->open(position, mode);
}

void MainWindow::openViewerFromMenu()
{
    if (m_session.isBusy())
        return;
    // The list keeps the entries of files sent away until the next reload: the viewer
    // starts at the first file still there.
    openViewer(std::max(0, m_folder.presentEntry(0)), ViewerWindow::Mode::Full);
}

void MainWindow::sendFromViewer(int target, int entry)
{
    // Turned away while the board is busy, as a key on the board would be.
    if (m_session.isBusy() || !Settings::isTarget(target))
        return;
    const TransferResult result = m_sorter.transfer(target, entry, m_folder.path(), m_folder.name(entry));
    if (!m_viewer)
        return;
    if (result.ok)
        m_viewer->sendDone(target, m_settings.destinationNames[size_t(target)]);
    else
        m_viewer->sendRefused(target);
}

void MainWindow::undoFromViewer()
{
    if (m_session.isBusy())
        return;
    const UndoResult result = m_sorter.undoLast();
    if (result.ok() && m_viewer && FolderIdentity::same(QFileInfo(result.restoredPath).absolutePath(), m_folder.path()))
        m_viewer->showReturned(QFileInfo(result.restoredPath).fileName());
}

void MainWindow::viewerClosed()
{
    m_viewer = nullptr; // it goes later
    enableStart();
}

void MainWindow::enableStart() { m_folderPage->setStartEnabled(true); }

void MainWindow::wireOptions(OptionsDialog* dialog)
{
    // The dialog says changes only; the state it opens with comes from the session.
    m_board->setCopyModeBlinking(m_session.copyMode);
    connect(dialog, &OptionsDialog::copyModeChanged, m_board, &SortingBoard::setCopyModeBlinking);
    connect(dialog, &OptionsDialog::stored, m_board, [this] { m_board->showCopyModeBadge(m_session.copyMode); });
}

void MainWindow::openOptions()
{
    if (m_session.isBusy() || bringForward(m_options))
        return;
    OptionsDialog dialog(m_settings, m_session, this);
    wireOptions(&dialog);
    m_options = &dialog;
    dialog.exec();
}

void MainWindow::openDestinations()
{
    if (m_session.isBusy() || bringForward(m_destinations))
        return;
    DestinationsDialog dialog(m_settings, this);
    connect(&dialog, &DestinationsDialog::folderCreated, m_folderPage, &FolderPage::refreshFolders);
    connect(&dialog, &DestinationsDialog::deleteFolderEmptied, &m_sorter, &Sorter::forgetVanishedIn);
    m_destinations = &dialog;
    dialog.exec();
}

void MainWindow::openOptionsModeless()
{
    if (bringForward(m_options))
        return;
    auto* dialog = new OptionsDialog(m_settings, m_session, this);
    wireOptions(dialog);
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    m_options = dialog;
    dialog->show();
}

void MainWindow::openAbout()
{
    if (bringForward(m_about, true))
        return;
    m_about = new AboutDialog(this);
    connect(m_about, &AboutDialog::closed, this, &MainWindow::enableStart);
    m_folderPage->setStartEnabled(false);
    m_about->show();
}

void MainWindow::openUsage()
{
    if (bringForward(m_usage, true))
        return;
    m_usage = new UsageWindow(m_session.programFolder(), this);
    connect(m_usage, &UsageWindow::closed, this, &MainWindow::enableStart);
    m_folderPage->setStartEnabled(false);
    m_usage->show();
}
