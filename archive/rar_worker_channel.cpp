#include "archive/rar_worker_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace maj::archive {
namespace {

void PutU32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t GetLittleEndian(const unsigned char* bytes, int count) {
  std::uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = send(fd, data, size, MSG_NOSIGNAL);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Reads exactly `size` bytes, waiting at most `timeout` for each piece.
bool ReadAll(int fd, unsigned char* data, std::size_t size, std::optional<std::chrono::milliseconds> timeout) {
  while (size > 0) {
    if (timeout) {
      pollfd waiter{fd, POLLIN, 0};
      int ready;
      do {
        ready = poll(&waiter, 1, static_cast<int>(timeout->count()));
      } while (ready < 0 && errno == EINTR);
      if (ready <= 0) return false;
    }
    ssize_t got = read(fd, data, size);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    data += got;
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

}  // namespace

bool SendWorkerMessage(int fd, const WorkerMessage& message) {
  std::string body;
  body.push_back(static_cast<char>(message.kind));
  body.push_back(static_cast<char>(message.numbers.size()));
  body.push_back(static_cast<char>(message.texts.size()));
  for (std::int64_t number : message.numbers) {
    auto value = static_cast<std::uint64_t>(number);
    PutU32(body, static_cast<std::uint32_t>(value));
    PutU32(body, static_cast<std::uint32_t>(value >> 32));
  }
  for (const std::string& text : message.texts) {
    PutU32(body, static_cast<std::uint32_t>(text.size()));
    body += text;
  }
  if (body.size() > kMaxWorkerFrameBytes) return false;
  std::string frame;
  PutU32(frame, static_cast<std::uint32_t>(body.size()));
  frame += body;
  return WriteAll(fd, frame.data(), frame.size());
}

std::optional<WorkerMessage> ReceiveWorkerMessage(int fd, std::optional<std::chrono::milliseconds> timeout) {
  unsigned char lengthBytes[4];
  if (!ReadAll(fd, lengthBytes, 4, timeout)) return std::nullopt;
  auto length = static_cast<std::uint32_t>(GetLittleEndian(lengthBytes, 4));
  if (length < 3 || length > kMaxWorkerFrameBytes) return std::nullopt;
  std::vector<unsigned char> body(length);
  if (!ReadAll(fd, body.data(), length, timeout)) return std::nullopt;

  WorkerMessage message;
  message.kind = static_cast<WorkerMessageKind>(body[0]);
  std::size_t numberCount = body[1];
  std::size_t textCount = body[2];
  std::size_t at = 3;
  for (std::size_t i = 0; i < numberCount; ++i) {
    if (at + 8 > length) return std::nullopt;
    message.numbers.push_back(static_cast<std::int64_t>(GetLittleEndian(&body[at], 8)));
    at += 8;
  }
  for (std::size_t i = 0; i < textCount; ++i) {
    if (at + 4 > length) return std::nullopt;
    auto size = static_cast<std::size_t>(GetLittleEndian(&body[at], 4));
    at += 4;
    if (size > length - at) return std::nullopt;
    message.texts.emplace_back(reinterpret_cast<const char*>(&body[at]), size);
    at += size;
  }
  return message;
}

}  // namespace maj::archive
