// The documentation client against a loopback service answering in unusual and hostile ways (the real
// maj-doc-service is the documentation list's, in tests/app): one table per reader (description, list,
// document), each case giving the exact result or a clear error.
#include <httplib.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <thread>

#include "docs/documentation_service.h"
#include "docs/save_name.h"
#include "docs/soap_error.h"
#include "tests/support/failure_of.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/temp_folder.h"

namespace maj::docs {
namespace {

using maj::testing::FailureOf;
using maj::testing::ReadFileText;
using maj::testing::ScopedEnvironment;
using maj::testing::TempFolder;

// A service on the loopback that serves `Wsdl` at /service.wsdl and answers every POST to /soap with
// `Answer`, recording the requests; MAJ_DOC_SERVICE_URL names it while it lives.
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
    environment_.Set(kWsdlLocationVariable, Url("/service.wsdl"));
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
  ScopedEnvironment environment_;
};

// Another toolkit's shape: another namespace, parameters named otherwise and unqualified, a named complex
// type, a SOAP 1.2 port listed first, a SOAPAction of another form. `extra` goes into the root element's
// attributes, `operations` after those of the port type and of the binding, `fichier` into GetFichier's
// sequence, `action` into its soapAction.
std::string Description(const CannedService& service, const std::string& extra = "", const std::string& operations = "",
                        const std::string& fichier = R"(<xsd:element name="numero" type="xsd:double"/>)",
                        const std::string& action = "urn:autre:doc#Fichier") {
  return R"(<definitions xmlns="http://schemas.xmlsoap.org/wsdl/" xmlns:xsd="http://www.w3.org/2001/XMLSchema"
    xmlns:soap="http://schemas.xmlsoap.org/wsdl/soap/" xmlns:soap12="http://schemas.xmlsoap.org/wsdl/soap12/"
    xmlns:a="urn:autre:doc" targetNamespace="urn:autre:doc" )" + extra + R"(>
  <types><xsd:schema targetNamespace="urn:autre:doc">
    <xsd:complexType name="Plage"><xsd:sequence><xsd:element name="ancienne" type="xsd:int"/>
      <xsd:element name="nouvelle" type="xsd:int"/><xsd:element name="compte" type="xsd:string"/>
      <xsd:element name="mode" type="xsd:short"/></xsd:sequence></xsd:complexType>
    <xsd:element name="GetListeNouveautes" type="a:Plage"/>
    <xsd:element name="GetFichier"><xsd:complexType><xsd:sequence>)" + fichier + R"(
      </xsd:sequence></xsd:complexType></xsd:element>
  </xsd:schema></types>
  <message name="ListeIn"><part name="body" element="a:GetListeNouveautes"/></message>
  <message name="FichierIn"><part name="body" element="a:GetFichier"/></message>
  <portType name="Docs"><operation name="GetListeNouveautes"><input message="a:ListeIn"/></operation>
    <operation name="GetFichier"><input message="a:FichierIn"/></operation>)" + operations + R"(</portType>
  <binding name="Docs12" type="a:Docs"><soap12:binding style="document"/>
    <operation name="GetListeNouveautes"><soap12:operation soapAction="soap12"/></operation></binding>
  <binding name="Docs11" type="a:Docs"><soap:binding style="document" transport="http://schemas.xmlsoap.org/soap/http"/>
    <operation name="GetListeNouveautes"><soap:operation soapAction="urn:autre:doc#Liste"/></operation>
    <operation name="GetFichier"><soap:operation soapAction=")" + action + R"("/></operation>)" + operations +
         R"(</binding>
  <service name="WsServiceDocumentation">
    <port name="P12" binding="a:Docs12"><soap12:address location=")" + service.Url("/wrong") + R"("/></port>
    <port name="P11" binding="a:Docs11"><soap:address location=")" + service.Url("/soap") + R"("/></port>
  </service></definitions>)";
}

const std::string kEnvelope = R"(<S:Envelope xmlns:S="http://schemas.xmlsoap.org/soap/envelope/" )"
                              R"(xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"><S:Header><x:Trace )"
                              R"(xmlns:x="urn:x"><x:Id>7</x:Id></x:Trace></S:Header><S:Body>)";
const std::string kClosing = "</S:Body></S:Envelope>";

// An answer whose response element holds `content`.
std::string Answer(const std::string& content) {
  return kEnvelope + "<a:Reponse xmlns:a=\"urn:autre:doc\">" + content + "</a:Reponse>" + kClosing;
}

std::string Fault(const std::string& text) {
  return kEnvelope + "<S:Fault><faultcode>S:Server</faultcode><faultstring>" + text + "</faultstring></S:Fault>" +
         kClosing;
}

std::string Repeated(const std::string& text, int count) {
  std::string repeated;
  for (int i = 0; i < count; ++i) repeated += text;
  return repeated;
}

// Listing, the refusal of an unknown identifier and a document of many pieces through the real service: the
// documentation list of tests/app. The identifier of a grid row is its whole part.
TEST(DocumentationServiceTest, TheIdentifierOfARowIsItsWholePart) {
  EXPECT_EQ(DocumentIdentifier(" 12.9 "), 12);
  EXPECT_NE(FailureOf([] { DocumentIdentifier("douze"); }), "");
}

