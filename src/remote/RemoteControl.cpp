#include "remote/RemoteControl.h"

#include <oscpack/osc/OscException.h>

#include <string>
#include <memory>

#include "remote/OscListener.h"

bool StartRemoteControl(const std::string& address, int port, CUdpReceiver::Wake wake) {
  COscListener* listener = GetOscListener();
  if (!listener) return false;
  listener->Close();
  if (port == 0) return false;
  auto receiver = std::make_unique<CUdpReceiver>(std::move(wake));
  if (!receiver->Open(address, port)) {
    WriteErrorLine("dendrix: remote control off: " + receiver->Error());
    return false;
  }
  if (!receiver->IsLoopback()) {
    WriteErrorLine("dendrix: warning: OSC remote control listens on " + receiver->BoundAddress() + " port " +
                   std::to_string(receiver->Port()) +
                   ": anyone who can reach it over the network can drive this program");
  }
  listener->transport = std::move(receiver);
  return true;
}

void DeliverOscPackets() {
  COscListener* listener = GetOscListener();
  if (listener && listener->transport) listener->transport->Deliver(ProcessReceivedPacket);
}

void ProcessReceivedPacket(const char* data, int size) {
  COscListener* listener = GetOscListener();
  if (!listener) return;
  try {
    listener->ProcessPacket(data, size);
  } catch (const osc::Exception& e) {
    WriteErrorLine("dendrix: OSC packet of " + std::to_string(size) + " bytes dropped: " + e.what());
  }
}
