#pragma once
// Commands as the updater writes them for the next start: a program with its parameters, or a batch file.
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>

namespace maj::pending {

// Runs `commandLine` and waits for it. A program whose name ends in ".bat" or ".cmd" is a batch file and is
// run by RunBatchFile; any other is started with its parameters. A missing regsvr32.exe or regasm.exe (a
// machine without them) is skipped with a notice on `log`. Returns false (and says why on `log`) when the
// command cannot be started or ends with a non-zero exit code.
bool RunCommand(std::string_view commandLine, std::ostream& log);

// Runs the lines of a batch file that the updater writes, in order, each ended by CR LF or LF:
//   copy /y "source" "target"   copies the file, replacing the target
//   exit                        stops the file
//   any other non-empty line    runs as a command (RunCommand); "rem", "::" and "@echo" lines are skipped
// Returns false when the file cannot be read or any line failed; the lines after a failed one still run.
bool RunBatchFile(const std::string& path, std::ostream& log);

// Copies `from` over `to` through a temporary file in the target's folder renamed into place, so that a
// program running from the old copy keeps it. Both paths may be in Windows form and resolve ignoring case.
// Returns no error when done, else the system's cause (an errno value).
std::error_code CopyReplacing(std::string_view from, std::string_view to);

// Moves `from` to `to`, replacing an existing target; across file systems the file is copied then the
// source removed. Both paths may be in Windows form and resolve ignoring case. Returns no error when done,
// else the system's cause (an errno value).
std::error_code MoveReplacing(std::string_view from, std::string_view to);

}  // namespace maj::pending
