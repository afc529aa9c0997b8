#include "app/Program.h"
#include "imaging/PngDecoder.h"
#include "imaging/SharedThumbnails.h"
#include "imaging/ThumbnailCache.h"

Program::Program(const QString& programFolder, const QString& userFolder)
    : session(programFolder, userFolder)
    , sorter(settings, session)
    , m_png(std::make_unique<PngDecoder>(programFolder))
{
    renewThumbnails();
    // One listing for the board and the viewer: a file sent away stops counting, one
    // that stayed counts again.
    QObject::connect(&sorter, &Sorter::moving, &folder, [this](int entry) { folder.setGone(entry, true); });
    QObject::connect(&sorter, &Sorter::stayed, &folder, [this](int entry) { folder.setGone(entry, false); });
}

Program::~Program() = default;

void Program::renewThumbnails()
{
    m_thumbnails.reset(); // its workers end before the next one starts
    m_thumbnails
        = std::make_unique<ThumbnailCache>(ThumbnailCache::Options { m_png.get(), SharedThumbnails::defaultRoot() });
}
