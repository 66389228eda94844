// The risk disclosure and disclaimer that the risk-disclosure dialog shows
// (GBK, 55 lines): the centred title; the salutation; the introduction and
// the five numbered risks, with the paragraph on the service agreement
// between the first and the second; the notes that the list is not
// exhaustive and on reading every rule; the operator's reminder; the
// special note; the declaration; the signature lines; the centred heading
// of the disclaimer and its seven clauses; the closing line. The dialog
// formats the title, the declaration and the heading, which occur in the
// text exactly as below, each first where the dialog looks for it.
// Constant: any thread.
#pragma once

extern const char kRiskDisclosureText[];
// The formatted sentences.
extern const char kRiskDisclosureTitle[];
extern const char kRiskDeclaration[];
extern const char kRiskDisclaimerHeading[];
