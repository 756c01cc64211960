#pragma once
// SOAP 1.1 messages: the request envelope of an operation and the reading of its answer.
#include <string>
#include <string_view>
#include <vector>

#include "docs/service_description.h"

namespace maj::docs {

// The request envelope calling `operation` with `arguments` (texts, escaped here), given to its parameters
// by position. Throws SoapError when the count differs from the operation's parameters.
std::string BuildRequest(const std::string& operationName, const OperationDescription& operation,
                         const std::vector<std::string>& arguments);

// Throws SoapError describing an answer that is not a result: the fault's text (faultstring and
// faultcode) when the body holds a SOAP fault, else the HTTP status when it is not 200, else that the
// body is not a SOAP envelope. Returns normally for a 200 answer holding an envelope without a fault.
void CheckAnswer(long status, std::string_view body);

// The array of texts that a 200 answer returns: the child elements of the result element (the first
// child of the response element), whatever their names; when the response element holds its items
// directly (several children, or one child holding text), those. A result marked nil or empty gives no
// texts. Throws SoapError as CheckAnswer does.
std::vector<std::string> ReadTextArray(long status, std::string_view body);

}  // namespace maj::docs
