#pragma once
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "sorting/Sorter.h"
#include <QString>
#include <memory>

class PngDecoder;
class ThumbnailCache;

// What the program's windows share, made and wired here once: the settings, the run's
// state, the picture folder's listing, the sorter, the PNG decoder and the thumbnails.
// main() makes one on the program's own folders, the tests on throw-away ones.
class Program {
public:
    // `programFolder` holds the PNG decoder's library and the files beside the program;
    // `userFolder` the user's own settings (empty: none).
    Program(const QString& programFolder, const QString& userFolder);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    Settings settings;
    Session session;
    PictureFolder folder;
    Sorter sorter;

    const PngDecoder& png() const { return *m_png; }
    ThumbnailCache& thumbnails() const { return *m_thumbnails; }
    // A cache with nothing in memory, as the next run starts with; the shared one on disk
    // stays. Only while no board uses the old one.
    void renewThumbnails();

private:
    std::unique_ptr<PngDecoder> m_png; // the mpng library beside the program
    std::unique_ptr<ThumbnailCache> m_thumbnails; // goes before m_png, which its workers use
};
