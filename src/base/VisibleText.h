#pragma once

// Texts that come from outside the program made fit to be shown: a printer's replies are bytes
// in no known encoding, and a terminal takes some bytes as commands.

#include <string>
#include <string_view>

namespace corvane::base {

// A text made valid UTF-8 for JSON and for people: every byte that is not part of valid UTF-8 is
// shown as \xA9, and everything else stays as it is. For the program's messages, which may embed
// a printer's text; a printer's text on its own goes through ShownText.
std::string ValidUtf8(std::string_view text);

// A printer's text as people and JSON see it: valid UTF-8 stays as it is, every byte that is not
// part of valid UTF-8 is shown as \xA9 (a backslash, "x" and two upper-case hexadecimal digits),
// and a backslash of the printer's own is doubled, so that a text holding \xA9 literally shows
// as \\xA9 and never reads like the byte.
std::string ShownText(std::string_view bytes);

// A text as it may go to a terminal: line feeds and tabs stay, every other control character is
// shown as \x1B (C1 control characters, U+0080 to U+009F, as \u009B), and so is every byte that
// is not part of valid UTF-8, so that nothing in it can move the cursor, recolour or retitle the
// user's terminal. Backslashes stay as they are, as paths hold them.
std::string TerminalText(std::string_view text);

}  // namespace corvane::base
