#include "tests/support/doc_service_process.h"

#include "platform/unique_fd.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace maj::testing {

DocServiceProcess::DocServiceProcess(const std::string& documentsFolder) {
  const std::string portFile = (std::filesystem::path(documentsFolder) / ".port").string();
  std::filesystem::remove(portFile);
  std::string exe = MAJ_DOC_SERVICE_EXE;
  std::string documentsOption = "--documents", portOption = "--port-file", folder = documentsFolder, file = portFile;
  char* argv[] = {exe.data(), documentsOption.data(), folder.data(), portOption.data(), file.data(), nullptr};
  // The service prints its port; the tests read it from the port file.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const int started = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) throw std::runtime_error("cannot start " + exe);
  for (int attempt = 0; attempt < 500 && port_ == 0; ++attempt) {
    std::ifstream(portFile) >> port_;
    if (port_ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (port_ == 0) {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    throw std::runtime_error("maj-doc-service did not start");
  }
}

DocServiceProcess::~DocServiceProcess() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string DocServiceProcess::WsdlUrl() const {
  return "http://127.0.0.1:" + std::to_string(port_) + "/MAJProscenia/WsServiceDocumentation.asmx?WSDL";
}

namespace {

// A socket bound to a free loopback port; `port` receives the port.
platform::UniqueFd BoundSocket(int& port) {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("cannot bind a loopback socket");
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

SilentServer::SilentServer() : fd_(BoundSocket(port_)) {
  if (::listen(fd_.get(), 16) != 0) throw std::runtime_error("cannot listen on a loopback socket");
}


int UnusedPort() {
  int port = 0;
  BoundSocket(port);
  return port;
}

}  // namespace maj::testing
