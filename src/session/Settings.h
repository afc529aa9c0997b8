#pragma once
#include <QString>
#include <array>
#include <cstdint>

// How a transfer names the file in its destination folder; Pirapo.ini keeps the number.
// A number out of range read from the file is kept as it is, and refused when used.
enum class NamingRule : int16_t {
    SerialAndName = 0, // "000001 name.jpg"
    FolderNameAndSerial = 1, // the destination folder's name, then the serial
    HeadNameAndSerial = 2, // the target's head name, then the serial
};
constexpr int NamingRuleCount = 3;
inline bool isKnownRule(NamingRule rule) { return int(rule) >= 0 && int(rule) < NamingRuleCount; }
// The rule, or the first when the number is out of range.
inline NamingRule knownRuleOrFirst(NamingRule rule) { return isKnownRule(rule) ? rule : NamingRule::SerialAndName; }

// The values Pirapo.ini carries, in its order and with the widths the file and the
// dialogs work with; one record for the whole run, handed to whoever reads or sets them.
struct Settings {
    // The board's drop places, 0..9; each sends to its destination folder.
    static constexpr int TargetCount = 10;
    // The eleventh folder, where send-all and the delete key send: it follows the targets'.
    static constexpr int DeleteFolder = TargetCount;
    static constexpr int FolderCount = TargetCount + 1; // the targets' destination folders and the delete folder

    QString sourceFolder;
    std::array<QString, FolderCount> destinationFolders; // the targets', then the delete folder
    std::array<QString, TargetCount> headNames;
    std::array<int32_t, NamingRuleCount> serials {}; // the counter of each naming rule
    int16_t windowWidth = 0;
    int16_t windowHeight = 0;
    int16_t windowTop = 0;
    int16_t windowLeft = 0;
    NamingRule namingRule = NamingRule::SerialAndName;
    int16_t rememberFolder = 0;
    int16_t viewerMode = 0; // 1 while a one-point viewer is open
    int16_t thumbSize = 0;
    int16_t thumbCount = 0;
    int16_t slideSeconds = 0;

    const QString& deleteFolder() const { return destinationFolders[DeleteFolder]; }
    QString& deleteFolder() { return destinationFolders[DeleteFolder]; }
    static bool isTarget(int target) { return target >= 0 && target < TargetCount; }

    // Not saved: the display name of each destination folder, taken from destinationFolders
    // at start-up and at each board build only.
    std::array<QString, FolderCount> destinationNames;
    void updateDestinationNames();

    // One trailing separator dropped, then the text after the last separator
    // ("/photos/cats/" and "/photos/cats" give "cats").
    static QString destinationNameOf(const QString& path);

    // A destination folder that is not set: an empty path, or the root of the file system,
    // which a first start gives every folder. Nothing is ever put there.
    static bool isUnsetFolder(const QString& path);
};
