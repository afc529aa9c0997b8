#pragma once
// Answers the message boxes a handler opens while it waits in their exec(), recording
// each one. Any other modal window goes to `onModal`, or is rejected when none is set.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

class ModalCatcher : public QObject {
public:
    struct Seen {
        QString text;
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString defaultButton; // its caption
    };
    QList<Seen> seen;
    QList<QMessageBox::StandardButton> answers; // taken in order; Ok once used up
    std::function<void(const QString& text)> onShown; // runs while the box is still open
    std::function<void(QWidget* modal)> onModal;

    ModalCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalCatcher::poll);
        m_timer.start(5);
    }

    QStringList texts() const
    {
        QStringList t;
        for (const Seen& s : seen)
            t << s.text;
        return t;
    }

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->property("caught").toBool())
            return;
        modal->setProperty("caught", true);
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) {
            if (onModal)
                onModal(modal);
            else if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
            return;
        }
        seen << Seen { box->text(), box->windowTitle(), box->icon(),
            box->defaultButton() ? box->defaultButton()->text() : QString() };
        if (onShown)
            onShown(box->text());
        const QMessageBox::StandardButton answer = answers.isEmpty() ? QMessageBox::Ok : answers.takeFirst();
        if (QAbstractButton* b = box->button(answer))
            b->click();
        else
            box->done(answer);
    }

    QTimer m_timer;
};
