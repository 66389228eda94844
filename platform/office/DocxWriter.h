// Writes a Document as an Office Open XML word-processing file (.docx), the
// form in which reports reach the user's office program.
//
// The package holds [Content_Types].xml, _rels/.rels, word/document.xml,
// word/_rels/document.xml.rels and word/styles.xml. Text is GBK in the
// program and UTF-8 in the file; characters XML cannot carry (control
// characters other than tab and line breaks) are left out.
#pragma once

#include <string>

#include "platform/office/Document.h"

namespace kiv::office {

// The main part, word/document.xml.
std::string DocumentXml(const Document& document);

// The whole .docx file; empty on failure.
std::string DocxBytes(const Document& document);

// Saves the document as a new file in `gbkFolder` (created if missing):
// "<name>.docx", or "<name>(2).docx", "<name>(3).docx" ... when the name is
// taken, so an earlier file is never replaced. The file is written to a
// temporary file first and appears whole or not at all. Characters that
// cannot stand in a file name ('/', '\', zero) become '_'. True with the
// saved file's GBK path in *savedGbkPath.
bool SaveDocxAsNewFile(const Document& document, const std::string& gbkFolder,
                       const std::string& gbkName, std::string* savedGbkPath);

// Opens the file with the desktop's default application (ShellExecute
// "open"). False when nothing could open it; the file stays.
bool OpenWithDefaultApplication(const std::string& gbkPath);

// Where reports are kept: <current folder>/Data/Reports, GBK.
std::string ReportsFolder();

}  // namespace kiv::office
