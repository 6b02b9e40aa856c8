#include "RenderOptions.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <sstream>

namespace {

bool ParseInt(const std::string& text, int low, int high, const char* what, int& value,
              std::string& error) {
  int parsed = 0;
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, parsed);
  if (status != std::errc() || stop != end || parsed < low || parsed > high) {
    error = "'" + text + "' is not " + what + " from " + std::to_string(low) + " to " +
            std::to_string(high);
    return false;
  }
  value = parsed;
  return true;
}

bool ParseCoordinate(const std::string& text, double& value) {
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, value);
  return status == std::errc() && stop == end && std::isfinite(value);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator)) parts.push_back(part);
  if (!text.empty() && text.back() == separator) parts.emplace_back();
  return parts;
}

// "x,y[,z];x,y[,z];...": 2 to 10 points, no point equal to the one before.
bool ParseStroke(const std::string& text, std::vector<Vec3>& points, std::string& error) {
  std::vector<Vec3> parsed;
  for (const std::string& item : Split(text, ';')) {
    const std::vector<std::string> parts = Split(item, ',');
    double c[3] = {0.0, 0.0, 0.0};
    bool valid = parts.size() == 2 || parts.size() == 3;
    for (std::size_t i = 0; valid && i < parts.size(); ++i) valid = ParseCoordinate(parts[i], c[i]);
    if (!valid) {
      error = "'" + item + "' is not a point x,y or x,y,z";
      return false;
    }
    const Vec3 point(c[0], c[1], c[2]);
    if (!parsed.empty()) {
      const Vec3& last = parsed.back();
      if (last.x == point.x && last.y == point.y && last.z == point.z) {
        error = "point " + std::to_string(parsed.size() + 1) +
                " repeats the one before it, so that step has no direction";
        return false;
      }
    }
    parsed.push_back(point);
  }
  if (parsed.size() < 2 || parsed.size() > 10) {
    error = "a stroke has 2 to 10 points, not " + std::to_string(parsed.size());
    return false;
  }
  points = parsed;
  return true;
}

// "none" or handle indices 0 to 3 separated by commas.
bool ParseHandles(const std::string& text, std::array<bool, 4>& active, std::string& error) {
  active = {false, false, false, false};
  if (text == "none") return true;
  for (const std::string& part : Split(text, ',')) {
    if (part.size() != 1 || part[0] < '0' || part[0] > '3') {
      error = "'" + text + "' is not a list of handle numbers 0 to 3 (e.g. 0,2) or 'none'";
      return false;
    }
    active[part[0] - '0'] = true;
  }
  return true;
}

// One command-line option: its name, the placeholder of its value (null for a
// switch), its help line, and what it does to the options.
struct OptionSpec {
  const char* name;
  const char* value;
  const char* help;
  bool (*apply)(RenderOptions& options, const std::string& value, std::string& error);
};

const OptionSpec kOptions[] = {
    {"--out", "FILE", "write the picture to FILE: a BMP when it ends in .bmp, else a PNG (required)",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       if (v.empty()) {
         error = "the output name is empty";
         return false;
       }
       o.out = v;
       return true;
     }},
    {"--width", "N", "picture width in pixels, 1 to 8192 (default 900)",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       return ParseInt(v, 1, RenderOptions::kMaxSide, "a width", o.width, error);
     }},
    {"--height", "N", "picture height in pixels, 1 to 8192 (default 700)",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       return ParseInt(v, 1, RenderOptions::kMaxSide, "a height", o.height, error);
     }},
    {"--stroke", "POINTS",
     "the stroke as 2 to 10 points \"x,y[,z];x,y[,z];...\" (z defaults to 0): the tree starts at "
     "the first point and turns towards each next one; its segment lengths follow the rule",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       return ParseStroke(v, o.stroke, error);
     }},
    {"--steps", "N", "steps of the demo stroke, 0 to 9 (default 9, a full tree)",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       return ParseInt(v, 0, RenderOptions::kMaxDemoSteps, "a number of steps", o.demoSteps, error);
     }},
    {"--straight", nullptr, "draw the demo stroke straight up instead of in a gentle curve",
     [](RenderOptions& o, const std::string&, std::string&) {
       o.straightDemo = true;
       return true;
     }},
    {"--polygon", nullptr, "polygon rendering: plain coloured boxes (the default)",
     [](RenderOptions& o, const std::string&, std::string&) {
       o.polygonMode = true;
       return true;
     }},
    {"--tree", nullptr, "tree rendering: bark and leaves",
     [](RenderOptions& o, const std::string&, std::string&) {
       o.polygonMode = false;
       return true;
     }},
    {"--lighting", "on|off", "OpenGL lighting, or flat plain colours (default on)",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       if (v != "on" && v != "off") {
         error = "'" + v + "' is not on or off";
         return false;
       }
       o.lighting = v == "on";
       return true;
     }},
    {"--handles", "LIST", "the active side branches: handle numbers 0 to 3, e.g. 0,2 (the default), or none",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       std::array<bool, 4> active;
       if (!ParseHandles(v, active, error)) return false;
       o.handles = active;
       return true;
     }},
    {"--osc", "FILE",
     "replay the OSC messages of the script FILE (- for standard input) before drawing, as the "
     "program receives them: one message a line, ADDRESS [TYPES [VALUE...]], e.g. "
     "\"/lsystem sfff initlsystem 0 -0.1 0\"; # starts a comment. No demo tree is planted; the "
     "picture shows the tree and eye the script leaves",
     [](RenderOptions& o, const std::string& v, std::string& error) {
       if (v.empty()) {
         error = "the script name is empty";
         return false;
       }
       o.osc = v;
       return true;
     }},
    {"--reference", nullptr,
     "draw with the reference renderer, which walks the rule on every frame, instead of the cached "
     "tree (the picture is the same; DENDRIX_REFERENCE_RENDERER=1 does the same)",
     [](RenderOptions& o, const std::string&, std::string&) {
       o.reference = true;
       return true;
     }},
    {"--help", nullptr, "show this help and exit",
     [](RenderOptions& o, const std::string&, std::string&) {
       o.help = true;
       return true;
     }},
};

