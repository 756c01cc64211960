#include "docs/streamed_result.h"

#include "docs/soap_envelope.h"
#include "docs/soap_error.h"
#include "docs/xml_names.h"

namespace maj::docs {
namespace {

// Past these sizes the answer is no plain SOAP result: its opening (envelope, headers, response element)
// is a few hundred bytes, a fault a few kilobytes.
constexpr size_t kMaxOpening = 64 * 1024;
constexpr size_t kMaxKept = 1024 * 1024;

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

StreamedResult::StreamedResult(ByteSink sink) : sink_(std::move(sink)) {}

void StreamedResult::Feed(long status, std::string_view piece) {
  if (state_ == State::Done) return;
  if (state_ == State::Result) {
    FeedResult(piece);
    return;
  }
  if (status != 200) state_ = State::Kept;
  kept_.append(piece);
  if (state_ == State::Opening) ScanOpening();
  if (state_ == State::Opening && kept_.size() > kMaxOpening)
    throw SoapError("the service's answer does not begin like a SOAP result");
  if (state_ == State::Kept && kept_.size() > kMaxKept) throw SoapError("the service's answer is not a document");
}

// Walks the tags of the opening: Envelope (depth 1), Body (2), the response element (3), the result (4).
// The opening stays in kept_ so that a fault under Body can be read whole by Finish.
void StreamedResult::ScanOpening() {
  while (state_ == State::Opening) {
    const size_t open = kept_.find('<', scanned_);
    if (open == std::string::npos) return;
    const bool comment = kept_.compare(open, 4, "<!--") == 0;
    const size_t close = comment ? kept_.find("-->", open) : kept_.find('>', open);
    if (close == std::string::npos) return;
    scanned_ = close + (comment ? 3 : 1);
    const std::string_view tag(kept_.data() + open + 1, close - open - 1);
    if (comment || tag.empty() || tag[0] == '?' || tag[0] == '!') continue;
    if (tag[0] == '/') {
      if (--depth_ < 3 && inBody_) throw SoapError("the service's answer holds no document");
      continue;
    }
    const std::string_view name = LocalName(tag.substr(0, tag.find_first_of(" \t\r\n/")));
    const bool empty = tag.back() == '/';
    ++depth_;
    if ((depth_ == 1 && name != "Envelope") || (depth_ == 2 && name != "Header" && name != "Body"))
      throw SoapError("the service's answer is not a SOAP 1.1 envelope");
    if (depth_ == 2) inBody_ = name == "Body";
    if (inBody_ && depth_ == 3 && name == "Fault") {
      state_ = State::Kept;
    } else if (inBody_ && depth_ == 4 && empty) {
      state_ = State::Done;  // an empty result: a document of no bytes
    } else if (inBody_ && depth_ == 4) {
      state_ = State::Result;
      const std::string rest = kept_.substr(scanned_);
      kept_.clear();
      FeedResult(rest);
    } else if (empty) {
      if (--depth_ < 3 && inBody_) throw SoapError("the service's answer holds no document");
    }
  }
}

void StreamedResult::FeedResult(std::string_view text) {
  for (size_t i = 0; i < text.size() && state_ == State::Result; ++i) {
    const char c = text[i];
    if (inEntity_) {
      inEntity_ = c != ';';  // only character references of line ends and blanks can stand in base64 text
    } else if (c == '&') {
      inEntity_ = true;
    } else if (c == '<') {
      state_ = State::Done;
    } else if (!IsBlank(c)) {
      DecodeChar(c);
    }
  }
  if (!decoded_.empty()) {
    sink_(decoded_);
    decoded_.clear();
  }
}

void StreamedResult::DecodeChar(char c) {
  if (c == '=') {
    ++padding_;
    return;
  }
  const int value = Base64Value(c);
  if (value < 0 || padding_ > 0) throw SoapError("the document sent by the service is not valid base64");
  bits_ = (bits_ << 6) | static_cast<unsigned>(value);
  bitCount_ += 6;
  if (bitCount_ >= 8) {
    bitCount_ -= 8;
    decoded_.push_back(static_cast<char>((bits_ >> bitCount_) & 0xFF));
    bits_ &= (1u << bitCount_) - 1;
  }
}

void StreamedResult::Finish(long status) {
  if (state_ == State::Kept || (state_ == State::Opening && status != 200)) {
    CheckAnswer(status, kept_);
    throw SoapError("the service's answer holds no document");
  }
  if (state_ != State::Done) throw SoapError("the service's answer ended before the document did");
  if (bitCount_ >= 6 || padding_ > 2) throw SoapError("the document sent by the service is not valid base64");
}

}  // namespace maj::docs
