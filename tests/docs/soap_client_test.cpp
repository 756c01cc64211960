// The documentation client against the real maj-doc-service, and against hand-written loopback services of
// another shape and with broken answers.
#include <httplib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <thread>

#include "docs/documentation_service.h"
#include "docs/soap_client.h"
#include "docs/soap_error.h"
#include "tests/support/doc_service_process.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::docs {
namespace {

using maj::testing::ReadFileText;
using maj::testing::ScopedEnvironment;
using maj::testing::TempFolder;

// The text of the SoapError that `call` throws ("" when it throws none).
template <typename Call>
std::string FailureOf(Call call) {
  try {
    call();
  } catch (const SoapError& e) {
    return e.what();
  }
  return {};
}

// A service on the loopback that serves `Wsdl` at /service.wsdl and answers every POST to /soap with
// `Answer`, recording the requests.
class CannedService {
 public:
  CannedService() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    server_.Get("/service.wsdl", [this](const httplib::Request&, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      response.set_content(Wsdl, "text/xml");
    });
    server_.Post("/soap", [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard lock(mutex_);
      Requests.push_back(request.get_header_value("SOAPAction") + " " + request.body);
      response.status = AnswerStatus;
      response.set_content(Answer, "text/xml");
    });
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~CannedService() {
    server_.stop();
    thread_.join();
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  std::string Wsdl;
  int AnswerStatus = 200;
  std::string Answer;
  std::vector<std::string> Requests;

 private:
  std::mutex mutex_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

// Bytes that are not UTF-8, long enough to arrive in many pieces.
std::string DocumentBytes() {
  std::string bytes = std::string("\xff\xfe\x00\x80", 4);
  for (int i = 0; i < 300000; ++i) bytes.push_back(static_cast<char>(i * 131 % 256));
  return bytes;
}

// Another toolkit's shape: another namespace, parameters named otherwise and unqualified, a named complex
// type, a SOAP 1.2 port listed first, a SOAPAction of another form. `service` answers at /soap.
std::string AnotherShapeWsdl(const CannedService& service) {
  return R"(<definitions xmlns="http://schemas.xmlsoap.org/wsdl/" xmlns:xsd="http://www.w3.org/2001/XMLSchema"
    xmlns:soap="http://schemas.xmlsoap.org/wsdl/soap/" xmlns:soap12="http://schemas.xmlsoap.org/wsdl/soap12/"
    xmlns:a="urn:autre:doc" targetNamespace="urn:autre:doc">
  <types><xsd:schema targetNamespace="urn:autre:doc">
    <xsd:complexType name="Plage"><xsd:sequence><xsd:element name="ancienne" type="xsd:int"/>
      <xsd:element name="nouvelle" type="xsd:int"/><xsd:element name="compte" type="xsd:string"/>
      <xsd:element name="mode" type="xsd:short"/></xsd:sequence></xsd:complexType>
    <xsd:element name="GetListeNouveautes" type="a:Plage"/>
    <xsd:element name="GetFichier"><xsd:complexType><xsd:sequence><xsd:element name="numero" type="xsd:double"/>
      </xsd:sequence></xsd:complexType></xsd:element>
  </xsd:schema></types>
  <message name="ListeIn"><part name="body" element="a:GetListeNouveautes"/></message>
  <message name="FichierIn"><part name="body" element="a:GetFichier"/></message>
  <portType name="Docs"><operation name="GetListeNouveautes"><input message="a:ListeIn"/></operation>
    <operation name="GetFichier"><input message="a:FichierIn"/></operation></portType>
  <binding name="Docs12" type="a:Docs"><soap12:binding style="document" transport="http://schemas.xmlsoap.org/soap/http"/>
    <operation name="GetListeNouveautes"><soap12:operation soapAction="soap12"/></operation></binding>
  <binding name="Docs11" type="a:Docs"><soap:binding style="document" transport="http://schemas.xmlsoap.org/soap/http"/>
    <operation name="GetListeNouveautes"><soap:operation soapAction="urn:autre:doc#Liste"/></operation>
    <operation name="GetFichier"><soap:operation soapAction="urn:autre:doc#Fichier"/></operation></binding>
  <service name="WsServiceDocumentation">
    <port name="P12" binding="a:Docs12"><soap12:address location=")" + service.Url("/wrong") + R"("/></port>
    <port name="P11" binding="a:Docs11"><soap:address location=")" + service.Url("/soap") + R"("/></port>
  </service></definitions>)";
}

// The version ranges are checked through the end panel's list (tests/app).
TEST(DocumentationServiceTest, ListsEntriesAndSavesDocumentsByteForByte) {
  TempFolder documents;
  documents.WriteFile("index.txt",
                      "12|Nouveautés de la version|13.01\n13|Guide|12.05|ignoré\n# comment\n\n14|Ancien|9.0\n");
  documents.WriteFile("12.pdf", DocumentBytes());
  testing::DocServiceProcess service(documents.str());
  ScopedEnvironment environment;
  environment.Set(kWsdlLocationVariable, service.WsdlUrl());

  EXPECT_EQ(GetListeNouveautes(0, 999999),
            (std::vector<std::string>{"12|Nouveautés de la version|13.01", "13|Guide|12.05|ignoré", "14|Ancien|9.0"}));

  TempFolder saved;
  const std::string replaced = saved.WriteFile("Nouveautés.pdf", "earlier content, longer than nothing");
  GetFichier(DocumentIdentifier(" 12.9 "), replaced);
  EXPECT_EQ(ReadFileText(replaced), DocumentBytes());

  const std::string kept = saved.WriteFile("kept.pdf", "earlier");
  EXPECT_NE(FailureOf([&] { GetFichier(99, kept); }).find("No document has the identifier 99"), std::string::npos);
  EXPECT_EQ(ReadFileText(kept), "earlier");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(saved.path()), {}), 2) << "no partial file is left";
  EXPECT_NE(FailureOf([] { DocumentIdentifier("douze"); }), "");
}

