#include "services/command_line.h"

#include <gtest/gtest.h>

namespace services {
namespace {

using words = std::vector<std::string>;

TEST(SplitCommandLine, SpacesSeparateAndQuotesEnclose) {
    EXPECT_EQ(split_command_line("\"C:\\Program Files\\lomtra-sat.exe\" nofile 43.1 43.3 5.2 5.5"),
              (words{"C:\\Program Files\\lomtra-sat.exe", "nofile", "43.1", "43.3", "5.2", "5.5"}));
    EXPECT_EQ(split_command_line("prog \"C:\\My Files\\area.kml\"  43.1"),
              (words{"prog", "C:\\My Files\\area.kml", "43.1"}));
    EXPECT_EQ(split_command_line("prog \"a b\" c \"\""), (words{"prog", "a b", "c", ""}));
}

TEST(SplitCommandLine, QuotesInsideWordsTabsAndOpenQuotes) {
    EXPECT_EQ(split_command_line("p \"a b\"c"), (words{"p", "a b", "c"}));
    EXPECT_EQ(split_command_line("p a\"b c"), (words{"p", "a\"b", "c"}));
    EXPECT_EQ(split_command_line("p a\tb"), (words{"p", "a\tb"}));
    EXPECT_EQ(split_command_line("p \"open to the end"), (words{"p", "open to the end"}));
    EXPECT_EQ(split_command_line("   "), words{});
    EXPECT_EQ(split_command_line("p  "), words{"p"});
}

TEST(ProgramParameter, ExplicitIndicesAndWordsBeyondTheLast) {
    set_command_line("\"/usr/bin/lomtra-sat\" nofile 43.1 43.3 5.2 5.5");
    EXPECT_EQ(program_parameter(0), "nofile");
    EXPECT_EQ(program_parameter(1), "43.1");
    EXPECT_EQ(program_parameter(2), "43.3");
    EXPECT_EQ(program_parameter(3), "5.2");
    EXPECT_EQ(program_parameter(4), "5.5");
    EXPECT_EQ(program_parameter(5), "");
}

TEST(ProgramParameter, MinusOneWalksFromTheLastWordReturned) {
    set_command_line("prog \"a b\" c \"\" d");
    EXPECT_EQ(program_parameter(-1), "a b");
    EXPECT_EQ(program_parameter(-1), "c");
    EXPECT_EQ(program_parameter(0), "a b");
    EXPECT_EQ(program_parameter(-1), "c");
    EXPECT_EQ(program_parameter(-1), "");  // the empty third word exists
    EXPECT_EQ(program_parameter(-1), "d");
    EXPECT_EQ(program_parameter(-1), "");  // beyond the last: the position stays
    EXPECT_EQ(program_parameter(9), "");
    EXPECT_EQ(program_parameter(2), "");
    EXPECT_EQ(program_parameter(-1), "d");
}

TEST(ProgramParameter, ArgvWordsComeBackExactlyAsTyped) {
    const char* argv[] = {"lomtra-sat", "My Area.kml", "\"quoted\"", "a\"b c\"", "", "43.1"};
    set_command_words(6, argv);
    EXPECT_EQ(program_parameter(0), "My Area.kml");
    EXPECT_EQ(program_parameter(1), "\"quoted\"");
    EXPECT_EQ(program_parameter(2), "a\"b c\"");
    EXPECT_EQ(program_parameter(3), "");
    EXPECT_EQ(program_parameter(4), "43.1");
    EXPECT_EQ(program_parameter(5), "");
}

}  // namespace
}  // namespace services

namespace services {
namespace {

TEST(ProgramParameter, DefaultsToTheProcessOwnArguments) {
    // Without an explicit command line the words come from how this process was started.
    const std::string first = program_parameter(0);
    EXPECT_EQ(first, testing::internal::GetArgvs().size() > 1 ? testing::internal::GetArgvs()[1] : "");
}

}  // namespace
}  // namespace services
