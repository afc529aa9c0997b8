#include "app/Form1.h"
#include "board/BoardWidgets.h"
#include <QFont>

void Form1::buildBoardControls()
{
    Picture1 = new BoardArea(this, m_client);
    Picture1->hide();
    Label1.resize(10);
    Label1[0] = new TargetLabel(this, 0, Picture1);
    Label1[0]->hide();
    Image1.append(new ThumbSlot(this, 0, Picture1));
    Image1[0]->hide();
    // The copy-mode label lives on the window itself on the folder screen.
    Label2 = new CopyModeLabel(this, m_client);
    Label2->setText(QStringLiteral("コピーモード"));
    QFont f(QStringLiteral("ＭＳ Ｐゴシック"));
    f.setPointSizeF(15.75);
    f.setBold(true);
    Label2->setFont(f);
    Label2->setStyleSheet(QStringLiteral("color: rgb(255,0,0);"));
    placeTwips(Label2, 120, 720, 255, 255, m_tpp);
    Label2->hide();
}

void Form1::Command1_Click() { }
void Form1::FillPage(int, bool) { }
void Form1::LoadThumbnail() { }
void Form1::mnuRL_Click() { }
void Form1::mnuDL_Click() { }
void Form1::Image1_MouseDown(int, int, int, float, float) { }
void Form1::Picture1_MouseDown(int, int, float, float) { }
void Form1::OpenOnePointViewer(int) { }
