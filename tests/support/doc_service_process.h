#pragma once
#include <string>

#include "platform/unique_fd.h"

namespace maj::testing {

// maj-doc-service running on a free loopback port over a folder of documents, stopped with the object.
class DocServiceProcess {
 public:
  // Starts the service over `documentsFolder` (index.txt and the documents) and waits until it listens.
  // Throws std::runtime_error when it does not start.
  explicit DocServiceProcess(const std::string& documentsFolder);
  ~DocServiceProcess();
  DocServiceProcess(const DocServiceProcess&) = delete;
  DocServiceProcess& operator=(const DocServiceProcess&) = delete;

  // The WSDL location, as MAJ_DOC_SERVICE_URL would give it.
  std::string WsdlUrl() const;

 private:
  int pid_ = -1;
  int port_ = 0;
};

// A loopback port whose connections are accepted by the system but never answered, for as long as the
// object lives.
class SilentServer {
 public:
  SilentServer();

  int Port() const { return port_; }

 private:
  int port_ = 0;
  platform::UniqueFd fd_;
};

// A loopback port on which nothing listens.
int UnusedPort();

}  // namespace maj::testing
