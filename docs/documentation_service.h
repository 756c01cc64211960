#pragma once
// The documentation web service: the list of documents about a version range, and one document saved to a
// file. The service's description is read once and kept for the later calls.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "docs/soap_client.h"

namespace maj::docs {

// The built-in WSDL location, and the variable that replaces it.
inline constexpr char kDefaultWsdlLocation[] = "http://localhost:81/MAJProscenia/WsServiceDocumentation.asmx?WSDL";
inline constexpr char kWsdlLocationVariable[] = "MAJ_DOC_SERVICE_URL";
inline constexpr char kServiceName[] = "WsServiceDocumentation";

// MAJ_DOC_SERVICE_URL when set and not empty, else kDefaultWsdlLocation.
std::string DocumentationWsdlLocation();

// One entry of the list: "identifier|label|version", further fields ignored.
struct DocumentEntry {
  std::string Identifier;
  std::string Label;
  std::string Version;
};

// Splits an entry at "|". Throws SoapError when it has fewer than three fields.
DocumentEntry ParseDocumentEntry(std::string_view entry);

// The identifier text of an entry as the number sent to the service: decimal text (blanks around it
// allowed) rounded down to a whole number. Throws SoapError when the text is not a finite number.
double DocumentIdentifier(std::string_view text);

// The service at DocumentationWsdlLocation(). Its description is fetched by the first call and kept while
// that location stays the same (a failed fetch is tried again by the next call). Calls may run on several
// threads at once.
class DocumentationService {
 public:
  // Calls GetListeNouveautes(lOld, lNew, "ORVANE", 1) and returns its entries in the order received.
  // Throws SoapError on any failure.
  std::vector<std::string> GetListeNouveautes(std::int32_t lOld, std::int32_t lNew, const TimeLimits& limits = {},
                                              const CallControl& control = {});

  // Calls GetFichier(identifier) and writes the document's bytes to `path` as they arrive, replacing any
  // earlier file only once the whole document has arrived (a failed download leaves it as it was). Throws
  // SoapError for a failed call and std::runtime_error when the file cannot be written.
  void GetFichier(double identifier, const std::string& path, const TimeLimits& limits = {},
                  const CallControl& control = {});

 private:
  SoapClient Client(const TimeLimits& limits, const CallControl& control);

  std::mutex mutex_;
  std::string location_;
  std::shared_ptr<const ServiceDescription> description_;
};

}  // namespace maj::docs
