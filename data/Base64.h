// Base64 decoding as the data service's JSON replies need it: the "values"
// field of a reply carries a tagged record table (TaggedRecordTable.h) in
// base64 text.
//
// The decoder is deliberately lenient and length-preserving: every character
// maps to some 6-bit value, nothing is skipped, and each "=" of the padding
// decodes as 0, so the zero bytes it stands for stay in the output. Readers
// of the decoded blob rely on its length being (text length / 4) x 3.
#pragma once

#include <string>

// The 6-bit value of one base64 character. Characters outside the alphabet
// do not fail: "=" and anything above 'z' give 0, any byte below '0' other
// than '/' (including bytes of 0x80 and above) gives 62, and the few
// punctuation characters between '9' and 'A' give the small negative values
// of the arithmetic that maps 'A'..'Z'.
int Base64CharValue(char c);

// Replaces `text` by its decoded bytes, (size / 4) x 3 of them. Characters
// after the last complete group of four are ignored: they cannot fill a
// whole group of three bytes, and well-formed text is padded to whole
// groups, so a short tail only appears in a damaged or truncated reply.
void Base64DecodeInPlace(std::string& text);