// Each description either gives the request expected for GetFichier or is refused with a clear error.
TEST(SoapClientTest, DescriptionsOfEveryShapeGiveTheRequestOrAClearError) {
  CannedService service;
  std::string manyAttributes;
  for (int i = 0; i < 15000; ++i)
    manyAttributes += " a" + std::to_string(i) + "=\"v\" xmlns:p" + std::to_string(i) + "=\"u\"";
  const std::string manyOperations =
      Repeated(R"(<operation name="GetFichier"><input message="a:Absent"/></operation>)", 3000);
  struct Case {
    std::string wsdl;
    std::string expected;  // a part of the request body, or of the error
  };
  const std::vector<Case> cases = {
      {Description(service), R"(<m:GetFichier xmlns:m="urn:autre:doc"><numero>12</numero></m:GetFichier>)"},
      {Description(service, manyAttributes, manyOperations), "<numero>12</numero>"},
      {Description(service, "", "", R"(<xsd:element name="numero" type="xsd:double"/>)", "a&#13;&#10;X-Injected: 1"),
       "soapAction n'est pas un texte imprimable"},
      {Description(service, "", "",
                   R"(<xsd:element name="x&gt;&lt;numero&gt;99&lt;/numero&gt;&lt;y" type="xsd:double"/>)"),
       "n'est pas un nom XML"},
      {R"(<!DOCTYPE d [<!ENTITY e "x">]><definitions xmlns="http://schemas.xmlsoap.org/wsdl/">&e;</definitions>)",
       "(DTD)"},
      {"<html/>", "pas un document WSDL"},
      {R"(<definitions xmlns="http://schemas.xmlsoap.org/wsdl/"/>)", "pas de service WsServiceDocumentation"},
      {std::string(kMaxDescriptionBytes + 1, ' '), "dépasse"},
  };
  TempFolder saved;
  for (const Case& c : cases) {
    service.Wsdl = c.wsdl;
    service.Requests.clear();
    service.Answer = Answer("<r>QUJD</r>");
    const std::string failure = FailureOf([&] { DocumentationService().GetFichier(12, saved.str() + "/doc"); });
    const std::string request = service.Requests.empty() ? failure : service.Requests[0];
    EXPECT_NE(request.find(c.expected), std::string::npos) << c.wsdl.substr(0, 80) << " gave: " << request;
  }

  // The list's request in that shape.
  service.Wsdl = Description(service);
  service.Answer = Answer("<liste/>");
  DocumentationService().GetListeNouveautes(1, 2);
  EXPECT_NE(service.Requests.back().find(R"("urn:autre:doc#Liste" )"), std::string::npos);
  EXPECT_NE(service.Requests.back().find(
                "<ancienne>1</ancienne><nouvelle>2</nouvelle><compte>ORVANE</compte><mode>1</mode>"),
            std::string::npos)
      << service.Requests.back();
}

TEST(SoapClientTest, ListAnswersGiveTheirExactTextsOrAClearError) {
  CannedService service;
  service.Wsdl = Description(service);
  // A C1 control sequence (CSI) and a line break, then 3 MiB of text.
  const std::string hostile = "\xc2\x9b" "31m&#13;&#10;Faux: " + std::string(3 * 1024 * 1024, 'x');
  struct Case {
    int status;
    std::string answer;
    std::vector<std::string> texts;
    std::string error;  // a part of the error when not empty
  };
  const std::vector<Case> cases = {
      {200, Answer("<liste><item>1|Un &amp; deux|13.01</item><item>2|B|13.02</item></liste>"),
       {"1|Un & deux|13.01", "2|B|13.02"}, ""},
      {200, Answer("<liste>\n <s><![CDATA[3|<b>gras</b>|1]]></s>\n <s>4|&#233;t&#xE9;|2</s><s xsi:nil='1'/></liste>"),
       {"3|<b>gras</b>|1", "4|été|2", ""}, ""},
      {200, Answer("<a>5|direct|1</a><b>6|direct|2</b>"), {"5|direct|1", "6|direct|2"}, ""},
      {200, Answer("<liste xsi:nil=\"true\"/>"), {}, ""},
      {200, Answer("<liste>\n</liste>"), {}, ""},
      {200, Answer("<liste><s>7|a&#0;b|1</s></liste>"), {}, "pas du XML valide"},
      {200, Answer("<liste><s>8|<i>x</i>|1</s></liste>"), {}, "contient des éléments XML"},
      {500, Fault("Base <b>indisponible</b>"), {}, "erreur (HTTP 500) : Base indisponible [S:Server]"},
      {500, Fault(hostile), {}, "\\u009B31m\\x0D\\x0AFaux: xxx"},
      {404, "<html>Not Found</html>", {}, "statut HTTP 404"},
      {200, "plain text", {}, "pas du XML valide"},
      {200, "<html/>", {}, "pas une enveloppe SOAP 1.1"},
      {200, kEnvelope + kClosing, {}, "pas d'élément de réponse"},
      {200, "<!DOCTYPE l [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">]>" + Answer("<l><s>&b;</s></l>"),
       {}, "(DTD)"},
      {200, Answer("<l><s>" + std::string(kMaxListBytes, 'x') + "</s></l>"), {}, "dépasse"},
  };
  DocumentationService documentation;
  for (const Case& c : cases) {
    service.AnswerStatus = c.status;
    service.Answer = c.answer;
    std::vector<std::string> texts;
    const std::string failure = FailureOf([&] { texts = documentation.GetListeNouveautes(0, 1); });
    if (c.error.empty()) {
      EXPECT_EQ(failure, "") << c.answer;
      EXPECT_EQ(texts, c.texts) << c.answer;
    } else {
      EXPECT_NE(failure.find(c.error), std::string::npos) << c.answer.substr(0, 200) << " gave: " << failure;
      EXPECT_LT(failure.size(), 1000u);
    }
  }
}

TEST(SoapClientTest, DocumentAnswersGiveTheExactBytesOrAClearErrorAndKeepTheEarlierFile) {
  CannedService service;
  service.Wsdl = Description(service);
  const std::string bytes("\xff\x00\x80\xe2\x82\xac\x00", 7);  // base64 "/wCA4oKsAA=="
  struct Case {
    int status;
    std::string answer;
    std::string error;  // a part of the error; "" when the answer gives `bytes`
  };
  const std::vector<Case> cases = {
      {200, Answer("<a:donnees>/wCA&#13;\n4oK&#xD;\nsAA==</a:donnees>"), ""},
      {200, Answer("<r><![CDATA[/wCA4oKsAA==]]></r>"), ""},
      {200, Answer("<r>/wCA<!-- " + std::string(30000, 'x') + " -->4oKsAA==</r>"), ""},
      {200, Answer("<r>&#47;w&#x43;A4o<![CDATA[Ks]]>AA&#61;=</r><!-- after -->"), ""},
      {200, Answer("<r xsi:nil=\"true\"/>"), "aucun document"},
      {200, Answer(""), "aucun document"},
      {500, Fault("Base <b>indisponible</b>"), "erreur (HTTP 500) : Base indisponible"},
      {500, Fault("Trop " + std::string(3 * 1024 * 1024, 'x')), "erreur (HTTP 500) : Trop xxx"},
      {500, "Internal Server Error", "statut HTTP 500"},
      {404, Answer("<r>/wCA4oKsAA==</r>"), "statut HTTP 404"},
      {200, Answer("<r>/wCA4oKs*AA==</r>"), "pas du base64 valide"},
      {200, Answer("<r>/wCA4oKsAA==</r><r>QUJD</r>"), "plusieurs résultats"},
      {200, Answer("<r>/wCA<b>4oKsAA==</b></r>"), "contient des éléments XML"},
      {200, kEnvelope + "<a:Reponse xmlns:a=\"urn:autre:doc\"><r>/wCA4oKs", "avant la fin du document"},
      {200, Answer("<r>/wCA<!-- " + std::string(100000, 'x') + " -->4oKsAA==</r>"), "balisage"},
  };
  TempFolder saved;
  const std::string path = saved.WriteFile("doc.pdf", "earlier");
  DocumentationService documentation;
  for (const Case& c : cases) {
    service.AnswerStatus = c.status;
    service.Answer = c.answer;
    const std::string failure = FailureOf([&] { documentation.GetFichier(12, path); });
    if (c.error.empty()) {
      EXPECT_EQ(failure, "") << c.answer.substr(0, 200);
      EXPECT_EQ(ReadFileText(path), bytes) << c.answer.substr(0, 200);
      saved.WriteFile("doc.pdf", "earlier");
    } else {
      EXPECT_NE(failure.find(c.error), std::string::npos) << c.answer.substr(0, 200) << " gave: " << failure;
      EXPECT_LT(failure.size(), 1000u);
      EXPECT_EQ(ReadFileText(path), "earlier") << c.answer.substr(0, 200);
    }
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(saved.path()), {}), 1) << "no partial file is left";
  EXPECT_NE(service.Requests.back().find(R"("urn:autre:doc#Fichier" )"), std::string::npos);
}

TEST(SaveNameTest, TheLabelBecomesAFileNameInTheDocumentsFolder) {
  const std::pair<std::string, std::string> cases[] = {
      {"Nouveautés de la version", "Nouveautés de la version"},
      {"/etc/passwd", "passwd"},
      {"..\\..\\Windows\\win.ini", "win.ini"},
      {"a\x1b[31m\tb\xc2\x9b" "c\x7f", "a[31mbc"},
      {" .bashrc. ", "bashrc"},
      {"..", kDefaultDocumentName},
      {"dossier/", kDefaultDocumentName},
      {std::string(198, 'a') + "éé", std::string(198, 'a') + "é"},
  };
  for (const auto& [label, name] : cases)
    EXPECT_EQ(ProposedDocumentPath(label, "/home/u/Documents"), "/home/u/Documents/" + name) << label;
}

}  // namespace
}  // namespace maj::docs
