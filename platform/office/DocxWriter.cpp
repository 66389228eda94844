#include "platform/office/DocxWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>

#include "platform/office/ZipWriter.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/CodePage.h"
#include "platform/sys/Files.h"
#include "platform/sys/Shell.h"

namespace kiv::office {

namespace {

constexpr char kXmlDeclaration[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr char kWordNamespace[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
// The highest number of "<name>(n)" tried before giving up.
constexpr int kMaxNameTries = 9999;

// UTF-8 text as XML character data or attribute value. Drops what XML 1.0
// cannot hold: C0 controls other than tab, line feed and carriage return.
std::string Escape(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char ch : utf8) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (c >= 0x20 || ch == '\t' || ch == '\n' || ch == '\r') out.push_back(ch);
    }
  }
  return out;
}

// GBK program text as escaped UTF-8.
std::string Text(const std::string& gbk) { return Escape(GbkToUtf8(gbk)); }

// Lengths as the file states them, kept within what Word accepts (22
// inches); a value that is not a number counts as 0.
long Twips(float pt) {
  double twips = static_cast<double>(pt) * 20.0;
  if (!std::isfinite(twips)) return 0;
  return std::lround(std::clamp(twips, -31680.0, 31680.0));
}

// Font sizes: 1 to 1638 points; not a number gives the default 10.5.
long HalfPoints(float pt) {
  double half = static_cast<double>(pt) * 2.0;
  if (!std::isfinite(half)) return 21;
  return std::lround(std::clamp(half, 2.0, 3276.0));
}

const char* AlignmentValue(Alignment alignment) {
  switch (alignment) {
    case Alignment::kCenter:
      return "center";
    case Alignment::kRight:
      return "right";
    case Alignment::kJustify:
      return "both";
    case Alignment::kLeft:
      break;
  }
  return "left";
}

const char* TabValue(TabKind kind) {
  switch (kind) {
    case TabKind::kCenter:
      return "center";
    case TabKind::kRight:
      return "right";
    case TabKind::kDecimal:
      return "decimal";
    case TabKind::kLeft:
      break;
  }
  return "left";
}

const char* VerticalValue(VerticalAlignment alignment) {
  switch (alignment) {
    case VerticalAlignment::kCenter:
      return "center";
    case VerticalAlignment::kBottom:
      return "bottom";
    case VerticalAlignment::kTop:
      break;
  }
  return "top";
}

void WriteRunProperties(const RunFormat& format, std::string* xml) {
  *xml += "<w:rPr>";
  if (!format.fontName.empty()) {
    const std::string face = Text(format.fontName);
    *xml += "<w:rFonts w:ascii=\"" + face + "\" w:hAnsi=\"" + face + "\" w:eastAsia=\"" + face +
            "\" w:cs=\"" + face + "\"/>";
  }
  if (format.bold) *xml += "<w:b/><w:bCs/>";
  const std::string size = std::to_string(HalfPoints(format.sizePt));
  *xml += "<w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size + "\"/>";
  if (format.underline) *xml += "<w:u w:val=\"single\"/>";
  *xml += "</w:rPr>";
}

// One run; tabs and line breaks within its text become their own elements.
void WriteRun(const Run& run, std::string* xml) {
  *xml += "<w:r>";
  WriteRunProperties(run.format, xml);
  const std::string utf8 = GbkToUtf8(run.text);
  std::string piece;
  auto flush = [&] {
    if (!piece.empty()) *xml += "<w:t xml:space=\"preserve\">" + Escape(piece) + "</w:t>";
    piece.clear();
  };
  for (size_t i = 0; i < utf8.size(); ++i) {
    char ch = utf8[i];
    if (ch == '\t') {
      flush();
      *xml += "<w:tab/>";
    } else if (ch == '\n' || ch == '\r') {
      flush();
      *xml += "<w:br/>";
      if (ch == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    } else {
      piece.push_back(ch);
    }
  }
  flush();
  *xml += "</w:r>";
}

void WriteParagraph(const Paragraph& paragraph, std::string* xml) {
  *xml += "<w:p><w:pPr>";
  if (!paragraph.format.tabs.empty()) {
    *xml += "<w:tabs>";
    for (const TabStop& tab : paragraph.format.tabs) {
      *xml += "<w:tab w:val=\"" + std::string(TabValue(tab.kind)) + "\" w:pos=\"" +
              std::to_string(Twips(tab.positionPt)) + "\"/>";
    }
    *xml += "</w:tabs>";
  }
  *xml +=
      "<w:jc w:val=\"" + std::string(AlignmentValue(paragraph.format.alignment)) + "\"/></w:pPr>";
  for (const Run& run : paragraph.runs) {
    if (!run.text.empty()) WriteRun(run, xml);
  }
  *xml += "</w:p>";
}

void WriteBorder(const char* side, bool present, int widthEighthPt, std::string* xml) {
  if (present) {
    *xml += std::string("<w:") + side + " w:val=\"single\" w:sz=\"" +
            std::to_string(widthEighthPt) + "\" w:space=\"0\" w:color=\"000000\"/>";
  } else {
    *xml += std::string("<w:") + side + " w:val=\"nil\"/>";
  }
}

void WriteTable(const Table& table, std::string* xml) {
  long totalWidth = 0;
  for (int c = 0; c < table.Columns(); ++c) totalWidth += Twips(table.ColumnWidth(c));
  const TableBorders& borders = table.Borders();
  int width =
      borders.widthEighthPt < 2 ? 2 : (borders.widthEighthPt > 96 ? 96 : borders.widthEighthPt);

  *xml += "<w:tbl><w:tblPr><w:tblW w:w=\"" + std::to_string(totalWidth) + "\" w:type=\"dxa\"/>";
  *xml += "<w:jc w:val=\"" + std::string(AlignmentValue(table.alignment)) + "\"/>";
  *xml += "<w:tblBorders>";
  WriteBorder("top", borders.outside, width, xml);
  WriteBorder("left", borders.outside, width, xml);
  WriteBorder("bottom", borders.outside, width, xml);
  WriteBorder("right", borders.outside, width, xml);
  WriteBorder("insideH", borders.inside, width, xml);
  WriteBorder("insideV", borders.inside, width, xml);
  *xml += "</w:tblBorders><w:tblLayout w:type=\"fixed\"/></w:tblPr><w:tblGrid>";
  for (int c = 0; c < table.Columns(); ++c) {
    *xml += "<w:gridCol w:w=\"" + std::to_string(Twips(table.ColumnWidth(c))) + "\"/>";
  }
  *xml += "</w:tblGrid>";

  for (int r = 0; r < table.Rows(); ++r) {
    *xml += "<w:tr>";
    if (table.RowHeightRule(r) != HeightRule::kAuto) {
      *xml += "<w:trPr><w:trHeight w:val=\"" + std::to_string(Twips(table.RowHeight(r))) +
              "\" w:hRule=\"" +
              (table.RowHeightRule(r) == HeightRule::kExact ? "exact" : "atLeast") +
              "\"/></w:trPr>";
    }
    for (int c = 0; c < table.Columns();) {
      const Table::Span span = table.SpanOf(r, c);
      // One cell element per row of a merge, spanning its columns; the
      // rows below the first continue the first's vertical merge.
      long cellWidth = 0;
      for (int k = 0; k < span.columns; ++k) cellWidth += Twips(table.ColumnWidth(span.column + k));
      const Cell& cell = *table.At(r, c);
      *xml += "<w:tc><w:tcPr><w:tcW w:w=\"" + std::to_string(cellWidth) + "\" w:type=\"dxa\"/>";
      if (span.columns > 1) *xml += "<w:gridSpan w:val=\"" + std::to_string(span.columns) + "\"/>";
      if (span.rows > 1) *xml += r == span.row ? "<w:vMerge w:val=\"restart\"/>" : "<w:vMerge/>";
      *xml += "<w:vAlign w:val=\"" + std::string(VerticalValue(cell.verticalAlignment)) +
              "\"/></w:tcPr>";
      if (r == span.row) {
        for (const Paragraph& paragraph : cell.Paragraphs()) WriteParagraph(paragraph, xml);
      } else {
        *xml += "<w:p/>";  // a cell must hold a paragraph
      }
      *xml += "</w:tc>";
      c = span.column + span.columns;
    }
    *xml += "</w:tr>";
  }
  *xml += "</w:tbl>";
}

std::string ContentTypesXml() {
  return std::string(kXmlDeclaration) +
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
         "<Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
         "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
         "<Override PartName=\"/word/document.xml\" "
         "ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
         "<Override PartName=\"/word/styles.xml\" "
         "ContentType=\"application/"
         "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
         "</Types>";
}

std::string PackageRelationshipsXml() {
  return std::string(kXmlDeclaration) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
         "officeDocument\" "
         "Target=\"word/document.xml\"/></Relationships>";
}

std::string DocumentRelationshipsXml() {
  return std::string(kXmlDeclaration) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
         "Target=\"styles.xml\"/></Relationships>";
}

// Body text defaults to the Song face at 10.5 points, as a Chinese Word
// document does.
std::string StylesXml() {
  return std::string(kXmlDeclaration) + "<w:styles xmlns:w=\"" + kWordNamespace +
         "\"><w:docDefaults><w:rPrDefault><w:rPr>"
         "<w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\" w:eastAsia=\"" +
         std::string(u8"宋体") +
         "\" w:cs=\"Times New Roman\"/>"
         "<w:sz w:val=\"21\"/><w:szCs w:val=\"21\"/><w:lang w:val=\"en-US\" w:eastAsia=\"zh-CN\"/>"
         "</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr/></w:pPrDefault></w:docDefaults>"
         "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
         "w:val=\"Normal\"/>"
         "<w:qFormat/></w:style>"
         "<w:style w:type=\"table\" w:default=\"1\" w:styleId=\"TableNormal\"><w:name "
         "w:val=\"Normal Table\"/>"
         "<w:tblPr><w:tblInd w:w=\"0\" w:type=\"dxa\"/><w:tblCellMar>"
         "<w:top w:w=\"0\" w:type=\"dxa\"/><w:left w:w=\"108\" w:type=\"dxa\"/>"
         "<w:bottom w:w=\"0\" w:type=\"dxa\"/><w:right w:w=\"108\" w:type=\"dxa\"/>"
         "</w:tblCellMar></w:tblPr></w:style>"
         "</w:styles>";
}

std::string SafeName(const std::string& gbk) {
  std::string name;
  for (size_t i = 0; i < gbk.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(gbk[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < gbk.size()) {
      // A GBK pair: its second byte may look like '\' and is kept with it.
      name.push_back(gbk[i]);
      name.push_back(gbk[++i]);
    } else if (c == '/' || c == '\\' || c == 0) {
      name.push_back('_');
    } else {
      name.push_back(gbk[i]);
    }
  }
  if (name.empty() || name == "." || name == "..") name = "_" + name;
  return name;
}

}  // namespace

std::string DocumentXml(const Document& document) {
  std::string xml =
      std::string(kXmlDeclaration) + "<w:document xmlns:w=\"" + kWordNamespace + "\"><w:body>";
  bool afterTable = false;
  for (const Document::Block& block : document.Body()) {
    if (block.table) {
      // Two tables in a row would run together into one.
      if (afterTable) xml += "<w:p/>";
      WriteTable(*block.table, &xml);
      afterTable = true;
    } else {
      for (const Paragraph& paragraph : block.flow.Paragraphs()) WriteParagraph(paragraph, &xml);
      afterTable = false;
    }
  }
  // A4, margins of 72 points at top and bottom and 90 at the sides.
  xml +=
      "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/>"
      "<w:pgMar w:top=\"1440\" w:right=\"1800\" w:bottom=\"1440\" w:left=\"1800\" w:header=\"851\" "
      "w:footer=\"992\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
  return xml;
}

std::string DocxBytes(const Document& document) {
  ZipWriter zip;
  // [Content_Types].xml first, as consumers that sniff the format expect.
  bool ok = zip.Add("[Content_Types].xml", ContentTypesXml()) &&
            zip.Add("_rels/.rels", PackageRelationshipsXml()) &&
            zip.Add("word/document.xml", DocumentXml(document)) &&
            zip.Add("word/_rels/document.xml.rels", DocumentRelationshipsXml()) &&
            zip.Add("word/styles.xml", StylesXml());
  return ok ? zip.Finish() : std::string();
}

bool SaveDocxAsNewFile(const Document& document, const std::string& gbkFolder,
                       const std::string& gbkName, std::string* savedGbkPath) {
  const std::string bytes = DocxBytes(document);
  if (bytes.empty()) return false;
  if (!CreateFolders(NativePath(gbkFolder), 0755)) return false;
  std::string folder = gbkFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  const std::string name = SafeName(gbkName);
  for (int n = 1; n <= kMaxNameTries; ++n) {
    const std::string path =
        folder + name + (n == 1 ? std::string() : "(" + std::to_string(n) + ")") + ".docx";
    if (WriteNewFileAtomically(NativePath(path), bytes, 0644)) {
      if (savedGbkPath) *savedGbkPath = path;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool OpenWithDefaultApplication(const std::string& gbkPath) {
  return ShellResultCode(ShellExecuteA(nullptr, "open", gbkPath.c_str(), nullptr, nullptr, 5)) > 32;
}

std::string ReportsFolder() {
  char buffer[4096];
  if (!::getcwd(buffer, sizeof buffer)) return "Data/Reports";
  return Utf8ToGbk(buffer) + "/Data/Reports";
}

}  // namespace kiv::office
