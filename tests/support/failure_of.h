#pragma once
// The wording of a failure, for the tests that check what an operation says when it fails.
#include <exception>
#include <string>

namespace maj::testing {

// The text of the `Error` that `action` throws, "" when it throws nothing; any other exception goes on.
template <typename Error = std::exception, typename Action>
std::string FailureOf(Action&& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return {};
}

}  // namespace maj::testing
