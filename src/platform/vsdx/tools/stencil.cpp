// tw_stencil FILE: writes the project's stencil "Tarnwick.vssx" from the same
// master definitions the in-process application uses, with the document
// properties Visio writes into its own stencils.
#include <cstdio>
#include <exception>
#include <string>

#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"

namespace {

// A fixed date keeps the build reproducible.
constexpr const char* kDate = "2026-01-01T00:00:00Z";

std::string coreXml() {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
             "<cp:coreProperties "
             "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
             "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
             "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
             "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
             "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
             "<dc:title>Tarnwick</dc:title><dc:subject>Сетевой план: события и связи</dc:subject>"
             "<dc:creator>tarnwick</dc:creator><dcterms:created xsi:type=\"dcterms:W3CDTF\">") +
         kDate + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + kDate +
         "</dcterms:modified><dc:language>ru-RU</dc:language></cp:coreProperties>";
}

std::string appXml() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
         "<Properties "
         "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/extended-properties\" "
         "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
         "<Template></Template><Application>tarnwick</Application><ScaleCrop>false</ScaleCrop>"
         "<HeadingPairs><vt:vector size=\"2\" "
         "baseType=\"variant\"><vt:variant><vt:lpstr>Masters</vt:lpstr></vt:variant>"
         "<vt:variant><vt:i4>2</vt:i4></vt:variant></vt:vector></HeadingPairs>"
         "<TitlesOfParts><vt:vector size=\"2\" baseType=\"lpstr\"><vt:lpstr>" +
         std::string(tw::drawapp::EventMasterNameU) + "</vt:lpstr><vt:lpstr>" +
         std::string(tw::drawapp::ConnectorMasterNameU) +
         "</vt:lpstr></vt:vector></TitlesOfParts><LinksUpToDate>false</"
         "LinksUpToDate><SharedDoc>false</SharedDoc>"
         "<HyperlinksChanged>false</HyperlinksChanged><AppVersion>16.0000</AppVersion></"
         "Properties>";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tw_stencil FILE\n");
    return 2;
  }
  try {
    tw::vsdx::Package pkg;
    tw::drawapp::writeStencil(pkg);
    pkg.setPart("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml",
                coreXml());
    pkg.setPart("/docProps/app.xml",
                "application/vnd.openxmlformats-officedocument.extended-properties+xml", appXml());
    pkg.addRelationship(
        "/",
        "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
        "/docProps/core.xml");
    pkg.addRelationship(
        "/",
        "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties",
        "/docProps/app.xml");
    pkg.save(argv[1]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tw_stencil: %s: %s\n", tw::errorKind(e).c_str(), e.what());
    return 1;
  }
}
