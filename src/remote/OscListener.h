#pragma once

#include <memory>

#include "remote/PacketListener.h"
#include "remote/UdpReceiver.h"

namespace osc {
class ReceivedBundle;
class ReceivedMessage;
}  // namespace osc

// Parses OSC packets, walks their bundles and carries out each message:
// "/lsystem" sub-commands through CRemoteCommands, the diagnostic addresses
// by writing one line to standard output. Must be called on the
// user-interface thread, since commands paint the tree pane.
class COscListener : public CPacketListener {
 public:
  ~COscListener() override;

  // A packet that cannot be opened (malformed message or bundle, a bundle
  // element of unsound size, an empty packet) leaves as an osc::Exception;
  // elements processed before it keep their effects. Errors in a message's
  // arguments are reported on standard output instead.
  void ProcessPacket(const char* data, int size) override;
  // Every element at once, in the order they stand; the time tag is ignored.
  void ProcessBundle(const osc::ReceivedBundle& bundle);
  void ProcessMessage(const osc::ReceivedMessage& message);
  // Releases the transport, if one is attached.
  void Close();

  // The transport that receives the packets; null when none is attached.
  std::unique_ptr<CUdpReceiver> transport;
};

// The process-wide listener, created on first use; null when it cannot be
// allocated (the next call tries again).
COscListener* GetOscListener();
// Closes and deletes the listener if it exists.
void DeleteOscListener();
