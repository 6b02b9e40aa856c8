// Arbitrary text as an OSC script: the reader either names the line it
// cannot encode, or gives messages that oscpack opens whole, every argument
// readable, each no larger than a datagram, in the order of their lines.

#include <oscpack/osc/OscReceivedElements.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "remote/OscChecks.h"
#include "remote/OscScript.h"
#include "remote/UdpReceiver.h"

namespace {

[[noreturn]] void Fault(const std::string& what) {
  std::fprintf(stderr, "fuzz_osc_script: %s\n", what.c_str());
  std::abort();
}

// Reads every argument of message as the type its tag names.
void ReadArguments(const osc::ReceivedMessage& message) {
  for (auto arg = message.ArgumentsBegin(); arg != message.ArgumentsEnd(); ++arg) {
    switch (arg->TypeTag()) {
      case 'i': (void)arg->AsInt32(); break;
      case 'h': (void)arg->AsInt64(); break;
      case 'f': (void)arg->AsFloat(); break;
      case 'd': (void)arg->AsDouble(); break;
      case 's': (void)arg->AsString(); break;
      case 'S': (void)arg->AsSymbol(); break;
      case 'c': (void)arg->AsChar(); break;
      case 'r': (void)arg->AsRgbaColor(); break;
      case 'm': (void)arg->AsMidiMessage(); break;
      case 't': (void)arg->AsTimeTag(); break;
      case 'T': case 'F': (void)arg->AsBool(); break;
      case 'N': case 'I': break;
      case 'b': {
        const void* blob;
        osc::osc_bundle_element_size_t blobSize;
        arg->AsBlob(blob, blobSize);
        break;
      }
      default: Fault(std::string("argument of unknown type tag '") + arg->TypeTag() + "'");
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<OscScriptPacket> packets;
  std::string error;
  if (!ReadOscScript(in, "script", packets, error)) {
    if (error.rfind("script:", 0) != 0) Fault("error does not name the script: " + error);
    return 0;
  }
  int lastLine = 0;
  for (const OscScriptPacket& packet : packets) {
    if (packet.line <= lastLine) Fault("line " + std::to_string(packet.line) + " out of order");
    lastLine = packet.line;
    const std::vector<char>& bytes = packet.bytes;
    if (bytes.empty() || bytes.size() > CUdpReceiver::kMaxDatagram || bytes[0] != '/') {
      Fault("line " + std::to_string(packet.line) + ": no message of a datagram's size");
    }
    try {
      const int byteCount = static_cast<int>(bytes.size());
      CheckMessageBeforeOpening(bytes.data(), byteCount);
      ReadArguments(osc::ReceivedMessage(osc::ReceivedPacket(bytes.data(), byteCount)));
    } catch (const osc::Exception& e) {
      Fault("line " + std::to_string(packet.line) + " encodes a malformed message: " + e.what());
    }
  }
  return 0;
}
