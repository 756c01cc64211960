#pragma once
// What a command line asks `maj` to do, read with Qt's command-line parser, and the program's exit statuses.
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "session/published_file_record.h"
#include "session/publishing_presets.h"

namespace maj::app {

// The publishing rows are the session's; the screens and the options name them as their own.
using session::WindowsFlags;
using session::PublishingPreset;
using session::ParseWindowsList;
using session::kEveryWindows;
using session::ClassifyPublishedName;
using session::PublishedFileRow;
using session::FileRecordOf;

// Exit statuses of `maj` started with options.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitBadUsage = 2;
inline constexpr int kExitRestartNeeded = 3;
inline constexpr int kExitStillRunning = 4;
// --unattended: the run refused at least one published version (signature missing, untrusted or not matching).
inline constexpr int kExitRefusedFiles = 5;
inline constexpr int kExitUpdatesWaiting = 10;

// The program's version, as `maj --version` prints it.
inline constexpr const char kProgramVersion[] = "13.01.0010";

enum class CommandLineAction { Help, Version, Unattended, Check, Publish, GenerateKey, Sign };

struct PublishOptions {
  std::vector<std::string> files;         // as given, in order
  std::optional<WindowsFlags> windows;    // nullopt: every Windows version, as the presets tick them
  std::optional<PublishingPreset> ticks;  // nullopt: the preset of each file's name
  std::optional<std::string> version;     // nullopt: the version read from each file
  std::optional<std::string> signingKey;  // --signing-key: the private key file (else as ResolvePublishingKey finds it)
};

struct CommandLineRequest {
  CommandLineAction action = CommandLineAction::Help;
  std::optional<int> waitLimitSeconds;  // --unattended: give up after this many seconds of waiting
  bool json = false;                    // --check: one JSON document
  PublishOptions publish;
  std::string keyFile;   // --generate-key: the private key file to write
  std::string signName;  // --sign: the stored version's name (its version in publish.version)
};

// A command line that cannot be run, with its French description.
struct UsageError {
  std::string message;
};

// Reads `arguments` (the program's name first, as in argv). Exactly one action must be asked for, and each
// other option only with the action it belongs to; `--version` takes a value when `--publish` is given and
// prints the program's version otherwise.
std::variant<CommandLineRequest, UsageError> ParseCommandLine(const std::vector<std::string>& arguments);

// Takes `--installation DOSSIER` (or `--installation=DOSSIER`) out of `arguments`, wherever it stands before
// "--", and makes that folder the application folder of this run (platform::SetApplicationFolder), so that
// the window and every action work on it. The error when the value is missing, the option is given twice or
// the folder does not exist; the application folder is then left alone.
std::optional<UsageError> TakeInstallationOption(std::vector<std::string>& arguments);

// The French help text, every option with its description and the exit statuses.
std::string CommandLineHelp();

}  // namespace maj::app
