#pragma once
#include "platform/FileOps.h"
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

// What the destination and options dialogs decide without a window.
namespace DialogLogic {

// A destination path as it is stored: ending with the separator. (The dialog keeps an
// empty field empty: the folder is then not set.)
QString withTrailingSeparator(const QString& text);

// Why a destination path cannot be used as a folder, or a missing one cannot be made
// (a file on the way, no right to write where it would go); empty when it can.
// Checked for every path before anything is created, so a refused OK makes no folder.
QString pathProblem(const QString& path);

// A serial counter field: leading blanks skipped, the longest number at the start read
// (sign and decimal point allowed), halves rounded to even; text without a number is 0.
enum class SerialProblem { None, Negative, TooLarge };
struct SerialValue {
    SerialProblem problem = SerialProblem::None;
    int32_t value = 0;
    bool ok() const { return problem == SerialProblem::None; }
};
SerialValue parseSerial(const QString& text);
// As parseSerial, but text still showing the counter unchanged keeps it as it is,
// even a value out of range read from the settings file.
SerialValue parseSerial(const QString& text, int32_t current);

// The slideshow interval: whole seconds from 1 to 32, the range the viewer's 16-bit
// millisecond timer can run. A fraction is rounded half to even before the test.
enum class IntervalProblem { None, Empty, NotANumber, NotPositive, TooLong };
struct IntervalValue {
    IntervalProblem problem = IntervalProblem::None;
    int16_t seconds = 0;
    bool ok() const { return problem == IntervalProblem::None; }
};
constexpr int MaxSlideSeconds = 32;
IntervalValue parseInterval(const QString& text);

// Why a head name cannot start a file name on this platform; empty when it can.
// An empty head name is fine: names are then the serial and the extension.
QString headNameProblem(const QString& name);

// Option entries of the options dialog and the values they stand for.
constexpr int ThumbSizeOptions = 5; // 32, 64, 128, 256, 512
constexpr int ThumbCountOptions = 6; // 5, 10, ..., 30
int thumbSizeOfOption(int entry);
int optionOfThumbSize(int size); // -1 when no entry shows it
int thumbCountOfOption(int entry);
int optionOfThumbCount(int count); // -1 when no entry shows it

// The folder the bulk delete empties: the stored delete folder with its links
// resolved, ending with the separator. `problem` says why it must not be emptied: a
// relative path (it would depend on the folder the program started in), the root, or
// no such folder.
struct BulkDeleteFolder {
    QString folder;
    QString problem; // Japanese; empty when the folder may be emptied
};
BulkDeleteFolder bulkDeleteFolder(const QString& stored);

// Removes the folder's own plain, non-hidden files through `remove`. Sub-folders and
// hidden files stay. A file that cannot be removed does not stop the others.
struct BulkDeleteResult {
    int deleted = 0;
    QStringList remaining; // names still there afterwards
    int unlistable = 0; // files left because their names cannot be listed (not UTF-8)
};
using FileRemover = std::function<Failure(const QString& path)>;
// Deletes for good, read-only files too, after their attributes are made normal.
Failure deleteForGood(const QString& path);
BulkDeleteResult deleteFolderFiles(const QString& folder, const FileRemover& remove = deleteForGood);

}
