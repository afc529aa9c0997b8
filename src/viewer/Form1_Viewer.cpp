#include "app/FolderPage.h"
#include "app/Form1.h"
#include "viewer/Form4.h"
#include <QPushButton>
#include <QToolBar>

void Form1::ShowViewer()
{
    if (auto* open = qobject_cast<Form4*>(form4.data())) {
        // An open viewer is only brought forward. A one-point viewer asked to be the full
        // viewer gets its toolbar back, and its title must say so.
        if (open->Toolbar1->isHidden()) {
            open->setOnePointLook(false);
            open->ShowImage();
        }
        open->raise();
        open->activateWindow();
        return;
    }
    auto* viewer = new Form4(m_settings, m_session, m_folder, *m_png, this);
    form4 = viewer;
    const QPointer<Form4> guard(viewer);
    viewer->Form_Load();
    if (guard && form4 == viewer)
        viewer->show();
}

void Form1::ShowOnePointViewer()
{
    if (auto* open = qobject_cast<Form4*>(form4.data())) {
        // Switch the open window to the pressed picture; a running slideshow would step it away.
        open->StopSlideshow();
        open->setOnePointLook(true);
        open->ShowImage();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* viewer = new Form4(m_settings, m_session, m_folder, *m_png, this);
    form4 = viewer;
    viewer->setOnePointLook(true);
    const QPointer<Form4> guard(viewer);
    viewer->Form_Load();
    if (guard && form4 == viewer)
        viewer->show();
}

void Form1::OnViewerClosed()
{
    form4 = nullptr;
    m_folderPage->startButton()->setEnabled(true);
}
