#include "remote/OscListener.h"

#include <oscpack/osc/OscReceivedElements.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <sstream>
#include <string>

#include "remote/OscChecks.h"
#include "remote/RemoteCommands.h"

namespace {

using Arguments = osc::ReceivedMessageArgumentStream;

COscListener* g_oscListener = nullptr;

bool Equal(const char* a, const char* b) { return std::strcmp(a, b) == 0; }

// Text from a packet as it goes into an output line: control characters
// become \xNN, so that no packet can break a line in two or send control
// sequences to a terminal.
std::string Printable(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c == 0x7f) {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
      out += escaped;
    } else {
      out += *p;
    }
  }
  return out;
}

// A number in the default form of a fresh stream: decimal integers, and
// general notation with six significant digits for floating point.
template <typename T>
std::string Number(T value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

// Writes one whole line and flushes it, so that each line is out as soon as
// its message is handled.
void WriteLine(const std::string& line) { std::cout << line + '\n' << std::flush; }

// "/lsystem" sub-commands, matched in this order. Each reads all of its
// arguments and checks that none is left before it reaches the facade, so a
// bad argument changes nothing.
struct SubCommand {
  const char* name;
  void (*run)(Arguments& args);
};

constexpr SubCommand kSubCommands[] = {
    {"setdefoult",
     [](Arguments& args) {
       args >> osc::EndMessage;
       GetRemoteCommands()->SetDefault();
     }},
    {"sethangleparameter",
     [](Arguments& args) {
       osc::int32 index;
       bool active;
       float lengthRatio, widthRatio, x, y, z;
       args >> index >> active >> lengthRatio >> widthRatio >> x >> y >> z >> osc::EndMessage;
       GetRemoteCommands()->SetHandleParameter(index, active, lengthRatio, widthRatio, x, y, z);
     }},
    {"sethandlerotation",
     [](Arguments& args) {
       osc::int32 index;
       float x, y, z;
       args >> index >> x >> y >> z >> osc::EndMessage;
       GetRemoteCommands()->SetHandleRotation(index, x, y, z);
     }},
    {"multhandlerotation",
     [](Arguments& args) {
       osc::int32 index;
       float x, y, z;
       args >> index >> x >> y >> z >> osc::EndMessage;
       GetRemoteCommands()->MultHandleRotation(index, x, y, z);
     }},
    {"sethandlewidthratio",
     [](Arguments& args) {
       osc::int32 index;
       float ratio;
       args >> index >> ratio >> osc::EndMessage;
       GetRemoteCommands()->SetHandleWidthRatio(index, ratio);
     }},
    // Sets the width ratio, not the length ratio: this name has always done
    // what "sethandlewidthratio" does, and senders rely on that.
    {"sethandlelengthratio",
     [](Arguments& args) {
       osc::int32 index;
       float ratio;
       args >> index >> ratio >> osc::EndMessage;
       GetRemoteCommands()->SetHandleWidthRatio(index, ratio);
     }},
    {"sethandleisactive",
     [](Arguments& args) {
       osc::int32 index;
       bool active;
       args >> index >> active >> osc::EndMessage;
       GetRemoteCommands()->SetHandleIsActive(index, active);
     }},
    {"initlsystem",
     [](Arguments& args) {
       float x, y, z;
       args >> x >> y >> z >> osc::EndMessage;
       GetRemoteCommands()->InitLSystem(x, y, z);
     }},
    {"drawlsystem",
     [](Arguments& args) {
       float x, y, z;
       args >> x >> y >> z >> osc::EndMessage;
       GetRemoteCommands()->DrawLSystem(x, y, z);
     }},
    {"turnon",
     [](Arguments& args) {
       args >> osc::EndMessage;
       GetRemoteCommands()->TurnOn();
     }},
    {"turnoff",
     [](Arguments& args) {
       args >> osc::EndMessage;
       GetRemoteCommands()->TurnOff();
     }},
    {"eyepointinit",
     [](Arguments& args) {
       args >> osc::EndMessage;
       GetRemoteCommands()->EyePointInit();
     }},
    {"eyerotation",
     [](Arguments& args) {
       osc::int32 dx, dy;
       args >> dx >> dy >> osc::EndMessage;
       GetRemoteCommands()->EyeRotation(dx, dy);
     }},
};

// Diagnostic addresses: each decodes its argument and returns what follows
// "received '<address>' message" on its line.
struct Diagnostic {
  const char* address;
  std::string (*read)(Arguments& args);
};

// The tail of a line that shows a value.
std::string Shows(const std::string& value) { return ": " + value; }
std::string ShowsQuoted(const std::string& value) { return ": '" + value + "'"; }

template <typename T>
std::string ReadNumber(Arguments& args) {
  T value;
  args >> value >> osc::EndMessage;
  return Shows(Number(value));
}

constexpr Diagnostic kDiagnostics[] = {
    {"/no_arguments",
     [](Arguments& args) {
       args >> osc::EndMessage;
       return std::string();
     }},
    {"/a_bool",
     [](Arguments& args) {
       bool value;
       args >> value >> osc::EndMessage;
       return Shows(value ? "1" : "0");
     }},
    {"/nil", [](Arguments&) { return std::string(); }},
    {"/inf", [](Arguments&) { return std::string(); }},
    {"/an_int", ReadNumber<osc::int32>},
    {"/a_float",
     [](Arguments& args) {
       float value;
       args >> value >> osc::EndMessage;
       return Shows(Number(static_cast<double>(value)));
     }},
    {"/a_char",
     [](Arguments& args) {
       char value;
       args >> value >> osc::EndMessage;
       const char text[2] = {value, '\0'};
       return ShowsQuoted(Printable(text));
     }},
    {"/an_rgba_color",
     [](Arguments& args) {
       osc::RgbaColor value;
       args >> value >> osc::EndMessage;
       return Shows(Number(value.value));
     }},
    {"/a_midi_message",
     [](Arguments& args) {
       osc::MidiMessage value;
       args >> value >> osc::EndMessage;
       return Shows(Number(value.value));
     }},
    {"/an_int64", ReadNumber<osc::int64>},
    {"/a_time_tag",
     [](Arguments& args) {
       osc::TimeTag value;
       args >> value >> osc::EndMessage;
       return Shows(Number(value.value));
     }},
    {"/a_double", ReadNumber<double>},
    {"/a_string",
     [](Arguments& args) {
       const char* value;
       args >> value >> osc::EndMessage;
       return ShowsQuoted(Printable(value));
     }},
    {"/a_symbol",
     [](Arguments& args) {
       osc::Symbol value;
       args >> value >> osc::EndMessage;
       return ShowsQuoted(Printable(value.value));
     }},
    {"/a_blob",
     [](Arguments& args) {
       osc::Blob value;
       args >> value >> osc::EndMessage;
       return std::string();
     }},
};

// Opens what source (a packet or a bundle element) holds, after the checks
// that oscpack leaves out, and processes it: a bundle when it begins with
// '#', a message otherwise.
template <typename Source>
void OpenAndProcess(COscListener& listener, const Source& source, const char* contents, int size) {
  if (size > 0 && contents[0] == '#') {
    CheckBundleBeforeOpening(contents, size);
    listener.ProcessBundle(osc::ReceivedBundle(source));
  } else {
    CheckMessageBeforeOpening(contents, size);
    listener.ProcessMessage(osc::ReceivedMessage(source));
  }
}

}  // namespace

