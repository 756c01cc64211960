// Feeds arbitrary bytes to the streamed document reader in pieces whose length the first byte chooses, as a
// 200 answer and (high bit of that byte) as a 500 one. A 500 answer must never hand over bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "docs/soap_error.h"
#include "docs/streamed_result.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const long status = (data[0] & 0x80) != 0 ? 500 : 200;
  const std::size_t piece = 1 + (data[0] & 0x7F);
  std::string_view body(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::size_t received = 0;
  maj::docs::StreamedResult result([&](std::string_view bytes) { received += bytes.size(); });
  try {
    while (!body.empty()) {
      result.Feed(status, body.substr(0, piece));
      body.remove_prefix(std::min(piece, body.size()));
    }
    result.Finish(status);
  } catch (const maj::docs::SoapError&) {
  }
  if (status != 200 && received != 0) std::abort();
  return 0;
}
