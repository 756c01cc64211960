#include "tools/doc-service/service_wsdl.h"

namespace maj::docservice {
namespace {

constexpr char kHead[] = R"(<?xml version="1.0" encoding="utf-8"?>
<wsdl:definitions xmlns:soap="http://schemas.xmlsoap.org/wsdl/soap/" xmlns:tns="http://tempuri.org/" xmlns:s="http://www.w3.org/2001/XMLSchema" targetNamespace="http://tempuri.org/" xmlns:wsdl="http://schemas.xmlsoap.org/wsdl/">
  <wsdl:types>
    <s:schema elementFormDefault="qualified" targetNamespace="http://tempuri.org/">
      <s:element name="GetListeNouveautes">
        <s:complexType>
          <s:sequence>
            <s:element minOccurs="1" maxOccurs="1" name="lOld" type="s:int" />
            <s:element minOccurs="1" maxOccurs="1" name="lNew" type="s:int" />
            <s:element minOccurs="0" maxOccurs="1" name="strUtilisateur" type="s:string" />
            <s:element minOccurs="1" maxOccurs="1" name="iMode" type="s:short" />
          </s:sequence>
        </s:complexType>
      </s:element>
      <s:element name="GetListeNouveautesResponse">
        <s:complexType>
          <s:sequence>
            <s:element minOccurs="0" maxOccurs="1" name="GetListeNouveautesResult" type="tns:ArrayOfString" />
          </s:sequence>
        </s:complexType>
      </s:element>
      <s:complexType name="ArrayOfString">
        <s:sequence>
          <s:element minOccurs="0" maxOccurs="unbounded" name="string" nillable="true" type="s:string" />
        </s:sequence>
      </s:complexType>
      <s:element name="GetFichier">
        <s:complexType>
          <s:sequence>
            <s:element minOccurs="1" maxOccurs="1" name="dIdentifiant" type="s:double" />
          </s:sequence>
        </s:complexType>
      </s:element>
      <s:element name="GetFichierResponse">
        <s:complexType>
          <s:sequence>
            <s:element minOccurs="0" maxOccurs="1" name="GetFichierResult" type="s:base64Binary" />
          </s:sequence>
        </s:complexType>
      </s:element>
    </s:schema>
  </wsdl:types>
  <wsdl:message name="GetListeNouveautesSoapIn">
    <wsdl:part name="parameters" element="tns:GetListeNouveautes" />
  </wsdl:message>
  <wsdl:message name="GetListeNouveautesSoapOut">
    <wsdl:part name="parameters" element="tns:GetListeNouveautesResponse" />
  </wsdl:message>
  <wsdl:message name="GetFichierSoapIn">
    <wsdl:part name="parameters" element="tns:GetFichier" />
  </wsdl:message>
  <wsdl:message name="GetFichierSoapOut">
    <wsdl:part name="parameters" element="tns:GetFichierResponse" />
  </wsdl:message>
  <wsdl:portType name="WsServiceDocumentationSoap">
    <wsdl:operation name="GetListeNouveautes">
      <wsdl:input message="tns:GetListeNouveautesSoapIn" />
      <wsdl:output message="tns:GetListeNouveautesSoapOut" />
    </wsdl:operation>
    <wsdl:operation name="GetFichier">
      <wsdl:input message="tns:GetFichierSoapIn" />
      <wsdl:output message="tns:GetFichierSoapOut" />
    </wsdl:operation>
  </wsdl:portType>
)";

std::string Binding(const char* name, const char* prefix) {
  std::string text = std::string("  <wsdl:binding name=\"") + name + "\" type=\"tns:WsServiceDocumentationSoap\">\n" +
                     "    <" + prefix + ":binding transport=\"http://schemas.xmlsoap.org/soap/http\" />\n";
  for (const char* operation : {"GetListeNouveautes", "GetFichier"}) {
    text += std::string("    <wsdl:operation name=\"") + operation + "\">\n" + "      <" + prefix +
            ":operation soapAction=\"http://tempuri.org/" + operation + "\" style=\"document\" />\n" +
            "      <wsdl:input><" + prefix + ":body use=\"literal\" /></wsdl:input>\n" +
            "      <wsdl:output><" + prefix + ":body use=\"literal\" /></wsdl:output>\n" + "    </wsdl:operation>\n";
  }
  return text + "  </wsdl:binding>\n";
}

}  // namespace

std::string ServiceWsdl(const std::string& address) {
  return kHead + Binding("WsServiceDocumentationSoap", "soap") +
         "  <wsdl:service name=\"WsServiceDocumentation\">\n"
         "    <wsdl:port name=\"WsServiceDocumentationSoap\" binding=\"tns:WsServiceDocumentationSoap\">\n"
         "      <soap:address location=\"" + address + "\" />\n"
         "    </wsdl:port>\n"
         "  </wsdl:service>\n"
         "</wsdl:definitions>\n";
}

}  // namespace maj::docservice
