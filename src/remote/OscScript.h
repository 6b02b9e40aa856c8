#pragma once

#include <istream>
#include <string>
#include <vector>

// OSC scripts: text files of OSC messages, one a line, in the notation of
// common command-line OSC senders:
//
//   ADDRESS [TYPES [VALUE...]]
//
// ADDRESS begins with '/'. TYPES is a string of type tags, one per argument
// (a leading ',' is allowed): i int32, h int64, f float32, d float64, s
// string, S symbol, c char (a single character), r RGBA colour and m MIDI
// message (32-bit unsigned, decimal or 0x hex), t time tag (64-bit
// unsigned, decimal or 0x hex), b blob (hex digits, two a byte); T, F, N and
// I (true, false, nil, infinitum) take no value. A value with spaces, or one
// that begins with '#' or '"', is written in double quotes, in which \" and
// \\ stand for " and \. A '#' that begins a word starts a comment to the end
// of the line; blank lines are ignored. For example:
//
//   /lsystem sfff initlsystem 0 0.8 0
//   /lsystem si eyerotation 20 -10      # turn the eye
//   /a_string s "two words"

// One encoded message and the line it came from.
struct OscScriptPacket {
  int line = 0;
  std::vector<char> bytes;
};

// Encodes every message of the script read from in. False at the first line
// that cannot be encoded, with error "NAME:LINE: why", NAME being name.
bool ReadOscScript(std::istream& in, const std::string& name, std::vector<OscScriptPacket>& packets,
                   std::string& error);

// The script in the file at path, or on standard input for "-".
bool ReadOscScriptFile(const std::string& path, std::vector<OscScriptPacket>& packets, std::string& error);
