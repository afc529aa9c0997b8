#pragma once
#include <QString>

// What a run keeps and never saves: where the program lives, the busy state of the
// board, the switches the options dialog sets for this run, and the slideshow's state
// that outlives a viewer window.
class Session {
public:
    // `userFolder`: where the settings go when the program's folder takes no files
    // (an installed program); empty keeps them beside the program.
    explicit Session(QString programFolder, QString userFolder = QString());

    // Pirapo.ini, help/, Readme.txt, Error.jpg and the PNG library.
    const QString& programFolder() const { return m_programFolder; }
    const QString& userFolder() const { return m_userFolder; }

    // Busy while the board is built or filled, or a transfer runs: input that would
    // change the board meanwhile is dropped. Never nested.
    bool isBusy() const { return m_busy; }
    class BusyGuard {
    public:
        explicit BusyGuard(Session& session);
        ~BusyGuard();
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        Session& m_session;
    };

    bool copyMode = false; // transfers keep the source, except those into the delete folder
    bool companionsFollow = true; // a picture's RAW files and sidecars move with it
    bool slideRepeat = false; // read at every slideshow tick
    bool slideRunning = false; // a viewer closed during a slideshow leaves it on

private:
    QString m_programFolder;
    QString m_userFolder;
    bool m_busy = false;
};
