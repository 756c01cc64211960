#pragma once
// The private database server that the benchmarks use (started by scripts/testdb), and the `mariadb`
// command-line client pointed at it.
#include <string>
#include <vector>

namespace maj::bench {

// The server as scripts/testdb describes it in the file named by MAJ_TEST_DATABASE.
struct BenchServer {
  std::string dataSource;  // the ODBC data source that the engine connects to ("proscenia")
  std::string host;        // reached over TCP, like the data source
  int port = 0;
  std::string database;
  std::string adminUser;  // every right, no password
};

// Throws std::runtime_error when MAJ_TEST_DATABASE is unset or does not describe a server.
BenchServer LoadBenchServer();

// The `mariadb` client with an option file of its own, so that every invocation in the benchmarks and in the
// raw pipelines' scripts connects the same way: TCP to the server, the database selected.
class Client {
 public:
  // Writes the option file `optionFile` for `user` / `password`.
  Client(const BenchServer& server, const std::string& optionFile, const std::string& user,
         const std::string& password);

  // The command that starts the client, with its option file: "mariadb --defaults-file=<file>".
  std::vector<std::string> Command() const;
  // The same as one shell word list.
  std::string ShellCommand() const;

  // Runs `sql` (any number of statements) in one connection in batch mode without column names and returns
  // what the client printed. `scratchFolder` receives the statement and output files. Throws on failure.
  std::string Run(const std::string& sql, const std::string& scratchFolder) const;

 private:
  std::string optionFile_;
};

// `text` between single quotes for a statement: ' and \ doubled.
std::string SqlText(const std::string& text);

// `text` between single quotes for a POSIX shell.
std::string ShellWord(const std::string& text);

}  // namespace maj::bench
