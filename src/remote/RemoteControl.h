#pragma once

#include <string>

#include "remote/UdpReceiver.h"

// Remote control of the desktop program: a UDP receiver attached to the OSC
// listener as its transport, whose packets are processed on the
// user-interface thread.

constexpr const char* kDefaultOscAddress = "127.0.0.1";
constexpr int kDefaultOscPort = 9000;

// Starts receiving OSC datagrams on address and port and attaches the
// receiver to the listener. wake runs on the receiving thread whenever
// packets are waiting; it must arrange for DeliverOscPackets to run on the
// user-interface thread. Port 0 leaves remote control off. When the
// receiver cannot start, one line on standard error says why and the
// program runs on without it; an address reachable from other machines gets
// a warning line. Returns whether a transport is attached.
bool StartRemoteControl(const std::string& address, int port, CUdpReceiver::Wake wake);

// On the user-interface thread: processes the packets the attached
// transport holds, if there is one.
void DeliverOscPackets();

// Processes one received packet; one that cannot be opened is dropped, with
// one line on standard error saying why.
void ProcessReceivedPacket(const char* data, int size);
