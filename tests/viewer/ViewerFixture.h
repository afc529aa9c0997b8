#pragma once
#include "app/Form1.h"
#include "app/Module1.h"
#include "platform/FolderControls.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include "viewer/Form4.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <memory>

// A main window on a folder of our own pictures, and the viewer it opens.
struct ViewerFixture {
    QTemporaryDir tmp;
    QString folder; // the source folder
    QString appDir; // the program's folder: Error.jpg
    Module1 m;
    std::unique_ptr<Form1> form;

    ViewerFixture()
    {
        folder = tmp.filePath(QStringLiteral("photos"));
        appDir = tmp.filePath(QStringLiteral("app"));
        QDir().mkpath(folder);
        QDir().mkpath(appDir);
        m.AppPath = appDir;
    }

    static bool writeJpeg(const QString& path, QSize size, QColor color = Qt::darkCyan)
    {
        QImage img(size, QImage::Format_RGB32);
        img.fill(color);
        return img.save(path, "JPEG", 60);
    }
    static bool writeBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    QString inFolder(const QString& name) const { return QDir(folder).filePath(name); }

    // The fallback picture: a size no test picture has.
    void writeErrorJpg() { QVERIFY(writeJpeg(QDir(appDir).filePath(QStringLiteral("Error.jpg")), QSize(40, 30), Qt::red)); }

    // Builds the main window on `folder`; call after the files are written.
    void openMain(const QString& source = QString())
    {
        form = std::make_unique<Form1>(m);
        QVERIFY(form->Dir1->setPath(source.isEmpty() ? folder : source));
        QCOMPARE(m.SourceFolder, form->Dir1->path());
    }

    Form4* viewer() const { return qobject_cast<Form4*>(form->form4.data()); }

    Form4* open(int index, int16_t mode = 0)
    {
        m.ViewerIndex = index;
        m.ViewerFile = form->File1->entry(index);
        m.ViewerMode = mode;
        if (mode == 1)
            form->ShowOnePointViewer();
        else
            form->ShowViewer();
        return viewer();
    }

    // Resizes so that the picture area is exactly `area` (600 twips of chrome at 15 twips a pixel).
    static void setArea(Form4* v, QSize area)
    {
        v->resize(area.width(), area.height() + 40);
        QCOMPARE(v->Picture1->size(), area);
    }
};

inline QString panel(Form4* v, int i) { return v->StatusBar1->panelText(i); }

// Answers the next message box and reports its text and title.
struct MessageCatcher {
    QString text;
    QString title;
    QTimer poll;
    MessageCatcher()
    {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                title = box->windowTitle();
                poll.stop();
                box->accept();
            }
        });
        poll.start();
    }
};
