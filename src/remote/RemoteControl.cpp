#include "remote/RemoteControl.h"

#include <oscpack/osc/OscException.h>

#include <iostream>
#include <memory>

#include "remote/OscListener.h"

bool StartRemoteControl(const std::string& address, int port, CUdpReceiver::Wake wake) {
  COscListener* listener = GetOscListener();
  if (!listener) return false;
  listener->Close();
  if (port == 0) return false;
  auto receiver = std::make_unique<CUdpReceiver>(std::move(wake));
  if (!receiver->Open(address, port)) {
    std::cerr << "dendrix: remote control off: " << receiver->Error() << std::endl;
    return false;
  }
  if (!receiver->IsLoopback()) {
    std::cerr << "dendrix: warning: OSC remote control listens on " << receiver->BoundAddress() << " port "
              << receiver->Port() << ": anyone who can reach it over the network can drive this program"
              << std::endl;
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
    std::cerr << "dendrix: OSC packet of " << size << " bytes dropped: " << e.what() << std::endl;
  }
}
