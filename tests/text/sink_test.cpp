#include "text/sink.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Sink, KeepsEveryByteOfWhatIsFormatted) {
    const std::string long_text(2000, 'x');
    struct Case {
        const char* what;
        std::string expected;
        void (*print)(Sink&, const std::string&);
    } cases[] = {
        {"a short line", "Line 7: ok\n", [](Sink& s, const std::string&) { s.printf("Line %d: %s\n", 7, "ok"); }},
        {"a text past the stack buffer", "<" + long_text + ">",
         [](Sink& s, const std::string& t) { s.printf("<%s>", t.c_str()); }},
        {"a NUL byte", std::string("a\0b", 3), [](Sink& s, const std::string&) { s.printf("a%cb", 0); }},
        {"a width", "     -1|", [](Sink& s, const std::string&) { s.printf("%7ld|", -1L); }},
        {"an error", "\a\aError: line 3: bad\n",
         [](Sink& s, const std::string&) { s.error("line %d: %s\n", 3, "bad"); }},
        {"a warning", "\a\aWarning: 5 bytes\n", [](Sink& s, const std::string&) { s.warning("%ld bytes\n", 5L); }},
        {"an error below an open line", "\n\a\aError: cancelled!\n",
         [](Sink& s, const std::string&) { s.error_below("cancelled!\n"); }},
        {"a warning below an open line", "\n\a\aWarning: 42%\n",
         [](Sink& s, const std::string&) { s.warning_below("%d%%\n", 42); }},
        {"a long error", "\a\aError: <" + long_text + ">",
         [](Sink& s, const std::string& t) { s.error("<%s>", t.c_str()); }},
        {"an error with a NUL byte", std::string("\a\aError: a\0b", 12),
         [](Sink& s, const std::string&) { s.error("a%cb", 0); }},
    };
    for (const auto& c : cases) {
        StringSink sink;
        c.print(sink, long_text);
        EXPECT_EQ(sink.take(), c.expected) << c.what;
        EXPECT_EQ(sink.text(), "") << c.what;
    }
}

}  // namespace
