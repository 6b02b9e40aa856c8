#include <gtest/gtest.h>
#include <wx/arrstr.h>
#include <wx/utils.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "remote/RemoteControl.h"

namespace {

TEST(CommandLineTest, ReadsTheFileAndTheRemoteControlOptions) {
  struct Case {
    std::vector<std::string> arguments;
    std::string file;
    std::string address;
    int port;
  };
  const Case cases[] = {
      {{}, "", kDefaultOscAddress, kDefaultOscPort},
      {{"tree.txt"}, "tree.txt", kDefaultOscAddress, kDefaultOscPort},
      {{"--osc-port", "0"}, "", kDefaultOscAddress, 0},
      {{"--osc-port=7000", "--osc-bind", "0.0.0.0", "a"}, "a", "0.0.0.0", 7000},
      {{"--osc-bind=::1", "--osc-port", "65535"}, "", "::1", 65535},
      {{"--", "--osc-port"}, "--osc-port", kDefaultOscAddress, kDefaultOscPort},
      {{"-"}, "-", kDefaultOscAddress, kDefaultOscPort},
  };
  for (const Case& c : cases) {
    const ParsedCommandLine parsed = ParseCommandLine(c.arguments);
    SCOPED_TRACE(c.file + " " + c.address);
    EXPECT_EQ(parsed.action, ParsedCommandLine::kRun) << parsed.error;
    EXPECT_EQ(parsed.options.file, c.file);
    EXPECT_EQ(parsed.options.oscAddress, c.address);
    EXPECT_EQ(parsed.options.oscPort, c.port);
  }
}

TEST(CommandLineTest, HelpAndMistakes) {
  EXPECT_EQ(ParseCommandLine({"--help"}).action, ParsedCommandLine::kHelp);
  EXPECT_EQ(ParseCommandLine({"a", "-h"}).action, ParsedCommandLine::kHelp);
  const std::pair<std::vector<std::string>, std::string> mistakes[] = {
      {{"--osc-port"}, "option '--osc-port' needs a value"},
      {{"--osc-port", "x"}, "--osc-port needs a port number from 0 to 65535, not 'x'"},
      {{"--osc-port", "65536"}, "--osc-port needs a port number from 0 to 65535, not '65536'"},
      {{"--osc-port=-1"}, "--osc-port needs a port number from 0 to 65535, not '-1'"},
      {{"--osc-bind="}, "--osc-bind needs an address"},
      {{"--verbose"}, "unknown option '--verbose'"},
      {{"a", "b"}, "more than one file given: 'b'"},
  };
  for (const auto& [arguments, error] : mistakes) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    EXPECT_EQ(parsed.action, ParsedCommandLine::kError) << error;
    EXPECT_EQ(parsed.error, error);
  }
}

TEST(CommandLineTest, TheProgramAnswersHelpAndMistakesWithoutStarting) {
  wxArrayString output, errors;
  EXPECT_EQ(wxExecute(DENDRIX_EXECUTABLE " --help", output, errors, wxEXEC_SYNC), 0);
  ASSERT_FALSE(output.empty());
  EXPECT_EQ(output[0], "Usage: dendrix [OPTION]... [FILE]");
  EXPECT_NE(wxJoin(output, '\n').find("--osc-port N"), wxString::npos);
  EXPECT_NE(wxJoin(output, '\n').find("--osc-bind ADDRESS"), wxString::npos);

  output.clear();
  EXPECT_EQ(wxExecute(DENDRIX_EXECUTABLE " --osc-port nine", output, errors, wxEXEC_SYNC), 2);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors[0],
            "dendrix: --osc-port needs a port number from 0 to 65535, not 'nine'");
}

}  // namespace