const OptionSpec* FindOption(const std::string& name) {
  for (const OptionSpec& spec : kOptions) {
    if (name == spec.name) return &spec;
  }
  return nullptr;
}

}  // namespace

bool ParseRenderOptions(const std::vector<std::string>& args, RenderOptions& options,
                        std::string& error) {
  RenderOptions parsed;
  bool demoShaped = false;  // --steps or --straight given
  for (std::size_t i = 0; i < args.size(); ++i) {
    // Both "--name value" and "--name=value".
    std::string name = args[i] == "-h" ? "--help" : args[i];
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); name.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    const OptionSpec* spec = FindOption(name);
    if (!spec) {
      error = name.rfind("-", 0) == 0 ? "unknown option " + name
                                      : "unexpected argument '" + args[i] + "'";
      return false;
    }
    if (spec->value && !value) {
      if (i + 1 == args.size()) {
        error = name + " needs a value " + spec->value;
        return false;
      }
      value = args[++i];
    } else if (!spec->value && value) {
      error = name + " takes no value";
      return false;
    }
    std::string problem;
    if (!spec->apply(parsed, value.value_or(""), problem)) {
      error = name + ": " + problem;
      return false;
    }
    demoShaped = demoShaped || name == "--steps" || name == "--straight";
  }
  if (parsed.help) {
    options = parsed;
    return true;
  }
  if (!parsed.stroke.empty() && demoShaped) {
    error = "--steps and --straight shape the demo stroke and cannot go with --stroke";
    return false;
  }
  if (!parsed.osc.empty() && demoShaped) {
    error = "--steps and --straight shape the demo stroke and cannot go with --osc";
    return false;
  }
  if (parsed.out.empty()) {
    error = "no output file: give --out FILE";
    return false;
  }
  options = parsed;
  return true;
}

std::string RenderUsage() {
  std::ostringstream text;
  text << "Usage: dendrix-render --out FILE [options]\n"
          "Draws what the tree pane shows through its default camera, without any window,\n"
          "and writes it to FILE. Without --stroke it draws a demo tree, grown by a drag\n"
          "upward from near the bottom of the pane.\n\nOptions:\n";
  // Each option's help, in a column from kHelpColumn, wrapped before kLineWidth.
  constexpr std::size_t kHelpColumn = 22, kLineWidth = 79;
  for (const OptionSpec& spec : kOptions) {
    std::string line = std::string("  ") + spec.name + (spec.value ? std::string(" ") + spec.value : "");
    std::istringstream words(spec.help);
    std::string word;
    bool first = true;
    while (words >> word) {
      if (first || line.size() + 1 + word.size() > kLineWidth) {
        if (!first || line.size() + 2 > kHelpColumn) {
          text << line << "\n";
          line.clear();
        }
        line.resize(kHelpColumn, ' ');
        line += word;
        first = false;
      } else {
        line += " " + word;
      }
    }
    text << line << "\n";
  }
  text << "\nExit status: 0 on success; 2 for bad arguments or an output file that cannot\n"
          "be created, and then no file is written; 1 when rendering or writing fails\n"
          "later (no OpenGL context, a full disk), leaving any earlier file as it was.\n";
  return text.str();
}

bool IsBitmapPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string extension = path.substr(path.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".bmp";
}
