#pragma once
// The support libraries the updater expects in its library folder ("bin"), placed at every start.
#include <string>

namespace maj::session {

// Where PrepareSupportLibrary looks and writes.
struct SupportLibraryFolders {
  std::string Library;      // the library folder (bin), where the library must end up
  std::string Application;  // the application folder, first source
  std::string System;       // the system library folder, second source
};

// Makes sure `name` is in the library folder: kept when there; else copied from the application folder,
// else from the system folder (no embedded copies exist in this build, so `resourceId` only says whether
// one was asked for). When `registerAfter` is true and this call placed the library, it is registered in
// place. Returns true when this call placed it. Never leaves a partial file; a failed copy is not retried
// and leaves the library absent.
bool PrepareSupportLibrary(const SupportLibraryFolders& folders, const std::string& name, int resourceId,
                           bool registerAfter);

// The five libraries of every start, in order: "vbzip10.dll", "vbuzip10.dll", "unrar.dll", "7z.dll", and
// "vszlib.dll", registered after placing. Uses the running program's folders.
void PrepareSupportLibraries();

}  // namespace maj::session
