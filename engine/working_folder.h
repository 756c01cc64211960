#pragma once
// The working folder of the update run: where fetched files are written and unpacked, where started
// programs run and where RAR archives are extracted. One value for the whole process, set by each run.
#include <string>

namespace maj::engine {

// The working folder of the current (or last) run; empty before the first run.
const std::string& WorkingFolder();

// Sets the working folder (the run does it; tests may too).
void SetWorkingFolder(std::string folder);

// Deletes everything inside `folder` (files and subfolders) and then the folder itself, ignoring every
// failure. Returns true when nothing of that name exists afterwards.
bool RemoveFolderTree(const std::string& folder);

// True when a replacement or command scheduled for the next start (PendingFileRenameOperations, RunOnce)
// names a file inside `folder`: the folder must stay until maj-pending has run.
bool IsNeededAtNextStart(const std::string& folder);

// Makes an empty working folder for a new run and sets WorkingFolder() to it: <application folder>/MAJ,
// emptied first, or, while an earlier folder of that name cannot be removed or still holds files for the
// next start, MAJ1, MAJ2 and so on. Returns
// the base folder (<application folder>/MAJ), which the run removes at its end. Throws std::runtime_error
// when the chosen folder cannot be created.
std::string PrepareWorkingFolder();

}  // namespace maj::engine
