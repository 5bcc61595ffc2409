// Pending-change backups: when the file browser leaves a modified drawing, its whole editing state
// (canvas settings, paths, undo history) goes into a backup file in the program folder, named
// after the drawing's file name with ".backup" appended. Opening the drawing through the browser
// restores that state; the changes are later written into the drawing file or discarded.
//
// The file is one packed little-endian record: 16-bit integers and Booleans (-1 true), 32-bit
// integers and singles, strings as a 16-bit byte count and CP932 bytes, arrays as a 16-bit
// dimension count (0: never sized, nothing follows; 1: a 32-bit element count, a 32-bit lower
// bound 0 and the elements).
#pragma once

#include "core/canvas_settings.h"
#include "core/path_record.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace core {

// The editing state a backup holds.
struct BackupRecord {
    CanvasSettings Settings;
    PathArray Paths{PathRecord()};  // element 0 empty; 1 .. PathCount()
    std::vector<PathCollection> History{PathCollection()};
    int32_t HistoryPos = 0;

    int32_t PathCount() const { return UpperBound(Paths); }
};

// The backup of a drawing: the program folder, the drawing's file name (its folder dropped, so
// drawings of one name share a backup) and ".backup".
std::string BackupFilePath(const std::string &drawingPath);

// Whether the drawing lies in the folder whose drawings have pending changes (the file browser's,
// Host::PendingChangeFolder). Backups are named by the file name alone, so only such a drawing
// may write, read, apply or delete one: a drawing of the same name elsewhere never touches it.
bool InPendingChangeFolder(const std::string &drawingPath);

// The record's bytes. False (reason in message) when a string is longer than 65535 bytes.
bool EncodeBackupRecord(const BackupRecord &record, std::string &bytes, std::string &message);

// Reads a record from any bytes: every count and length is checked against the bytes there, and
// the record must be consistent (counts matching their arrays, anchor selections pointing at
// anchors, finite singles, stop positions 0..255, fill types 0..4, anchor kinds 0 and 1). False
// (reason in message, record untouched) otherwise.
bool DecodeBackupRecord(std::string_view bytes, BackupRecord &record, std::string &message);

// When the document is modified and the drawing at path lies in the pending-change folder, writes
// its backup whole and renames it into place; a failure is reported. Returns whether it was
// written.
bool SaveBackupFile(const std::string &path);

// Opens the drawing from its backup when it lies in the pending-change folder and has one (its
// settings, paths and undo history come back, the caption keeps " *" though the document counts
// as unmodified), else from the file (OpenDrawingFile). A backup that cannot be read is reported,
// left in place, and the file opened.
void OpenWithBackup(const std::string &path);

// Writes the backup's settings and paths into the drawing file, then deletes the backup; the
// open document is not touched. False when the drawing lies outside the pending-change folder or
// has no backup, or (reported, backup kept) when it cannot be read or the file cannot be written.
bool ApplyBackupToFile(const std::string &path);

// After the drawing at path was saved: its pending change, if it had one, is gone.
void DeletePendingChange(const std::string &path);

// Whether the program folder holds a backup of a ".qlk" drawing.
bool AnyDrawingBackup();

// Deletes every backup of a ".qlk" drawing in the program folder.
void DeleteAllBackups();

}  // namespace core
