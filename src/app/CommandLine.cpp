#include "app/CommandLine.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "remote/RemoteControl.h"

namespace {

constexpr int kMaxPort = 65535;

std::optional<int> ParsePort(std::string_view text) {
  int port = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, port);
  if (error != std::errc() || stop != end || port < 0 || port > kMaxPort) return std::nullopt;
  return port;
}

ParsedCommandLine Fail(std::string message) {
  ParsedCommandLine parsed;
  parsed.action = ParsedCommandLine::kError;
  parsed.error = std::move(message);
  return parsed;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  ParsedCommandLine parsed;
  parsed.options.oscAddress = kDefaultOscAddress;
  parsed.options.oscPort = kDefaultOscPort;
  bool haveFile = false;
  bool optionsEnded = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
    if (!isOption) {
      if (haveFile) return Fail("more than one file given: '" + argument + "'");
      parsed.options.file = argument;
      haveFile = true;
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (argument == "-h" || argument == "--help") {
      parsed.action = ParsedCommandLine::kHelp;
      return parsed;
    }

    // --name VALUE or --name=VALUE
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    if (name != "--osc-port" && name != "--osc-bind") {
      return Fail("unknown option '" + name + "'");
    }
    std::string value;
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      return Fail("option '" + name + "' needs a value");
    }

    if (name == "--osc-port") {
      const std::optional<int> port = ParsePort(value);
      if (!port) return Fail("--osc-port needs a port number from 0 to 65535, not '" + value + "'");
      parsed.options.oscPort = *port;
    } else {
      if (value.empty()) return Fail("--osc-bind needs an address");
      parsed.options.oscAddress = value;
    }
  }
  return parsed;
}

std::string UsageText() {
  return std::string(
             "Usage: dendrix [OPTION]... [FILE]\n"
             "Model and view branching 3D trees: edit the branching rule in the left pane,\n"
             "draw a stroke in the right pane to plant a tree.\n"
             "\n"
             "FILE, if given, is opened as the document. Dendrix keeps no data in its\n"
             "documents: it reads nothing from FILE and never writes to it; only the window\n"
             "title and the recent-file list change.\n"
             "\n"
             "Options:\n"
             "  --osc-port N        receive Open Sound Control messages on UDP port N\n"
             "                      (default ") +
         std::to_string(kDefaultOscPort) +
         "; 0 turns remote control off)\n"
         "  --osc-bind ADDRESS  the local address to receive them on (default " +
         kDefaultOscAddress +
         ");\n"
         "                      any other address lets other machines drive the program\n"
         "  -h, --help          show this help and exit\n";
}
