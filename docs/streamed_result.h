#pragma once
// Reads the base64 result of a SOAP answer as it arrives, handing over the decoded bytes piece by piece, so
// that a large document never sits whole in memory.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "docs/soap_envelope.h"
#include "docs/xml_reader.h"

namespace maj::docs {

// Receives decoded bytes.
using ByteSink = std::function<void(std::string_view bytes)>;

// Feed it the answer's body pieces in order, then call Finish. The result is the text of the response
// element's first child (Envelope / Body / response / result), read by an XML reader so that CDATA
// sections, comments and character references give exactly the bytes the service encoded; its base64
// text is decoded on the fly. Only a 200 answer's bytes reach the sink. Answers that are not one plain
// result are errors: a fault, another HTTP status, a result marked nil or missing ("no document"), a
// result holding elements, a second result, text that is not base64, an answer cut short.
class StreamedResult : private SoapAnswerReader {
 public:
  explicit StreamedResult(ByteSink sink);

  // Takes the next piece of the body, answered with HTTP `status`. Throws SoapError as soon as the answer
  // cannot hold a result.
  void Feed(long status, std::string_view piece);

  // Ends the answer. Throws SoapError when it held no complete result, with the fault's text when there is
  // one.
  void Finish(long status);

 private:
  void ResponseStart(int depth, const XmlElement& element) override;
  void ResponseEnd(int depth) override;
  void ResponseText(int depth, std::string_view text) override;
  void DecodeChar(char c);
  [[noreturn]] void Failed(long status, const std::exception& error) const;

  ByteSink sink_;
  XmlReader reader_;
  long status_ = 0;
  bool inResult_ = false;
  bool sawResult_ = false;
  unsigned bits_ = 0;  // base64 bits not yet forming a byte
  int bitCount_ = 0;
  int padding_ = 0;
  std::string decoded_;
};

}  // namespace maj::docs
