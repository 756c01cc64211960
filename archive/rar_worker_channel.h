#pragma once
// The message channel between the updater and the RAR worker process: one stream socket, each message a
// length-prefixed frame holding a kind, a few integers and a few texts. Both sides use the same codec.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace maj::archive {

// Kinds of messages. Requests go from the updater to the worker; the worker answers each request with one
// kResult, after any number of kCallback (each answered by one kAnswer) and kHeartbeat messages.
enum class WorkerMessageKind : std::uint8_t {
  kOpen = 1,         // texts: archive name; numbers: open mode
  kSetPassword = 2,  // texts: password
  kReadHeader = 3,
  kProcess = 4,      // numbers: operation; texts: destination folder, destination name
  kClose = 5,
  kAnswer = 6,       // answer to a callback; numbers: callback result; texts: answer text
  kResult = 20,      // end of a request; numbers[0]: result code, then the values of that request
  kCallback = 21,    // numbers: message, second parameter; texts: first parameter text
  kHeartbeat = 22,   // the worker is alive and making progress; needs no answer
};

struct WorkerMessage {
  WorkerMessageKind kind = WorkerMessageKind::kResult;
  std::vector<std::int64_t> numbers;
  std::vector<std::string> texts;

  // Number or text at `index`, or the default when the message carries fewer.
  std::int64_t Number(std::size_t index) const { return index < numbers.size() ? numbers[index] : 0; }
  std::string Text(std::size_t index) const { return index < texts.size() ? texts[index] : std::string(); }
};

// Largest frame either side accepts; a longer frame means a broken peer.
inline constexpr std::uint32_t kMaxWorkerFrameBytes = 1 << 20;

// Writes one message to `fd`. Returns false when the peer is gone.
bool SendWorkerMessage(int fd, const WorkerMessage& message);

// Reads one message from `fd`. With a timeout, gives up (nullopt) when no byte arrives for that long;
// nullopt also when the peer is gone or sent a malformed frame.
std::optional<WorkerMessage> ReceiveWorkerMessage(
    int fd, std::optional<std::chrono::milliseconds> timeout = std::nullopt);

}  // namespace maj::archive
