#include "app/Form1.h"
#include "dialogs/Dialog1.h"
#include "dialogs/Dialog2.h"
#include "session/Session.h"

// An options dialog already open (from the viewer) is brought forward rather than
// doubled: two of them would each store their own size, count and interval.
static bool raiseIfOpen(QWidget* w)
{
    if (!w)
        return false;
    w->raise();
    w->activateWindow();
    return true;
}

void Form1::mnuOpt2_Click()
{
    if (m_session.isBusy() || raiseIfOpen(dialog2))
        return;
    Dialog2 dlg(m_settings, m_session, this);
    dialog2 = &dlg;
    dlg.exec();
}

void Form1::mnuOpt3_Click()
{
    if (m_session.isBusy() || raiseIfOpen(dialog1))
        return;
    Dialog1 dlg(m_settings, this);
    dialog1 = &dlg;
    dlg.exec();
}

void Form1::ShowOptionsModeless()
{
    if (raiseIfOpen(dialog2))
        return;
    auto* dlg = new Dialog2(m_settings, m_session, this);
    connect(dlg, &QDialog::finished, dlg, &QObject::deleteLater);
    dialog2 = dlg;
    dlg->show();
}
