#pragma once
#include "platform/PictureBox.h"
#include <QLabel>
#include <QWidget>

class Form1;

// The board area (`Picture1`): holds the target labels, the copy-mode label and the slots.
class BoardArea : public QWidget {
    Q_OBJECT
public:
    BoardArea(Form1* form, QWidget* parent);

private:
    Form1* m_form;
};

// A target label (`Label1`(k)).
class TargetLabel : public QLabel {
    Q_OBJECT
public:
    TargetLabel(Form1* form, int index, QWidget* parent);
    int index() const { return m_index; }

private:
    Form1* m_form;
    int m_index;
};

// A thumbnail slot (`Image1`(i)).
class ThumbSlot : public PictureBox {
    Q_OBJECT
public:
    ThumbSlot(Form1* form, int index, QWidget* parent);
    int index() const { return m_index; }

private:
    Form1* m_form;
    int m_index;
};

// The copy-mode indicator (`Label2`), "コピーモード".
class CopyModeLabel : public QLabel {
    Q_OBJECT
public:
    CopyModeLabel(Form1* form, QWidget* parent);

private:
    Form1* m_form;
};
