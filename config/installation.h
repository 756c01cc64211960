#pragma once
// Installation folders and the main application's settings file.
#include <string>

namespace maj::config {

// The application folder followed by "/bin"; creates the folder when nothing of that name exists (a plain
// file of that name also counts as existing). Throws std::runtime_error when the folder cannot be created.
std::string GetBinFolder();

// The application folder followed by "/bin", without creating anything.
std::string BinFolderPath();

// A shell folder of the user. Only 28 (local application data) is known: $XDG_DATA_HOME, else
// $HOME/.local/share. Empty text for any other identifier or when it cannot be determined.
std::string GetSpecialFolderPath(int folderId);

// Chooses the settings file (marker "velandre.ini" beside the executable or in bin → the application
// folder's "Orv_Spec.ini"; else $HOME's; else the bare name), copies an existing one into place when the
// chosen file is missing, and stores the choice in SettingsFilePath(). Never fails: any failure leaves the
// bare name "Orv_Spec.ini". With `placeCopy` false nothing is written: an existing settings file that would
// have been copied is read where it is.
void LocateSettingsFile(bool placeCopy = true);

// The settings file as chosen by LocateSettingsFile(): a full path, or a bare name that the profile reader
// looks for in the Windows folder. Empty before LocateSettingsFile() runs.
const std::string& SettingsFilePath();

}  // namespace maj::config
