#include "about/UsageWindow.h"
#include "about/ReadmeText.h"
#include "platform/Twips.h"
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

UsageWindow::UsageWindow(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ピラポくんの使い方"));

    const TwipsPerPixel tpp = screenTwipsPerPixel();
    textView = new QPlainTextEdit(this);
    backButton = new QPushButton(QStringLiteral("プログラムへ戻る"), this);
    placeTwips(textView, 0, 0, 8055, 6495, tpp);
    placeTwips(backButton, 6120, 6600, 1935, 375, tpp);
    setFixedSize(twipsToPixels(8070, tpp.x), twipsToPixels(7020, tpp.y));

    // Lines stay as the file has them; both scroll bars reach the rest.
    textView->setReadOnly(true);
    textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    textView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    textView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(backButton, &QPushButton::clicked, this, &QWidget::close);

    textView->setPlainText(ReadmeText::load(programFolder));
}

void UsageWindow::closeEvent(QCloseEvent* e)
{
    emit closed();
    e->accept();
}
