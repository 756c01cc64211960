#pragma once
// SOAP 1.1 messages: the request envelope of an operation, and the reading of answers.
#include <string>
#include <string_view>
#include <vector>

#include "docs/service_description.h"
#include "docs/xml_reader.h"

namespace maj::docs {

// The request envelope calling `operation` with `arguments` (texts, escaped here), given to its parameters
// by position. Throws SoapError when the count differs from the operation's parameters, when a name is not
// an XML name, or when an argument holds a character that XML cannot carry.
std::string BuildRequest(const std::string& operationName, const OperationDescription& operation,
                         const std::vector<std::string>& arguments);

// Follows a SOAP 1.1 answer read by an XmlReader: the envelope, its body and a fault; the content of the
// response element (the body's first child) goes to the subclass. Throws SoapError, while reading, when
// the document is not a SOAP 1.1 envelope.
class SoapAnswerReader : public XmlHandler {
 public:
  void StartElement(const XmlElement& element) final;
  void EndElement() final;
  void Text(std::string_view text) final;

  // Throws SoapError describing an answer that is not a result, once it has been read whole: the fault's
  // text (faultstring and faultcode, shortened and escaped) with the HTTP status when the body holds a SOAP
  // fault, else the HTTP status when it is not 200, else that there is no response element.
  void CheckAnswer(long status) const;
  // Throws the SoapError for an answer whose reading failed with `reason`: the fault or the HTTP status
  // when either tells more, else `reason`.
  [[noreturn]] void Fail(long status, const std::string& reason) const;

 protected:
  // Elements and text inside the response element; `depth` 1 is a child of it.
  virtual void ResponseStart(int depth, const XmlElement& element) = 0;
  virtual void ResponseEnd(int depth) = 0;
  virtual void ResponseText(int depth, std::string_view text) = 0;

 private:
  enum class Field { None, Code, Text };
  int depth_ = 0;
  bool inBody_ = false;
  bool sawBody_ = false;
  bool sawResponse_ = false;
  bool inResponse_ = false;
  bool inFault_ = false;
  bool sawFault_ = false;
  Field field_ = Field::None;
  int fieldDepth_ = 0;
  std::string faultCode_;
  std::string faultText_;
};

// True when `element` carries xsi:nil="true" (or "1").
bool IsNil(const XmlElement& element);

// The array of texts that a 200 answer returns: the child elements of the result element (the first
// child of the response element), whatever their names; when the response element holds its items
// directly (several children, or one child holding text), those. Character references and CDATA sections
// give their exact text. A result marked nil or empty gives no texts; an item marked nil gives "". Throws
// SoapError as CheckAnswer does, for text that is not XML, and for an item holding elements.
std::vector<std::string> ReadTextArray(long status, std::string_view body);

}  // namespace maj::docs
