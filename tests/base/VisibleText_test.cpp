// How a printer's bytes are shown in JSON and on a terminal.
#include "base/VisibleText.h"

#include <gtest/gtest.h>

namespace corvane::base {
namespace {

struct Row {
    const char* what;
    std::string bytes;
    std::string shown;     // ShownText
    std::string terminal;  // TerminalText
};

// Guards against invalid UTF-8 reaching JSON (which refuses it), a printer's text that reads like
// an escape, and control characters reaching the user's terminal.
TEST(VisibleText, EveryByteIsShownOnceAndUnmistakably) {
    const Row rows[] = {
        {"plain text", "KRT-310 V1.0", "KRT-310 V1.0", "KRT-310 V1.0"},
        {"a byte of an 8-bit code page", "V1.0\xA9", "V1.0\\xA9", "V1.0\\xA9"},
        {"valid UTF-8",
         "Gr\xC3\xB6\xC3\x9F"
         "e \xE2\x82\xAC \xF0\x9F\x96\xA8",
         "Gr\xC3\xB6\xC3\x9F"
         "e \xE2\x82\xAC \xF0\x9F\x96\xA8",
         "Gr\xC3\xB6\xC3\x9F"
         "e \xE2\x82\xAC \xF0\x9F\x96\xA8"},
        {"overlong, surrogate, past U+10FFFF", "\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80",
         "\\xC0\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80",
         "\\xC0\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80"},
        {"a sequence cut at the end", "A\xE2\x82", "A\\xE2\\x82", "A\\xE2\\x82"},
        {"the printer's own backslash", "C:\\x41", "C:\\\\x41", "C:\\x41"},
        {"an escape sequence", "\x1B[31mRED\x1B]0;title\x07", "\x1B[31mRED\x1B]0;title\x07",
         "\\x1B[31mRED\\x1B]0;title\\x07"},
        {"line ends, tab, DEL", "a\r\nb\tc\x7F", "a\r\nb\tc\x7F", "a\\x0D\nb\tc\\x7F"},
        {"a C1 control character",
         "\xC2\x9B"
         "2J",
         "\xC2\x9B"
         "2J",
         "\\u009B2J"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ShownText(row.bytes), row.shown);
        EXPECT_EQ(TerminalText(row.bytes), row.terminal);
    }
    // Messages keep their backslashes and control characters and lose only what JSON refuses.
    EXPECT_EQ(ValidUtf8("C:\\x41\xA9\x1B"), "C:\\x41\\xA9\x1B");
}

}  // namespace
}  // namespace corvane::base
