#include "about/Form3.h"
#include "about/ReadmeText.h"
#include "app/FolderPage.h"
#include "app/Form1.h"
#include "platform/Twips.h"
#include "session/Session.h"
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

Form3::Form3(Form1& owner)
    : QWidget(&owner, Qt::Window)
    , m_owner(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ピラポくんの使い方"));

    const TwipsPerPixel& tpp = owner.tpp();
    Text1 = new QPlainTextEdit(this);
    Command1 = new QPushButton(QStringLiteral("プログラムへ戻る"), this);
    placeTwips(Text1, 0, 0, 8055, 6495, tpp);
    placeTwips(Command1, 6120, 6600, 1935, 375, tpp);
    setFixedSize(twipsToPixels(8070, tpp.x), twipsToPixels(7020, tpp.y));

    // Lines stay as the file has them; both scroll bars reach the rest.
    Text1->setReadOnly(true);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);

    Form_Load();
}

void Form3::Form_Load()
{
    m_owner.folderPage().startButton()->setEnabled(false);
    Text1->setPlainText(ReadmeText::load(m_owner.session().programFolder()));
}

void Form3::Command1_Click() { close(); }

void Form3::Form_QueryUnload() { m_owner.folderPage().startButton()->setEnabled(true); }

void Form3::closeEvent(QCloseEvent* e)
{
    Form_QueryUnload();
    e->accept();
}
