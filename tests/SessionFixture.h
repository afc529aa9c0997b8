#pragma once
// A main window on a throw-away tree: prog/ (the program's folder, with the PNG
// decoder and Error.jpg), src/ (the source folder) and dest0/ .. dest10/. Message
// boxes are answered and recorded by a ModalCatcher.
#include "HostileFiles.h"
#include "ModalCatcher.h"
#include "app/FolderPage.h"
#include "app/Form1.h"
#include "board/SortingBoard.h"
#include "board/Tile.h"
#include "platform/DirList.h"
#include "platform/FileList.h"
#include "session/SettingsFile.h"
#include "sorting/Sorter.h"
#include "viewer/ViewerWindow.h"
#include <QAction>
#include <QDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <memory>

struct SessionFixture {
    QTemporaryDir tmp;
    Settings settings;
    Session session { tmp.filePath(QStringLiteral("prog")) };
    PictureFolder folder;
    Sorter sorter { settings, session };
    std::unique_ptr<Form1> form;
    std::unique_ptr<ModalCatcher> boxes;

    SessionFixture()
        : tmp(QDir::tempPath() + QStringLiteral("/lumo-XXXXXX"))
    {
        QDir().mkpath(session.programFolder());
        const QDir bin(QStringLiteral(LUMO_BIN_DIR));
        for (const QString& lib : bin.entryList({ QStringLiteral("libmpng.so*"), QStringLiteral("mpng.dll") }))
            QFile::copy(bin.filePath(lib), QDir(session.programFolder()).filePath(lib));
        Hostile::write(QDir(session.programFolder()).filePath(QStringLiteral("Error.jpg")),
            Hostile::wellFormed(Hostile::Format::Jpeg, QSize(44, 33), 99));
        QDir().mkpath(src());
        for (int k = 0; k <= 10; ++k) {
            settings.destPaths[size_t(k)] = dest(k) + QLatin1Char('/');
            QDir().mkpath(dest(k));
        }
        settings.sourceFolder = src();
        settings.rememberFolder = 1;
        settings.thumbSize = 64;
        settings.thumbCount = 10;
        settings.slideSeconds = 1;
        settings.serials = { 41, 7, 123 };
        for (int k = 0; k < 10; ++k)
            settings.headNames[size_t(k)] = QStringLiteral("head%1").arg(k);
        boxes = std::make_unique<ModalCatcher>();
        // Any other modal window (a dialog) is turned away, so no test can hang on one.
        boxes->onModal = [](QWidget* w) {
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            else
                w->close();
        };
    }

    ~SessionFixture()
    {
        if (form)
            form->close(); // writes prog/Pirapo.ini and closes the viewer
        form.reset();
    }

    QString root(const QString& rel = QString()) const { return rel.isEmpty() ? tmp.path() : tmp.filePath(rel); }
    QString src(const QString& name = QString()) const { return root(name.isEmpty() ? "src" : "src/" + name); }
    QString dest(int k, const QString& name = QString()) const
    {
        return root(QStringLiteral("dest%1").arg(k) + (name.isEmpty() ? QString() : '/' + name));
    }

    // The main window on the folder screen, its file list on src/. The settings above
    // reach it through prog/Pirapo.ini, as they do for the program; without them every
    // destination would be the root folder.
    bool open()
    {
        if (!SettingsFile::write(SettingsFile::path(session.programFolder()), settings, nullptr))
            return false;
        const QString wantedDest = settings.destPaths[0];
        form = std::make_unique<Form1>(settings, session, folder, sorter);
        if (!form->startedUp() || settings.destPaths[0] != wantedDest
            || settings.sourceFolder != form->folderPage().folders()->path())
            return false;
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }

    // "実行" on src/ as it is listed now.
    bool build()
    {
        if (!form && !open())
            return false;
        form->openBoard();
        return form->onBoard() && !session.isBusy();
    }

    // A mouse press on tile i and its release over target k.
    void drop(int i, int k)
    {
        form->board().pressTile(i, Qt::LeftButton, QPointF(150, 150));
        form->board().dropOnTarget(k);
    }

    // Every file of src/ and the destinations by path and content; the program's own
    // folder, where the settings file is written, is left out.
    QMap<QString, QByteArray> files() const
    {
        auto all = TestFiles::snapshot(root());
        all.removeIf(
            [](const auto& it) { return it.key().startsWith(QLatin1String("prog/")) || it.value() == "<dir>"; });
        return all;
    }

    Tile* slot(int i) const { return form->board().tileAt(i); }
    QStringList messages() const { return boxes->texts(); }

    ViewerWindow* viewer() const { return form->viewer(); }
    ViewerWindow* openViewer(int index)
    {
        form->openViewer(index, ViewerWindow::Mode::Full);
        return viewer();
    }
};
