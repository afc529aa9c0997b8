#include "about/AboutDialog.h"
#include "about/UsageWindow.h"
#include "app/FolderPage.h"
#include "app/Form1.h"
#include "board/CopyModeBadge.h"
#include "board/SortingBoard.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/OptionsDialog.h"
#include "session/Session.h"
#include <QPushButton>

namespace {

// An open window comes to the front instead of a second one opening: two options
// dialogs would each store their own size, count and interval.
bool raiseIfOpen(QWidget* w)
{
    if (!w)
        return false;
    w->raise();
    w->activateWindow();
    return true;
}

// The same for a window the user may have hidden.
bool bringToFront(QWidget* w)
{
    if (!w)
        return false;
    w->show();
    return raiseIfOpen(w);
}

} // namespace

void Form1::wireOptions(OptionsDialog* dialog)
{
    CopyModeBadge* badge = m_board->copyModeBadge();
    connect(dialog, &OptionsDialog::copyModeChanged, badge, &CopyModeBadge::setBlinking);
    connect(dialog, &OptionsDialog::stored, badge, [this, badge] { badge->setVisible(m_session.copyMode); });
}

void Form1::openOptions()
{
    if (m_session.isBusy() || raiseIfOpen(m_options))
        return;
    OptionsDialog dialog(m_settings, m_session, this);
    wireOptions(&dialog);
    m_options = &dialog;
    dialog.exec();
}

void Form1::openDestinations()
{
    if (m_session.isBusy() || raiseIfOpen(m_destinations))
        return;
    DestinationsDialog dialog(m_settings, this);
    connect(&dialog, &DestinationsDialog::folderCreated, m_folderPage, &FolderPage::refreshFolders);
    m_destinations = &dialog;
    dialog.exec();
}

void Form1::openOptionsModeless()
{
    if (raiseIfOpen(m_options))
        return;
    auto* dialog = new OptionsDialog(m_settings, m_session, this);
    wireOptions(dialog);
    connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
    m_options = dialog;
    dialog->show();
}

void Form1::openViewer(int index, ViewerWindow::Mode mode)
{
    if (!m_viewer) {
        m_viewer = new ViewerWindow(m_settings, m_session, m_folder, *m_png, this);
        connect(m_viewer, &ViewerWindow::optionsRequested, this, &Form1::openOptionsModeless);
        connect(m_viewer, &ViewerWindow::closed, this, &Form1::viewerClosed);
    }
    m_viewer->open(index, mode);
}

void Form1::viewerClosed()
{
    m_viewer = nullptr; // it goes later
    m_folderPage->startButton()->setEnabled(true);
}

void Form1::openAbout()
{
    if (bringToFront(m_about))
        return;
    m_about = new AboutDialog(this);
    connect(m_about, &AboutDialog::closed, m_folderPage, [this] { m_folderPage->startButton()->setEnabled(true); });
    m_folderPage->startButton()->setEnabled(false);
    m_about->show();
}

void Form1::openUsage()
{
    if (bringToFront(m_usage))
        return;
    m_usage = new UsageWindow(m_session.programFolder(), this);
    connect(m_usage, &UsageWindow::closed, m_folderPage, [this] { m_folderPage->startButton()->setEnabled(true); });
    m_folderPage->startButton()->setEnabled(false);
    m_usage->show();
}

void Form1::closeOtherWindows()
{
    const QPointer<QWidget> windows[]
        = { m_destinations.data(), m_options.data(), m_usage.data(), m_viewer.data(), m_about.data() };
    for (const QPointer<QWidget>& w : windows)
        if (w)
            w->close();
}
