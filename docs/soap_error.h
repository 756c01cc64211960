#pragma once
// Failures of the documentation service client.
#include <stdexcept>
#include <string>

namespace maj::docs {

// A failed exchange with the documentation service: unreachable, too slow, an HTTP error, a SOAP fault, a
// description or response that is not what was expected. what() says which, in plain words.
class SoapError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace maj::docs
