#pragma once
// Paths. Texts from outside (rows, settings, action data) may be Windows paths; the program's own paths use '/'.
#include <optional>
#include <string>
#include <string_view>

namespace maj::platform {

// Turns a path that may be written the Windows way into a local path: every '\' becomes '/', and a leading
// drive "X:" becomes the folder $WINEPREFIX/dosdevices/x: (WINEPREFIX defaults to $HOME/.wine), as Wine does.
// A local path comes back unchanged.
std::string ToLocalPath(std::string_view path);

// A "full" path: absolute on Linux, or carrying a drive ("C:...") in Windows form.
bool IsFullPath(std::string_view path);

// Resolves an existing local path the way Windows compares file names: each component that is absent under
// its exact name is replaced by the first entry of its folder whose name matches it ignoring case. Components
// that match nothing are kept as written, so the result names where the file would be created.
std::string ResolvePathCase(std::string_view localPath);

// `folder` + "/" + `name` (no doubled separator).
std::string JoinPath(std::string_view folder, std::string_view name);

// Folder part and last component of a local path ("a/b/c.txt" gives "a/b" and "c.txt").
std::string ParentFolder(std::string_view path);
std::string FileName(std::string_view path);

// Folder of the running executable (/proc/self/exe), without a trailing '/'.
std::string ExecutableFolder();

// The environment variable that names the installation folder when the program does not live in it.
inline constexpr char kInstallationFolderVariable[] = "MAJ_INSTALLATION_DIR";

// The installation folder that every step works on, without a trailing '/': the folder given to
// SetApplicationFolder, else the variable kInstallationFolderVariable when it is set and not empty (a local
// or Windows path, read as SetApplicationFolder reads it), else the executable's folder.
std::string ApplicationFolder();

// Makes ApplicationFolder() return `folder` for the rest of the run. `folder` may be a Windows path
// (ToLocalPath) or relative to the current folder; it is made absolute and resolved ignoring letter case.
void SetApplicationFolder(std::string_view folder);

// Makes ApplicationFolder() return `folder` as given (nullopt restores the default). For tests that install
// files into a temporary application folder.
void SetApplicationFolderForTesting(std::optional<std::string> folder);

}  // namespace maj::platform
