// The project's stencil "Tarnwick.vss": the event master "Событие" and the
// connector master "Velmar Connector". Lengths are inches (Visio's internal
// unit); the event is 40 x 20 mm.
#include "stencil.h"

namespace tw::drawapp {

namespace {
constexpr const char* kHead = "<?xml version='1.0' encoding='utf-8' ?>\n";
constexpr const char* kNs =
    " xmlns='http://schemas.microsoft.com/office/visio/2012/main'"
    " xmlns:r='http://schemas.openxmlformats.org/officeDocument/2006/relationships'"
    " xml:space='preserve'";

// An event: a rectangle showing its number (Shape Data row 0) as its text;
// connection point 1 on the right edge, 2 on the left, 3 on top, 4 below;
// eight Shape Data rows with empty string values.
constexpr const char* kEventShape =
    "<Shape ID='5' NameU='Событие' Name='Событие' Type='Shape' LineStyle='0' FillStyle='0' "
    "TextStyle='0'>"
    "<Cell N='PinX' V='0.7874015748031497' F='Width*0.5'/>"
    "<Cell N='PinY' V='0.3937007874015748' F='Height*0.5'/>"
    "<Cell N='Width' V='1.5748031496062993' U='MM'/>"
    "<Cell N='Height' V='0.7874015748031497' U='MM'/>"
    "<Cell N='LocPinX' V='0.7874015748031497' F='Width*0.5'/>"
    "<Cell N='LocPinY' V='0.3937007874015748' F='Height*0.5'/><Cell N='Angle' V='0'/>"
    "<Cell N='FlipX' V='0'/><Cell N='FlipY' V='0'/><Cell N='ResizeMode' V='0'/>"
    "<Cell N='LineWeight' V='0.01388888888888889' U='PT'/><Cell N='LineColor' V='#000000'/>"
    "<Cell N='LinePattern' V='1'/><Cell N='FillForegnd' V='#ffffff'/>"
    "<Cell N='FillBkgnd' V='#ffffff'/><Cell N='FillPattern' V='1'/><Cell N='ObjType' V='1'/>"
    "<Cell N='VerticalAlign' V='1'/><Cell N='TxtPinX' V='0.7874015748031497' F='Width*0.5'/>"
    "<Cell N='TxtPinY' V='0.3937007874015748' F='Height*0.5'/>"
    "<Cell N='TxtWidth' V='1.5748031496062993' F='Width*1'/>"
    "<Cell N='TxtHeight' V='0.7874015748031497' F='Height*1'/>"
    "<Cell N='TxtLocPinX' V='0.7874015748031497' F='TxtWidth*0.5'/>"
    "<Cell N='TxtLocPinY' V='0.3937007874015748' F='TxtHeight*0.5'/><Cell N='TxtAngle' V='0'/>"
    "<Section N='Character'>"
    "<Row IX='0'><Cell N='Font' V='Arial'/><Cell N='Color' V='#000000'/><Cell N='Style' V='0'/>"
    "<Cell N='Size' V='0.1388888888888889' U='PT'/></Row>"
    "</Section>"
    "<Section N='Paragraph'>"
    "<Row IX='0'><Cell N='HorzAlign' V='1'/></Row>"
    "</Section>"
    "<Section N='Connection'>"
    "<Row T='Connection' IX='0'><Cell N='X' V='1.5748031496062993' F='Width*1'/>"
    "<Cell N='Y' V='0.3937007874015748' F='Height*0.5'/><Cell N='DirX' V='0'/>"
    "<Cell N='DirY' V='0'/><Cell N='Type' V='0'/><Cell N='AutoGen' V='0'/>"
    "<Cell N='Prompt' V='' F='No Formula'/></Row>"
    "<Row T='Connection' IX='1'><Cell N='X' V='0' F='Width*0'/>"
    "<Cell N='Y' V='0.3937007874015748' F='Height*0.5'/><Cell N='DirX' V='0'/>"
    "<Cell N='DirY' V='0'/><Cell N='Type' V='0'/><Cell N='AutoGen' V='0'/>"
    "<Cell N='Prompt' V='' F='No Formula'/></Row>"
    "<Row T='Connection' IX='2'><Cell N='X' V='0.7874015748031497' F='Width*0.5'/>"
    "<Cell N='Y' V='0.7874015748031497' F='Height*1'/><Cell N='DirX' V='0'/>"
    "<Cell N='DirY' V='0'/><Cell N='Type' V='0'/><Cell N='AutoGen' V='0'/>"
    "<Cell N='Prompt' V='' F='No Formula'/></Row>"
    "<Row T='Connection' IX='3'><Cell N='X' V='0.7874015748031497' F='Width*0.5'/>"
    "<Cell N='Y' V='0' F='Height*0'/><Cell N='DirX' V='0'/><Cell N='DirY' V='0'/>"
    "<Cell N='Type' V='0'/><Cell N='AutoGen' V='0'/><Cell N='Prompt' V='' F='No Formula'/></Row>"
    "</Section>"
    "<Section N='Property'>"
    "<Row N='Row_1'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Номер'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "<Row N='Row_2'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Подразделение'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "<Row N='Row_3'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Код'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "<Row N='Row_4'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Наименование'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "<Row N='Row_5'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Процент'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "<Row N='Row_6'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Доп. информация'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "<Row N='Row_7'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Плановая дата'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "<Row N='Row_8'><Cell N='Value' V='' U='STR'/><Cell N='Prompt' V='' F='No Formula'/>"
    "<Cell N='Label' V='Фактическая дата'/><Cell N='Format' V='' F='No Formula'/>"
    "<Cell N='SortKey' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='Invisible' V='0'/>"
    "<Cell N='Verify' V='0'/><Cell N='Calendar' V='0'/></Row>"
    "</Section>"
    "<Section N='Field'>"
    "<Row IX='0'><Cell N='Value' V='' U='STR' F='Prop.Row_1'/><Cell N='EditMode' V='0'/>"
    "<Cell N='Format' V='' F='No Formula'/><Cell N='Type' V='0'/><Cell N='UICat' V='0'/>"
    "<Cell N='UICod' V='0'/><Cell N='UIFmt' V='0'/><Cell N='ObjectKind' V='0'/></Row>"
    "</Section>"
    "<Section N='Geometry' IX='0'><Cell N='NoFill' V='0'/><Cell N='NoLine' V='0'/>"
    "<Cell N='NoShow' V='0'/><Cell N='NoSnap' V='0'/>"
    "<Row T='MoveTo' IX='1'><Cell N='X' V='0' F='Width*0'/><Cell N='Y' V='0' F='Height*0'/></Row>"
    "<Row T='LineTo' IX='2'><Cell N='X' V='1.5748031496062993' F='Width*1'/>"
    "<Cell N='Y' V='0' F='Height*0'/></Row>"
    "<Row T='LineTo' IX='3'><Cell N='X' V='1.5748031496062993' F='Width*1'/>"
    "<Cell N='Y' V='0.7874015748031497' F='Height*1'/></Row>"
    "<Row T='LineTo' IX='4'><Cell N='X' V='0' F='Width*0'/>"
    "<Cell N='Y' V='0.7874015748031497' F='Height*1'/></Row>"
    "<Row T='LineTo' IX='5'><Cell N='X' V='0' F='Width*0'/><Cell N='Y' V='0' F='Height*0'/></Row>"
    "</Section>"
    "<Text><cp IX='0'/><pp IX='0'/><fld IX='0'></fld></Text>"
    "</Shape>";

// A 1-D dynamic connector with an arrow at its end.
constexpr const char* kConnectorShape =
    "<Shape ID='5' NameU='Velmar Connector' Name='Velmar Connector' Type='Shape' LineStyle='0' "
    "FillStyle='0' TextStyle='0'>"
    "<Cell N='PinX' V='0.5' F='GUARD((BeginX+EndX)/2)'/>"
    "<Cell N='PinY' V='0.5' F='GUARD((BeginY+EndY)/2)'/>"
    "<Cell N='Width' V='1' F='GUARD(EndX-BeginX)'/>"
    "<Cell N='Height' V='0' F='GUARD(EndY-BeginY)'/>"
    "<Cell N='LocPinX' V='0.5' F='GUARD(Width*0.5)'/>"
    "<Cell N='LocPinY' V='0' F='GUARD(Height*0.5)'/><Cell N='Angle' V='0' F='GUARD(0DA)'/>"
    "<Cell N='FlipX' V='0' F='GUARD(FALSE)'/><Cell N='FlipY' V='0' F='GUARD(FALSE)'/>"
    "<Cell N='ResizeMode' V='0'/><Cell N='BeginX' V='0'/><Cell N='BeginY' V='0.5'/>"
    "<Cell N='EndX' V='1'/><Cell N='EndY' V='0.5'/><Cell N='ObjType' V='2'/>"
    "<Cell N='GlueType' V='2'/><Cell N='NoAlignBox' V='1'/><Cell N='DynFeedback' V='2'/>"
    "<Cell N='ShapeRouteStyle' V='0'/><Cell N='ConLineRouteExt' V='0'/>"
    "<Cell N='LineWeight' V='0.01388888888888889' U='PT'/><Cell N='LineColor' V='#000000'/>"
    "<Cell N='LinePattern' V='1'/><Cell N='BeginArrow' V='0'/><Cell N='EndArrow' V='4'/>"
    "<Cell N='BeginArrowSize' V='2'/><Cell N='EndArrowSize' V='2'/>"
    "<Section N='Geometry' IX='0'><Cell N='NoFill' V='1'/><Cell N='NoLine' V='0'/>"
    "<Cell N='NoShow' V='0'/><Cell N='NoSnap' V='0'/>"
    "<Row T='MoveTo' IX='1'><Cell N='X' V='0'/><Cell N='Y' V='0'/></Row>"
    "<Row T='LineTo' IX='2'><Cell N='X' V='1' F='Width'/><Cell N='Y' V='0' F='Height'/></Row>"
    "</Section>"
    "</Shape>";

constexpr const char* kMasterEntries =
    "<Master ID='1' NameU='Событие' IsCustomNameU='1' Name='Событие' IsCustomName='1' "
    "Prompt='Событие плана' IconSize='1' AlignName='2' MatchByName='0' IconUpdate='1' "
    "UniqueID='{6E2C7A10-5B41-4C8E-9F3A-1D2B3C4D5E61}' "
    "BaseID='{6E2C7A10-5B41-4C8E-9F3A-1D2B3C4D5E60}' PatternFlags='0' Hidden='0' MasterType='2'>"
    "<PageSheet LineStyle='0' FillStyle='0' TextStyle='0'>"
    "<Cell N='PageWidth' V='1.5748031496062993'/><Cell N='PageHeight' V='0.7874015748031497'/>"
    "<Cell N='PageScale' V='1' U='IN'/><Cell N='DrawingScale' V='1' U='IN'/>"
    "<Cell N='DrawingSizeType' V='0'/><Cell N='DrawingScaleType' V='0'/></PageSheet>"
    "<Rel r:id='rId1'/>"
    "</Master>"
    "<Master ID='2' NameU='Velmar Connector' IsCustomNameU='1' Name='Velmar Connector' "
    "IsCustomName='1' Prompt='Связь от предшествующего события' IconSize='1' AlignName='2' "
    "MatchByName='0' IconUpdate='1' UniqueID='{6E2C7A10-5B41-4C8E-9F3A-1D2B3C4D5E71}' "
    "BaseID='{6E2C7A10-5B41-4C8E-9F3A-1D2B3C4D5E70}' PatternFlags='0' Hidden='0' MasterType='2'>"
    "<PageSheet LineStyle='0' FillStyle='0' TextStyle='0'><Cell N='PageWidth' V='1'/>"
    "<Cell N='PageHeight' V='1'/><Cell N='PageScale' V='1' U='IN'/>"
    "<Cell N='DrawingScale' V='1' U='IN'/><Cell N='DrawingSizeType' V='0'/>"
    "<Cell N='DrawingScaleType' V='0'/></PageSheet>"
    "<Rel r:id='rId2'/>"
    "</Master>";

std::string masterContents(const char* shape) {
  return std::string(kHead) + "<MasterContents" + kNs + "><Shapes>" + shape +
         "</Shapes></MasterContents>";
}

}  // namespace

std::string documentXml() {
  return std::string(kHead) + "<VisioDocument" + kNs + ">" +
         "<DocumentSettings TopPage='0' DefaultTextStyle='0' DefaultLineStyle='0' "
         "DefaultFillStyle='0' "
         "DefaultGuideStyle='0'><GlueSettings>9</GlueSettings><SnapSettings>65847</"
         "SnapSettings><SnapExtensions>34</SnapExtensions><SnapAngles/><DynamicGridEnabled>1</"
         "DynamicGridEnabled><ProtectStyles>0</ProtectStyles><ProtectShapes>0</"
         "ProtectShapes><ProtectMasters>0</ProtectMasters><ProtectBkgnds>0</ProtectBkgnds></"
         "DocumentSettings>"
         "<Colors><ColorEntry IX='0' RGB='#000000'/><ColorEntry IX='1' "
         "RGB='#FFFFFF'/></Colors><FaceNames/><StyleSheets>"
         "<StyleSheet ID='0' NameU='No Style' IsCustomNameU='1' Name='No Style' IsCustomName='1'>"
         "<Cell N='EnableLineProps' V='1'/><Cell N='EnableFillProps' V='1'/>"
         "<Cell N='EnableTextProps' V='1'/><Cell N='HideForApply' V='0'/>"
         "<Cell N='LineWeight' V='0.01041666666666667' U='PT'/><Cell N='LineColor' V='0'/>"
         "<Cell N='LinePattern' V='1'/><Cell N='Rounding' V='0'/><Cell N='EndArrowSize' V='2'/>"
         "<Cell N='BeginArrow' V='0'/><Cell N='EndArrow' V='0'/><Cell N='LineCap' V='0'/>"
         "<Cell N='BeginArrowSize' V='2'/><Cell N='LineColorTrans' V='0'/>"
         "<Cell N='FillForegnd' V='1'/><Cell N='FillBkgnd' V='0'/><Cell N='FillPattern' V='1'/>"
         "<Cell N='ShdwForegnd' V='0'/><Cell N='ShdwPattern' V='0'/>"
         "<Cell N='FillForegndTrans' V='0'/><Cell N='FillBkgndTrans' V='0'/>"
         "<Cell N='LeftMargin' V='0.05555555555555555' U='PT'/>"
         "<Cell N='RightMargin' V='0.05555555555555555' U='PT'/>"
         "<Cell N='TopMargin' V='0.05555555555555555' U='PT'/>"
         "<Cell N='BottomMargin' V='0.05555555555555555' U='PT'/><Cell N='VerticalAlign' V='1'/>"
         "<Cell N='TextBkgnd' V='0'/><Cell N='DefaultTabStop' V='0.5'/><Cell N='TextDirection' "
         "V='0'/>"
         "<Section N='Character'>"
         "<Row IX='0'><Cell N='Font' V='Arial'/><Cell N='Color' V='0'/><Cell N='Style' V='0'/>"
         "<Cell N='Case' V='0'/><Cell N='Pos' V='0'/><Cell N='FontScale' V='1'/>"
         "<Cell N='Size' V='0.1666666666666667' U='PT'/></Row>"
         "</Section>"
         "<Section N='Paragraph'>"
         "<Row IX='0'><Cell N='IndFirst' V='0'/><Cell N='IndLeft' V='0'/><Cell N='IndRight' V='0'/>"
         "<Cell N='SpLine' V='-1.2'/><Cell N='SpBefore' V='0'/><Cell N='SpAfter' V='0'/>"
         "<Cell N='HorzAlign' V='1'/></Row>"
         "</Section></StyleSheet></StyleSheets>"
         "<DocumentSheet NameU='TheDoc' IsCustomNameU='1' Name='TheDoc' IsCustomName='1' "
         "LineStyle='0' FillStyle='0' TextStyle='0'>"
         "<Cell N='OutputFormat' V='0'/><Cell N='LockPreview' V='0'/><Cell N='AddMarkup' V='0'/>"
         "<Cell N='ViewMarkup' V='0'/><Cell N='PreviewQuality' V='0'/><Cell N='PreviewScope' "
         "V='0'/>"
         "<Cell N='DocLangID' V='ru-RU'/></DocumentSheet>" +
         "</VisioDocument>";
}

std::string stencilMastersXml() {
  return std::string(kHead) + "<Masters" + kNs + ">" + kMasterEntries + "</Masters>";
}

std::vector<std::string> stencilMasterParts() {
  return {masterContents(kEventShape), masterContents(kConnectorShape)};
}

}  // namespace tw::drawapp
