// maj-doc-service: the documentation web service for tests and the demo. It serves its WSDL description
// (GET on the service path) and answers GetListeNouveautes and GetFichier (POST) from a folder of documents.
//
//   maj-doc-service --documents FOLDER [--host 127.0.0.1] [--port N] [--port-file FILE]
//
// Port 0 (the default) takes a free port; the port is printed on standard output and, with --port-file,
// written to FILE once the service accepts connections.
#include <httplib.h>

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "tools/doc-service/document_folder.h"
#include "tools/doc-service/service_wsdl.h"
#include "tools/doc-service/soap_answers.h"

namespace {

using namespace maj::docservice;

constexpr char kXml[] = "text/xml; charset=utf-8";

template <typename Number>
Number ReadNumber(const SoapRequest& request, const std::string& name) {
  const auto found = request.Parameters.find(name);
  Number value{};
  if (found == request.Parameters.end()) throw std::invalid_argument("Parameter " + name + " is missing.");
  const std::string& text = found->second;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size())
    throw std::invalid_argument("Parameter " + name + " is not a number: " + text);
  return value;
}

void Fault(httplib::Response& response, const std::string& code, const std::string& text) {
  response.status = 500;
  response.set_content(FaultAnswer(code, text), kXml);
}

// Streams the document's base64 text inside the answer envelope, reading the file a piece at a time.
void SendDocument(httplib::Response& response, const std::string& path) {
  auto file = std::make_shared<std::ifstream>(path, std::ios::binary);
  if (!*file) throw std::runtime_error("The document cannot be read.");
  response.set_chunked_content_provider(kXml, [file, stage = 0](size_t, httplib::DataSink& sink) mutable {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (stage == 0) {
      const std::string opening = ResultOpening("GetFichier");
      sink.write(opening.data(), opening.size());
      stage = 1;
      return true;
    }
    char bytes[48 * 1024];  // a multiple of 3: only the last piece needs padding
    file->read(bytes, sizeof bytes);
    const size_t count = static_cast<size_t>(file->gcount());
    std::string text;
    for (size_t i = 0; i < count; i += 3) {
      const unsigned group = (static_cast<unsigned char>(bytes[i]) << 16) |
                             (i + 1 < count ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0) |
                             (i + 2 < count ? static_cast<unsigned char>(bytes[i + 2]) : 0);
      text += kAlphabet[(group >> 18) & 63];
      text += kAlphabet[(group >> 12) & 63];
      text += i + 1 < count ? kAlphabet[(group >> 6) & 63] : '=';
      text += i + 2 < count ? kAlphabet[group & 63] : '=';
    }
    if (!text.empty()) sink.write(text.data(), text.size());
    if (count < sizeof bytes) {
      const std::string closing = ResultClosing("GetFichier");
      sink.write(closing.data(), closing.size());
      sink.done();
    }
    return true;
  });
}

void Answer(const DocumentFolder& documents, const httplib::Request& http, httplib::Response& response) {
  SoapRequest request;
  try {
    request = ReadRequest(http.body);
  } catch (const std::exception& e) {
    Fault(response, "soap:Client", e.what());
    return;
  }
  const std::string action = http.get_header_value("SOAPAction");
  const std::string expected = "\"" + std::string(kServiceNamespace) + request.Operation + "\"";
  if (action != expected && action != expected.substr(1, expected.size() - 2)) {
    Fault(response, "soap:Client", "Server did not recognize the value of HTTP Header SOAPAction: " + action + ".");
    return;
  }
  try {
    if (request.Operation == "GetListeNouveautes") {
      response.set_content(TextArrayAnswer(request.Operation, documents.List(ReadNumber<std::int32_t>(request, "lOld"),
                                                                             ReadNumber<std::int32_t>(request, "lNew"))),
                           kXml);
    } else if (request.Operation == "GetFichier") {
      const auto path = documents.Find(ReadNumber<double>(request, "dIdentifiant"));
      if (!path) throw std::invalid_argument("No document has the identifier " + request.Parameters["dIdentifiant"] + ".");
      SendDocument(response, *path);
    } else {
      Fault(response, "soap:Client", "Unknown operation " + request.Operation + ".");
    }
  } catch (const std::invalid_argument& e) {
    Fault(response, "soap:Client", e.what());
  } catch (const std::exception& e) {
    Fault(response, "soap:Server", e.what());
  }
}

int Usage() {
  std::cerr << "usage: maj-doc-service --documents FOLDER [--host 127.0.0.1] [--port N] [--port-file FILE]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder, host = "127.0.0.1", portFile;
  int port = 0;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i], value = argv[i + 1];
    if (option == "--documents") folder = value;
    else if (option == "--host") host = value;
    else if (option == "--port") port = std::atoi(value.c_str());
    else if (option == "--port-file") portFile = value;
    else return Usage();
  }
  if (folder.empty() || argc % 2 == 0) return Usage();

  const DocumentFolder documents(folder);
  httplib::Server server;
  server.Get(kServicePath, [](const httplib::Request& request, httplib::Response& response) {
    const std::string address = "http://" + request.get_header_value("Host") + kServicePath;
    response.set_content(ServiceWsdl(address), kXml);
  });
  server.Post(kServicePath, [&documents](const httplib::Request& request, httplib::Response& response) {
    Answer(documents, request, response);
  });
  if (port == 0 ? (port = server.bind_to_any_port(host)) < 0 : !server.bind_to_port(host, port)) {
    std::cerr << "maj-doc-service: cannot listen on " << host << "\n";
    return 1;
  }
  std::cout << port << std::endl;
  if (!portFile.empty()) {
    const std::string partial = portFile + ".part";
    std::ofstream(partial) << port << "\n";
    std::rename(partial.c_str(), portFile.c_str());
  }
  return server.listen_after_bind() ? 0 : 1;
}
