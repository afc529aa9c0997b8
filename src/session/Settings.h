#pragma once
#include <QString>
#include <array>
#include <cstdint>

// The values Pirapo.ini carries, in its order and with the widths the file and the
// dialogs work with; one record for the whole run, handed to whoever reads or sets them.
struct Settings {
    QString sourceFolder;
    std::array<QString, 11> destPaths; // 0..9 the targets, 10 the delete folder
    std::array<QString, 10> headNames;
    std::array<int32_t, 3> serials {}; // the counter of each renaming rule
    int16_t windowWidth = 0;
    int16_t windowHeight = 0;
    int16_t windowTop = 0;
    int16_t windowLeft = 0;
    int16_t nameRule = 0;
    int16_t rememberFolder = 0;
    int16_t viewerMode = 0; // 1 while a one-point viewer is open
    int16_t thumbSize = 0;
    int16_t thumbCount = 0;
    int16_t slideSeconds = 0;

    // Not saved: the display name of each destination, taken from destPaths at start-up
    // and at each board build only.
    std::array<QString, 11> destNames;
    void updateDestNames();

    // One trailing separator dropped, then the text after the last separator
    // ("/photos/cats/" and "/photos/cats" give "cats").
    static QString destNameOf(const QString& path);

    // A destination that is not set: an empty path, or the root of the file system,
    // which a first start gives every destination. Nothing is ever put there.
    static bool isUnsetFolder(const QString& path);
};
