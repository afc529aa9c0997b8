#pragma once
// The program-wide objects as main() makes them, on a throw-away tree: prog/ (the
// program's folder, with the PNG decoder and Error.jpg), src/ (the source folder) and
// dest0/ .. dest10/ (the destinations). Message boxes are answered and recorded; any
// other modal window is turned away, so that no test can hang on one.
#include "../HostileFiles.h"
#include "ModalCatcher.h"
#include "imaging/PngDecoder.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "viewer/ViewerWindow.h"
#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

struct Fixture {
    QTemporaryDir tmp { QDir::tempPath() + QStringLiteral("/lumo-XXXXXX") };
    Settings settings;
    Session session { tmp.filePath(QStringLiteral("prog")) };
    PictureFolder folder;
    std::unique_ptr<PngDecoder> png;
    QWidget host; // the main window's place: the other windows' owner
    ModalCatcher boxes;

    Fixture()
    {
        const QDir prog(session.programFolder());
        QDir().mkpath(prog.path());
        const QDir bin(QStringLiteral(LUMO_BIN_DIR));
        for (const QString& lib : bin.entryList({ QStringLiteral("libmpng.so*"), QStringLiteral("mpng.dll") }))
            QFile::copy(bin.filePath(lib), prog.filePath(lib));
        png = std::make_unique<PngDecoder>(prog.path());
        Hostile::write(
            prog.filePath(QStringLiteral("Error.jpg")), Hostile::wellFormed(Hostile::Format::Jpeg, QSize(44, 33), 99));
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
        settings.updateDestNames();
        boxes.onModal = [](QWidget* w) {
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            else
                w->close();
        };
    }

    QString root(const QString& rel = QString()) const { return rel.isEmpty() ? tmp.path() : tmp.filePath(rel); }
    QString src(const QString& name = QString()) const { return root(name.isEmpty() ? "src" : "src/" + name); }
    QString dest(int k, const QString& name = QString()) const
    {
        return root(QStringLiteral("dest%1").arg(k) + (name.isEmpty() ? QString() : '/' + name));
    }
    void list() { folder.setPath(src()); } // src/ as it is now

    // As the main window opens the viewer: an open one is asked again, a closed one is made anew.
    ViewerWindow* viewer(int index, ViewerWindow::Mode mode = ViewerWindow::Mode::Full)
    {
        if (!m_viewer) {
            m_viewer = new ViewerWindow(settings, session, folder, *png, &host);
            QObject::connect(m_viewer, &ViewerWindow::closed, &host, [this] { m_viewer = nullptr; });
        }
        m_viewer->open(index, mode);
        return m_viewer;
    }
    ViewerWindow* openViewer() const { return m_viewer; }

    // Every file of src/ and the destinations by path and content; prog/ is left out.
    QMap<QString, QByteArray> files() const
    {
        auto all = Hostile::snapshot(root());
        all.removeIf([](const auto& it) { return it.key().startsWith(QLatin1String("prog/")); });
        return all;
    }
    QStringList messages() const { return boxes.texts(); }

private:
    QPointer<ViewerWindow> m_viewer;
};
