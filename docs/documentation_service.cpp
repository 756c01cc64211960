#include "docs/documentation_service.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "docs/shown_text.h"
#include "docs/soap_error.h"
#include "platform/environment.h"
#include "platform/unique_fd.h"

namespace maj::docs {
namespace {

std::string NumberText(double value) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::runtime_error WriteError(const std::string& path) {
  return std::runtime_error("impossible d'écrire " + ShownText(path) + " : " + std::strerror(errno));
}

// A temporary file beside the target, removed unless Commit renamed it over the target.
class PendingFile {
 public:
  explicit PendingFile(std::string target) : target_(std::move(target)), temporary_(target_ + ".XXXXXX") {
    fd_.reset(::mkstemp(temporary_.data()));
    if (!fd_.valid()) throw WriteError(target_);
  }
  ~PendingFile() {
    if (!committed_) ::unlink(temporary_.c_str());
  }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  void Write(std::string_view bytes) {
    if (!platform::WriteAll(fd_.get(), bytes.data(), bytes.size())) throw WriteError(target_);
  }
  void Commit() {
    // mkstemp makes the file readable by its owner only; a saved document gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(fd_.get(), 0666 & ~mask) != 0 || !fd_.Close() || ::rename(temporary_.c_str(), target_.c_str()) != 0)
      throw WriteError(target_);
    committed_ = true;
  }

 private:
  std::string target_;
  std::string temporary_;
  platform::UniqueFd fd_;
  bool committed_ = false;
};

}  // namespace

std::string DocumentationWsdlLocation() {
  const std::string configured = platform::GetEnvironmentText(kWsdlLocationVariable);
  return configured.empty() ? kDefaultWsdlLocation : configured;
}

DocumentEntry ParseDocumentEntry(std::string_view entry) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t bar = entry.find('|', start);
    fields.push_back(entry.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
    if (bar == std::string_view::npos || fields.size() == 3) break;
    start = bar + 1;
  }
  if (fields.size() < 3) throw SoapError("l'entrée \"" + ShownText(entry, 120) + "\" a moins de trois champs");
  return {std::string(fields[0]), std::string(fields[1]), std::string(fields[2])};
}

double DocumentIdentifier(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    throw SoapError("l'identifiant de document \"" + ShownText(text, 60) + "\" n'est pas un nombre");
  return std::floor(value);
}

SoapClient DocumentationService::Client(const TimeLimits& limits, const CallControl& control) {
  const std::string location = DocumentationWsdlLocation();
  std::lock_guard lock(mutex_);
  if (!description_ || location != location_) {
    description_ = std::make_shared<const ServiceDescription>(
        FetchServiceDescription(location, kServiceName, limits, control));
    location_ = location;
  }
  return SoapClient(description_, limits, control);
}

std::vector<std::string> DocumentationService::GetListeNouveautes(std::int32_t lOld, std::int32_t lNew,
                                                                  const TimeLimits& limits,
                                                                  const CallControl& control) {
  return Client(limits, control).CallForTexts(
      "GetListeNouveautes", {std::to_string(lOld), std::to_string(lNew), "ORVANE", std::to_string(std::int16_t{1})});
}

void DocumentationService::GetFichier(double identifier, const std::string& path, const TimeLimits& limits,
                                      const CallControl& control) {
  const SoapClient client = Client(limits, control);
  PendingFile file(path);
  client.CallForBytes("GetFichier", {NumberText(identifier)}, [&](std::string_view bytes) { file.Write(bytes); });
  file.Commit();
}

}  // namespace maj::docs
