#pragma once
#include "distribute/UndoHistory.h"
#include <QString>
#include <array>
#include <cstdint>

// Program-wide state, one record owned by the application and handed to every window.
// Integer fields keep the widths the settings file and the dialogs work with.
struct Module1 {
    // Carried in Pirapo.ini.
    QString SourceFolder;
    std::array<QString, 11> DestPath; // 0..9 destination folders, 10 the delete folder
    std::array<QString, 10> HeadName;
    std::array<int32_t, 3> Serial {};
    int16_t WindowWidth = 0;
    int16_t WindowHeight = 0;
    int16_t WindowTop = 0;
    int16_t WindowLeft = 0;
    int16_t NameRule = 0;
    int16_t RememberFolder = 0;
    int16_t ViewerMode = 0;
    int16_t ThumbSize = 0;
    int16_t ThumbCount = 0;
    int16_t SlideSeconds = 0;

    // Live only for the run.
    int16_t SlideRepeat = 0;
    int16_t CopyMode = 0;
    int16_t SlideRunning = 0;
    int16_t BoardBusy = 0;
    QString ViewerFile;
    int32_t ViewerIndex = 0;

    // Derived from DestPath by destNameOf().
    std::array<QString, 11> DestName;

    UndoHistory Undo;

    // The program's folder: Pirapo.ini, help/, Readme.txt, Error.jpg and the mpng library.
    QString AppPath;
    // Where Pirapo.ini goes when the program's folder takes no files (an installed
    // program); empty keeps it beside the program.
    QString UserFolder;
};
