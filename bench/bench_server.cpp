#include "bench/bench_server.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "bench/child_run.h"
#include "platform/environment.h"
#include "platform/paths.h"

namespace maj::bench {
namespace {

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

BenchServer LoadBenchServer() {
  const std::string path = platform::GetEnvironmentText("MAJ_TEST_DATABASE");
  if (path.empty()) {
    throw std::runtime_error("MAJ_TEST_DATABASE is not set: start the server with eval \"$(scripts/testdb start)\"");
  }
  std::ifstream in(path);
  if (!in) throw std::runtime_error("cannot read " + path);
  BenchServer server;
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t equal = line.find('=');
    if (equal == std::string::npos) continue;
    const std::string key = line.substr(0, equal);
    const std::string value = line.substr(equal + 1);
    if (key == "DSN") server.dataSource = value;
    if (key == "HOST") server.host = value;
    if (key == "PORT") server.port = std::stoi(value);
    if (key == "DATABASE") server.database = value;
    if (key == "ADMIN_USER") server.adminUser = value;
  }
  if (server.dataSource.empty() || server.host.empty() || server.port == 0 || server.database.empty()) {
    throw std::runtime_error(path + " does not describe a running server");
  }
  return server;
}

Client::Client(const BenchServer& server, const std::string& optionFile, const std::string& user,
               const std::string& password)
    : optionFile_(optionFile) {
  std::ofstream out(optionFile, std::ios::trunc);
  out << "[client]\nhost=" << server.host << "\nport=" << server.port << "\nprotocol=TCP\nuser=" << user << "\n";
  if (!password.empty()) out << "password=" << password << "\n";
  out << "database=" << server.database << "\n";
  out.close();
  if (!out) throw std::runtime_error("cannot write " + optionFile);
}

std::vector<std::string> Client::Command() const { return {"mariadb", "--defaults-file=" + optionFile_}; }

std::string Client::ShellCommand() const { return "mariadb --defaults-file=" + ShellWord(optionFile_); }

std::string Client::Run(const std::string& sql, const std::string& scratchFolder) const {
  const std::string input = platform::JoinPath(scratchFolder, "client-input.sql");
  const std::string output = platform::JoinPath(scratchFolder, "client-output.txt");
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out << sql;
    if (!out) throw std::runtime_error("cannot write " + input);
  }
  ChildSpec spec;
  spec.arguments = Command();
  spec.arguments.insert(spec.arguments.end(), {"--batch", "--skip-column-names"});
  spec.standardInput = input;
  spec.standardOutput = output;
  RunChecked(spec, "mariadb client");
  return ReadWholeFile(output);
}

std::string SqlText(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'' || c == '\\') quoted += c;
    quoted += c;
  }
  return quoted + "'";
}

std::string ShellWord(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace maj::bench
