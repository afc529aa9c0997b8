#include "about/Form3.h"
#include "about/frmAbout.h"
#include "app/Form1.h"

namespace {

// An open window comes to the front instead of a second one opening.
bool bringToFront(QWidget* w)
{
    if (!w)
        return false;
    w->show();
    w->raise();
    w->activateWindow();
    return true;
}

} // namespace

void Form1::mnuHelp2_Click()
{
    if (bringToFront(about))
        return;
    about = new frmAbout(*this);
    about->show();
}

void Form1::ShowUsageWindow()
{
    if (bringToFront(form3))
        return;
    form3 = new Form3(*this);
    form3->show();
}
