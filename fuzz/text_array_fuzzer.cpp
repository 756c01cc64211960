// Feeds arbitrary bytes to the reader of list answers, as a 200 answer and (first byte odd) as a 500 one.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "docs/soap_envelope.h"
#include "docs/soap_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const long status = (data[0] & 1) != 0 ? 500 : 200;
  try {
    maj::docs::ReadTextArray(status, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  } catch (const maj::docs::SoapError&) {
  }
  return 0;
}
