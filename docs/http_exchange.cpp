#include "docs/http_exchange.h"

#include <curl/curl.h>

#include <exception>
#include <memory>
#include <mutex>

#include "docs/shown_text.h"
#include "docs/soap_error.h"

namespace maj::docs {
namespace {

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// State shared with the write callback: exceptions must not cross libcurl's C frames, so they are kept here
// and thrown again once curl_easy_perform has returned.
struct Transfer {
  CURL* handle;
  const HttpRequest* request;
  const HttpBodySink* sink;
  std::exception_ptr failure;
};

// Called by libcurl about once a second, and as data moves: ends a cancelled exchange, reports progress.
int OnProgress(void* user, curl_off_t expected, curl_off_t received, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (transfer->request->Cancel && transfer->request->Cancel->load()) return 1;
  try {
    if (transfer->request->Progress && received > 0)
      transfer->request->Progress(static_cast<std::uint64_t>(received), static_cast<std::uint64_t>(expected));
  } catch (...) {
    transfer->failure = std::current_exception();
    return 1;
  }
  return 0;
}

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t length = size * count;
  try {
    long status = 0;
    curl_easy_getinfo(transfer->handle, CURLINFO_RESPONSE_CODE, &status);
    (*transfer->sink)(status, std::string_view(data, length));
    return length;
  } catch (...) {
    transfer->failure = std::current_exception();
    return CURL_WRITEFUNC_ERROR;
  }
}

void Check(CURLcode code, const char* what) {
  if (code != CURLE_OK)
    throw SoapError(std::string("impossible de préparer la requête HTTP (") + what + ") : " + curl_easy_strerror(code));
}

}  // namespace

long PerformHttp(const HttpRequest& request, const HttpBodySink& sink) {
  static std::once_flag globalInit;
  std::call_once(globalInit, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

  EasyHandle easy(curl_easy_init());
  if (!easy) throw SoapError("impossible de créer un client HTTP");
  CURL* h = easy.get();
  HeaderList headers;
  for (const std::string& line : request.Headers) {
    curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
    if (!grown) throw SoapError("impossible de préparer les en-têtes de la requête HTTP");
    headers.release();
    headers.reset(grown);
  }
  Transfer transfer{h, &request, &sink, nullptr};
  char message[CURL_ERROR_SIZE] = {};
  Check(curl_easy_setopt(h, CURLOPT_URL, request.Url.c_str()), "URL");
  Check(curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https"), "protocols");
  Check(curl_easy_setopt(h, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1"), "proxy");
  Check(curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L), "signals");
  Check(curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.ConnectTimeout.count())),
        "connection time limit");
  Check(curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(request.TotalTimeout.count())), "time limit");
  Check(curl_easy_setopt(h, CURLOPT_ERRORBUFFER, message), "error buffer");
  Check(curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()), "headers");
  Check(curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteBody), "body callback");
  Check(curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer), "body callback");
  Check(curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &OnProgress), "progress callback");
  Check(curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer), "progress callback");
  Check(curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L), "progress callback");
  if (!request.Body.empty()) {
    Check(curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.Body.data()), "body");
    Check(curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.Body.size())),
          "body size");
  }
  const CURLcode code = curl_easy_perform(h);
  if (transfer.failure) std::rethrow_exception(transfer.failure);
  if (code == CURLE_ABORTED_BY_CALLBACK) throw SoapError("échange avec " + ShownText(request.Url) + " annulé");
  if (code != CURLE_OK) {
    std::string detail = message[0] ? message : curl_easy_strerror(code);
    if (!detail.empty() && detail.back() == '\n') detail.pop_back();
    throw SoapError("pas de réponse de " + ShownText(request.Url) + " : " + ShownText(detail));
  }
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return status;
}

HttpResponse FetchHttp(const HttpRequest& request, std::size_t maxBody, const std::string& what) {
  HttpResponse response;
  response.Status = PerformHttp(request, [&](long, std::string_view piece) {
    if (piece.size() > maxBody - response.Body.size())
      throw SoapError("la réponse de " + ShownText(request.Url) + " dépasse " + std::to_string(maxBody) +
                      " octets, trop pour " + what);
    response.Body.append(piece);
  });
  return response;
}

}  // namespace maj::docs