COscListener::~COscListener() { Close(); }

void COscListener::ProcessPacket(const char* data, int size) {
  const osc::ReceivedPacket packet(data, size);  // rejects sizes that are no packet's
  OpenAndProcess(*this, packet, data, size);
}

void COscListener::ProcessBundle(const osc::ReceivedBundle& bundle) {
  for (auto element = bundle.ElementsBegin(); element != bundle.ElementsEnd(); ++element) {
    OpenAndProcess(*this, *element, element->Contents(), element->Size());
  }
}

void COscListener::ProcessMessage(const osc::ReceivedMessage& message) {
  const char* address = message.AddressPattern();
  try {
    Arguments args = message.ArgumentStream();
    if (Equal(address, "/lsystem")) {
      const char* name;
      args >> name;
      for (const SubCommand& command : kSubCommands) {
        if (Equal(name, command.name)) {
          command.run(args);
          return;
        }
      }
      return;  // an unknown sub-command is ignored
    }
    for (const Diagnostic& diagnostic : kDiagnostics) {
      if (Equal(address, diagnostic.address)) {
        const std::string tail = diagnostic.read(args);
        WriteLine(std::string("received '") + diagnostic.address + "' message" + tail);
        return;
      }
    }
    WriteLine("unrecognised address pattern: " + Printable(address));
  } catch (const osc::Exception& e) {
    WriteLine("error while parsing message: " + Printable(address) + ": " + e.what());
  }
}

void COscListener::Close() { transport.reset(); }

COscListener* GetOscListener() {
  if (!g_oscListener) g_oscListener = new (std::nothrow) COscListener();
  return g_oscListener;
}

void DeleteOscListener() {
  if (!g_oscListener) return;
  g_oscListener->Close();
  delete g_oscListener;
  g_oscListener = nullptr;
}
