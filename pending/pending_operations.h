#pragma once
// What maj-pending performs at the next start: the file moves and the commands that the updater could not
// carry out while the files were in use, as Windows does at boot.
#include <ostream>
#include <string>
#include <vector>

#include "platform/registry_file.h"

namespace maj::pending {

// Performs the moves of PendingFileRenameOperations (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager,
// pairs of source and target) in order: each source replaces an existing target (the old copy was in use
// when the move was scheduled); an empty target deletes the source. The pairs performed are then removed
// from the value (see RemovePerformedMoves), the value itself when nothing else is left. Each failure is
// written to `log` and the next pair is tried. Returns the number of failures.
int PerformPendingMoves(platform::RegistryFile& registry, std::ostream& log);

// Removes from `current` (the PendingFileRenameOperations texts as they are now) the moves of `performed` (the
// texts as they were when the moves were performed): each performed pair takes away its first remaining
// occurrence among the pairs of `current`, in order, and a text left without a pair at the end of `performed`
// takes away its first remaining occurrence at a pair's start. Everything else is kept in its order, so that
// moves written by another process meanwhile wait for the next start.
void RemovePerformedMoves(std::vector<std::string>& current, const std::vector<std::string>& performed);

// Runs each text value of HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce in file order, removing the
// value before its command starts (after it ends for a name starting with "!"), and waits for each. Values
// added while the commands run wait for the next start. Returns the number of commands that failed.
int RunOnceCommands(platform::RegistryFile& registry, std::ostream& log);

}  // namespace maj::pending