// Answers with header blocks and prefixed elements, array items named "item", base64 broken into lines.
TEST(SoapClientTest, CallsAServiceOfAnotherShapeByPosition) {
  CannedService service;
  service.Wsdl = AnotherShapeWsdl(service);
  ScopedEnvironment environment;
  environment.Set(kWsdlLocationVariable, service.Url("/service.wsdl"));
  const std::string opening =
      R"(<S:Envelope xmlns:S="http://schemas.xmlsoap.org/soap/envelope/"><S:Header><x:Trace xmlns:x="urn:x">)"
      R"(<x:Id>7</x:Id></x:Trace></S:Header><S:Body><a:Reponse xmlns:a="urn:autre:doc">)";

  service.Answer = opening + "<liste><item>1|Un &amp; deux|13.01</item><item>2|B|13.02</item></liste>" +
                   "</a:Reponse></S:Body></S:Envelope>";
  EXPECT_EQ(GetListeNouveautes(130000, 130200), (std::vector<std::string>{"1|Un & deux|13.01", "2|B|13.02"}));

  TempFolder saved;
  service.Answer = opening + "<a:donnees>/wCA&#13;\n4oK&#xD;\nsAA==</a:donnees></a:Reponse></S:Body></S:Envelope>";
  GetFichier(12, saved.str() + "/doc");
  EXPECT_EQ(ReadFileText(saved.str() + "/doc"), std::string("\xff\x00\x80\xe2\x82\xac\x00", 7));

  ASSERT_EQ(service.Requests.size(), 2u);
  EXPECT_NE(service.Requests[0].find("\"urn:autre:doc#Liste\" "), std::string::npos) << service.Requests[0];
  EXPECT_NE(service.Requests[0].find(R"(<m:GetListeNouveautes xmlns:m="urn:autre:doc"><ancienne>130000</ancienne>)"
                                     "<nouvelle>130200</nouvelle><compte>ORVANE</compte><mode>1</mode>"),
            std::string::npos)
      << service.Requests[0];
  EXPECT_NE(service.Requests[1].find(R"("urn:autre:doc#Fichier" )"), std::string::npos) << service.Requests[1];
  EXPECT_NE(service.Requests[1].find("<numero>12</numero>"), std::string::npos) << service.Requests[1];
}

TEST(SoapClientTest, BadAnswersFailWithADescription) {
  CannedService service;
  service.Wsdl = AnotherShapeWsdl(service);
  ScopedEnvironment environment;
  environment.Set(kWsdlLocationVariable, service.Url("/service.wsdl"));
  TempFolder saved;
  const std::string envelope = R"(<soap:Envelope xmlns:soap="http://schemas.xmlsoap.org/soap/envelope/"><soap:Body>)";
  const std::string fault = envelope +
      "<soap:Fault><faultcode>soap:Server</faultcode><faultstring>Base indisponible</faultstring></soap:Fault>"
      "</soap:Body></soap:Envelope>";
  struct Case {
    int status;
    std::string answer;
    bool document;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {500, fault, false, "fault: Base indisponible (soap:Server)"},
      {500, fault, true, "fault: Base indisponible (soap:Server)"},
      {200, fault, true, "fault: Base indisponible"},
      {404, "<html>Not Found</html>", false, "HTTP status 404"},
      {404, "Not Found", true, "HTTP status 404"},
      {200, "plain text", false, "not XML"},
      {200, "<html/>", true, "not a SOAP 1.1 envelope"},
      {200, envelope + "<R><r>" + std::string(kMaxListBytes, 'x') + "</r></R></soap:Body></soap:Envelope>", false,
       "too large"},
      {200, envelope + "<R><r>QUJD*</r></R></soap:Body></soap:Envelope>", true, "not valid base64"},
      {200, envelope + "<R><r>QUJD", true, "ended before the document"},
      {200, envelope + "<R></R></soap:Body></soap:Envelope>", true, "holds no document"},
  };
  for (const Case& c : cases) {
    service.AnswerStatus = c.status;
    service.Answer = c.answer;
    const std::string failure = c.document ? FailureOf([&] { GetFichier(1, saved.str() + "/doc"); })
                                           : FailureOf([] { GetListeNouveautes(0, 1); });
    EXPECT_NE(failure.find(c.expected), std::string::npos) << c.answer.substr(0, 60) << " gave: " << failure;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(saved.path()), {}), 0) << "no partial file is left";
}

}  // namespace
}  // namespace maj::docs
