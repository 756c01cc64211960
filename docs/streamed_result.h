#pragma once
// Reads the base64 result of a SOAP answer as it arrives, handing over the decoded bytes piece by piece, so
// that a large document never sits whole in memory.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace maj::docs {

// Receives decoded bytes.
using ByteSink = std::function<void(std::string_view bytes)>;

// Feed it the answer's body pieces in order, then call Finish. The result is the text of the response
// element's first child (Envelope / Body / response / result); its base64 text is decoded on the fly.
// Answers that are not a plain result (another HTTP status than 200, a fault) are kept, up to a bound,
// and described by Finish.
class StreamedResult {
 public:
  explicit StreamedResult(ByteSink sink);

  // Takes the next piece of the body, answered with HTTP `status`. Throws SoapError when the answer
  // cannot hold a result (not a SOAP envelope, text that is not base64, an opening far too long).
  void Feed(long status, std::string_view piece);

  // Ends the answer. Throws SoapError when it held no complete result (a fault, an HTTP error, an answer
  // cut short), with the fault's text when there is one.
  void Finish(long status);

 private:
  enum class State { Opening, Kept, Result, Done };
  void ScanOpening();
  void FeedResult(std::string_view text);
  void DecodeChar(char c);

  ByteSink sink_;
  State state_ = State::Opening;
  std::string kept_;      // the opening, or the whole answer in the Kept state
  size_t scanned_ = 0;    // how much of the opening kept_ has been walked
  int depth_ = 0;         // elements open in the opening
  bool inBody_ = false;   // the opening has reached the envelope's Body
  bool inEntity_ = false;  // inside a character reference of the result's text
  unsigned bits_ = 0;     // base64 bits not yet forming a byte
  int bitCount_ = 0;
  int padding_ = 0;
  std::string decoded_;
};

}  // namespace maj::docs
