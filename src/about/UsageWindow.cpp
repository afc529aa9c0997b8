#include "about/UsageWindow.h"
#include "about/ReadmeText.h"
#include "widgets/WindowFit.h"
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

UsageWindow::UsageWindow(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ピラポくんの使い方"));

    textView = new QPlainTextEdit(this);
    backButton = new QPushButton(QStringLiteral("プログラムへ戻る"), this);
    // Readme.txt lines up its tables in a fixed-pitch font: IPAGothic, not IPAPGothic.
    QFont fixed(QStringLiteral("IPAGothic"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    fixed.setPointSizeF(textView->font().pointSizeF());
    textView->setFont(fixed);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(backButton);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 6, 6);
    column->addWidget(textView, 1);
    column->addLayout(buttons);
    // Eighty columns and thirty lines where the screen has room.
    const QFontMetrics fm(fixed);
    WindowFit::fitAndCentre(this,
        QSize(fm.horizontalAdvance(QLatin1Char('x')) * 84 + 24, fm.lineSpacing() * 30 + backButton->sizeHint().height() + 30));

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
