#include "app/command_line.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/command_line_check.h"
#include "app/command_line_console.h"
#include "app/command_line_options.h"
#include "app/command_line_publish.h"
#include "app/command_line_unattended.h"

namespace maj::app {
namespace {

int Run(const CommandLineRequest& request) {
  switch (request.action) {
    case CommandLineAction::Help:
      std::fputs(CommandLineHelp().c_str(), stdout);
      return kExitDone;
    case CommandLineAction::Version:
      std::printf("maj %s\n", kProgramVersion);
      return kExitDone;
    case CommandLineAction::Unattended:
      return RunUnattended(request.waitLimitSeconds);
    case CommandLineAction::Check:
      return RunCheck(request.json);
    case CommandLineAction::Publish:
      return RunPublish(request.publish);
    case CommandLineAction::GenerateKey:
      return RunGenerateKey(request.keyFile);
    case CommandLineAction::Sign:
      return RunSignStored(request.signName, request.publish);
  }
  return kExitFailed;
}

}  // namespace

std::optional<int> RunCommandLine(int argc, char** argv) {
  if (argc <= 1) return std::nullopt;
  // The command line needs no window; a core application is enough and is gone before the screens start.
  std::unique_ptr<QCoreApplication> application;
  if (!QCoreApplication::instance()) application = std::make_unique<QCoreApplication>(argc, argv);

  const auto parsed = ParseCommandLine(std::vector<std::string>(argv, argv + argc));
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    std::fprintf(stderr, "maj : %s\nmaj --help décrit les options.\n", error->message.c_str());
    return kExitBadUsage;
  }
  try {
    return Run(std::get<CommandLineRequest>(parsed));
  } catch (const std::exception& failure) {
    PrintErrorLine(failure.what());
    return kExitFailed;
  }
}

}  // namespace maj::app
