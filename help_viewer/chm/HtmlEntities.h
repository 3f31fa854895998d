#pragma once
// The one decoder of character references for all text read from the help file: the
// contents, the index, titles and the searched text of topics, so that each shows a
// reference as the topic's page does.

#include <string>
#include <string_view>

namespace bmi::help {

// Replaces character references by their UTF-8 text: the named entities of HTML 4 (and
// &apos;), by exact name, and numeric ones (&#233; &#xE9;). As the view reads them, a
// reference ends with ';' and holds at most eight characters between '&' and ';'; any
// other '&' stays as written, and so does an unknown name or a longer run of digits.
// A number that names no character (0, a surrogate, beyond U+10FFFF) becomes U+FFFD,
// where the view shows broken text; 128 to 159 are read as the Windows code page, as
// pages written for it mean them and as the view shows them. The result is never
// longer than the text.
std::string decodeEntities(std::string_view text);

// The same, appended to out.
void appendDecodedEntities(std::string& out, std::string_view text);

// UTF-8 of one code point (which must be a character).
void appendUtf8(std::string& out, char32_t code);

} // namespace bmi::help
