#include "docs/streamed_result.h"

#include "docs/soap_error.h"

namespace maj::docs {
namespace {

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

StreamedResult::StreamedResult(ByteSink sink) : sink_(std::move(sink)), reader_(*this) {}

void StreamedResult::Feed(long status, std::string_view piece) {
  status_ = status;
  try {
    reader_.Feed(piece);
  } catch (const std::exception& e) {
    Failed(status, e);
  }
  if (!decoded_.empty()) {
    sink_(decoded_);
    decoded_.clear();
  }
}

void StreamedResult::Finish(long status) {
  status_ = status;
  try {
    reader_.Finish();
  } catch (const std::exception& e) {
    Failed(status, e);
  }
  CheckAnswer(status);
  if (!sawResult_) throw SoapError("le service n'a envoyé aucun document");
  if (bitCount_ >= 6 || padding_ > 2) throw SoapError("le document envoyé par le service n'est pas du base64 valide");
}

void StreamedResult::Failed(long status, const std::exception& error) const {
  if (dynamic_cast<const XmlError*>(&error) == nullptr) {
    if (dynamic_cast<const SoapError*>(&error) == nullptr) throw;  // the sink's failure, such as a full disk
    Fail(status, error.what());
  }
  if (inResult_)
    Fail(status, "la réponse du service s'est arrêtée avant la fin du document (" + std::string(error.what()) + ")");
  Fail(status, "la réponse du service n'est pas du XML valide : " + std::string(error.what()));
}

void StreamedResult::ResponseStart(int depth, const XmlElement& element) {
  if (depth > 1) throw SoapError("le résultat envoyé par le service contient des éléments XML");
  if (sawResult_) throw SoapError("la réponse du service contient plusieurs résultats");
  sawResult_ = inResult_ = true;
  if (IsNil(element)) throw SoapError("le service n'a envoyé aucun document (résultat nil)");
}

void StreamedResult::ResponseEnd(int depth) {
  if (depth == 1) inResult_ = false;
}

void StreamedResult::ResponseText(int depth, std::string_view text) {
  if (depth != 1 || status_ != 200) return;
  for (const char c : text)
    if (!IsBlank(c)) DecodeChar(c);
}

void StreamedResult::DecodeChar(char c) {
  if (c == '=') {
    ++padding_;
    return;
  }
  const int value = Base64Value(c);
  if (value < 0 || padding_ > 0) throw SoapError("le document envoyé par le service n'est pas du base64 valide");
  bits_ = (bits_ << 6) | static_cast<unsigned>(value);
  bitCount_ += 6;
  if (bitCount_ >= 8) {
    bitCount_ -= 8;
    decoded_.push_back(static_cast<char>((bits_ >> bitCount_) & 0xFF));
    bits_ &= (1u << bitCount_) - 1;
  }
}

}  // namespace maj::docs
