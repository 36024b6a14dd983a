#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "CliCommands.h"

namespace zephyl::cli {

struct MidiOptions {
  std::optional<std::string> api;   // alsa, jack or none; default: ZEPHYL_MIDI_API, then found
  std::optional<std::string> port;  // a port's name, or a part of it in any case
};

struct SendOptions {
  MidiOptions midi;
  std::optional<std::size_t> patch;  // 1-based; default: every patch
  int channel = 16;
  char slot = 'A';
  std::optional<int> gapMs;
  bool noPacing = false;
};

struct ReceiveOptions {
  MidiOptions midi;
  Path output;
  std::optional<std::size_t> count;
  std::optional<double> timeoutSeconds;  // restarts with every byte; default: none
  // Opens a port of our own for a sender to connect to, rather than reading from a port there
  // is; also what happens when no --port is given and there is no port to read from.
  bool listen = false;
};

int Ports(const MidiOptions& options, Console console);
int Send(const Path& file, const SendOptions& options, Console console);
int Receive(const ReceiveOptions& options, Console console);
// All Notes Off and All Sound Off on every channel of one output port.
int Panic(const MidiOptions& options, Console console);

}  // namespace zephyl::cli
