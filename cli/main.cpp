// zephyl-cli: the bank and breeding operations of the editor, for scripts and headless use.
#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <iostream>
#include <limits>
#include <random>

#include "BreedingSettings.h"
#include "CliCommands.h"
#include "CliSupport.h"
#include "MidiCommands.h"
#include "RenderCommand.h"
#include "WholeNumberRule.h"
#include "ZephylVersion.h"

namespace {

using namespace zephyl::cli;

constexpr int kMaxPatchCount = 1000000;
constexpr std::chrono::milliseconds kMaxGap = std::chrono::minutes(1);
constexpr std::chrono::seconds kMaxQuietTime = std::chrono::hours(24);

constexpr WholeNumberRule kPatchNumber{.min = 1, .note = "patches are counted from 1"};
constexpr WholeNumberRule kMutation{.min = zephyl::kMutationChanceRange.min,
                                    .max = zephyl::kMutationChanceRange.max,
                                    .noun = "percent"};
constexpr WholeNumberRule kChildren{.min = zephyl::kChildrenPerParentRange.min,
                                    .max = zephyl::kChildrenPerParentRange.max};
constexpr WholeNumberRule kPatchCount{.min = 1, .max = kMaxPatchCount};
constexpr WholeNumberRule kChannel{.min = 1, .max = zephyl::kMidiChannelCount};
constexpr WholeNumberRule kGap{.min = 0, .max = kMaxGap.count(), .noun = "number of milliseconds"};
constexpr WholeNumberRule kQuietTime{
    .min = 1, .max = kMaxQuietTime.count(), .noun = "number of seconds"};
constexpr WholeNumberRule kParameter{.min = 0, .max = kLastParameter};
constexpr WholeNumberRule kScale{.min = 1, .max = kMaxRenderScale};
constexpr WholeNumberRule kSeed{.min = 0, .max = std::numeric_limits<std::uint32_t>::max()};

// A check that refuses a bad number in plain words, and shows the bounds in the help.
CLI::Validator Whole(const WholeNumberRule& rule) {
  return {[rule](const std::string& text) { return rule.Refusal(text); }, rule.Bounds()};
}

// Seeds from a source that differs for runs in the same second, and says so that a run can be
// repeated.
std::uint32_t SeedOrFresh(const std::optional<std::uint32_t>& seed) {
  if (seed) return *seed;
  const std::uint32_t fresh = std::random_device{}();
  std::cerr << "Seed: " << fresh << '\n';
  return fresh;
}

}  // namespace

int main(int argc, char** argv) {
  // Writes to a closed pipe fail with EPIPE rather than kill the program, so that each is
  // handled where it happens: a reader of our output that went away ends the program quietly,
  // a MIDI system that went away is reported.
  std::signal(SIGPIPE, SIG_IGN);
  CLI::App app{
      "Zephyl: patch banks and breeding for the NordLead, from the command line.\n"
      "Bank files are rows of 139-byte program dumps (.zpf or .syx); \"-\" is standard input\n"
      "or output."};
  // Checked after parsing, so that an unknown command is reported as such.
  app.require_subcommand(0, 1);
  app.set_help_all_flag("--help-all", "Print this help message with every command's and exit");
  app.set_version_flag("--version", std::string("zephyl-cli ") + zephyl::kVersion);
  const Console console{std::cout, std::cerr};
  int status = kExitOk;

  std::vector<Path> files;
  Path file;
  Path output;
  std::optional<std::uint32_t> seed;

  auto* info =
      app.add_subcommand("info", "Count the program dumps in files and show their headers");
  info->add_option("FILE", files, "Bank or SysEx files")->required();
  info->callback([&] { status = Info(files, console); });

  DumpOptions dumpOptions;
  auto* dump = app.add_subcommand("dump", "Print the 66 parameter values of each patch");
  dump->add_option("FILE", file, "Bank or SysEx file")->required();
  dump->add_option("--patch", dumpOptions.patch, "Only this patch, counted from 1")
      ->check(Whole(kPatchNumber));
  dump->add_flag("--json", dumpOptions.json, "Print JSON instead of a table");
  dump->callback([&] { status = Dump(file, dumpOptions, console); });

  auto* merge = app.add_subcommand("merge", "Load files into one bank, in order, and save it");
  merge->add_option("-o,--output", output, "Bank file to write")->required();
  merge->add_option("FILE", files, "Bank or SysEx files")->required();
  merge->callback([&] { status = Merge(files, output, console); });

  BreedOptions breed;
  auto* procreate = app.add_subcommand("procreate", "Breed one generation from a bank");
  procreate->add_option("FILE", file, "Bank of parents")->required();
  procreate->add_option("-o,--output", output, "Bank file for the children")->required();
  procreate->add_option("--children", breed.children, "Children per parent")
      ->capture_default_str()
      ->check(Whole(kChildren));
  procreate->add_option("--mutation", breed.mutation, "Chance of mutation, percent")
      ->capture_default_str()
      ->check(Whole(kMutation));
  procreate->add_option("--seed", seed, "Random seed (default: a fresh one, printed)")
      ->check(Whole(kSeed));
  procreate->callback([&] { status = Procreate(file, output, breed, SeedOrFresh(seed), console); });

  std::size_t count = 1;
  auto* random = app.add_subcommand("random", "Write a bank of random patches");
  random->add_option("-o,--output", output, "Bank file to write")->required();
  random->add_option("--count", count, "Number of patches")
      ->capture_default_str()
      ->check(Whole(kPatchCount));
  random->add_option("--seed", seed, "Random seed (default: a fresh one, printed)")
      ->check(Whole(kSeed));
  random->callback([&] { status = Random(output, count, SeedOrFresh(seed), console); });

  auto* invert = app.add_subcommand("invert", "Mirror every value of every patch in its range");
  invert->add_option("FILE", file, "Bank file")->required();
  invert->add_option("-o,--output", output, "Bank file to write")->required();
  invert->add_option("--seed", seed, "Accepted for symmetry; inverting draws nothing")
      ->check(Whole(kSeed));
  invert->callback([&] { status = Invert(file, output, console); });

  auto* modify = app.add_subcommand("modify", "Nudge every value of every patch by 0 to 4");
  modify->add_option("FILE", file, "Bank file")->required();
  modify->add_option("-o,--output", output, "Bank file to write")->required();
  modify->add_option("--seed", seed, "Random seed (default: a fresh one, printed)")
      ->check(Whole(kSeed));
  modify->callback([&] { status = Modify(file, output, SeedOrFresh(seed), console); });

  bool syx = false;
  Path folder;
  auto* explode = app.add_subcommand("explode", "Write each patch to a file of its own, nordN.zpf");
  explode->add_option("FILE", file, "Bank file")->required();
  explode->add_flag("--syx", syx, "Name the files nordN.syx");
  explode->add_option("--dir", folder, "Folder for the files (default: the current folder)");
  explode->callback([&] { status = Explode(file, syx, folder, console); });

  // MIDI
  const std::vector<std::string> apis = {"alsa", "jack", "none"};
  auto addMidiOptions = [&apis](CLI::App* command, MidiOptions& options, const char* portHelp) {
    command->add_option("--api", options.api, "MIDI system: alsa, jack or none")
        ->check(CLI::IsMember(apis));
    command->add_option("--port", options.port, portHelp);
  };
  MidiOptions portsOptions;
  auto* ports = app.add_subcommand("ports", "List the MIDI input and output ports");
  ports->add_option("--api", portsOptions.api, "MIDI system: alsa, jack or none")
      ->check(CLI::IsMember(apis));
  ports->callback([&] { status = Ports(portsOptions, console); });

  SendOptions sendOptions;
  auto* send = app.add_subcommand("send", "Send patches to the instrument as program dumps");
  send->add_option("FILE", file, "Bank or SysEx file")->required();
  send->add_option("--patch", sendOptions.patch, "Only this patch, counted from 1")
      ->check(Whole(kPatchNumber));
  addMidiOptions(send, sendOptions.midi,
                 "Output port: its name or part of it (default: the first port)");
  send->add_option("--channel", sendOptions.channel, "Global MIDI channel of the dumps")
      ->capture_default_str()
      ->check(Whole(kChannel));
  send->add_option("--slot", sendOptions.slot, "Slot of the instrument: A, B, C or D")
      ->capture_default_str()
      ->check(CLI::IsMember({'A', 'B', 'C', 'D', 'a', 'b', 'c', 'd'}));
  send->add_option("--gap", sendOptions.gapMs, "Pause after each dump, ms (default: 20)")
      ->check(Whole(kGap));
  send->add_flag("--no-pacing", sendOptions.noPacing,
                 "Do not hold output to the speed of a MIDI cable");
  send->callback([&] { status = Send(file, sendOptions, console); });

  ReceiveOptions receiveOptions;
  auto* receive = app.add_subcommand("receive", "Receive program dumps and save them as a bank");
  receive->add_option("-o,--output", receiveOptions.output, "Bank file to write")->required();
  addMidiOptions(receive, receiveOptions.midi,
                 "Input port: its name or part of it (default: the first port)");
  receive->add_option("--count", receiveOptions.count, "Stop when this many dumps are in")
      ->check(Whole(kPatchCount));
  receive
      ->add_option("--timeout", receiveOptions.timeoutSeconds,
                   "Stop when nothing arrives for this many seconds")
      ->check(Whole(kQuietTime));
  receive
      ->add_flag("--listen", receiveOptions.listen,
                 "Open a port of our own, \"Zephyl:receive\", for a sender to connect to "
                 "(the default when there is no port to read from)")
      ->excludes("--port");
  receive->callback([&] { status = Receive(receiveOptions, console); });

  MidiOptions panicOptions;
  auto* panic = app.add_subcommand(
      "panic", "Stop every sounding note: All Notes Off and All Sound Off on all 16 channels");
  addMidiOptions(panic, panicOptions,
                 "Output port: its name or part of it (default: the first port)");
  panic->callback([&] { status = Panic(panicOptions, console); });

  // Panel
  RenderOptions render;
  std::string slot = "A";
  auto* renderCommand = app.add_subcommand("render", "Draw the front panel for a patch into a PNG");
  renderCommand->add_option("FILE", file, "Bank or SysEx file")->required();
  renderCommand->add_option("-o,--output", output, "PNG file to write")->required();
  renderCommand->add_option("--patch", render.patch, "The patch to draw, counted from 1")
      ->check(Whole(kPatchNumber));
  renderCommand->add_flag("--morph", render.morph, "Knobs show the morph amounts");
  renderCommand->add_option("--slot", slot, "The selected slot")
      ->capture_default_str()
      ->check(CLI::IsMember({"A", "B", "C", "D"}, CLI::ignore_case));
  renderCommand->add_option("--param", render.parameter, "The parameter in the value display")
      ->capture_default_str()
      ->check(Whole(kParameter));
  renderCommand->add_option("--scale", render.scale, "Size factor: 2 gives a crisp double size")
      ->capture_default_str()
      ->check(Whole(kScale));
  renderCommand->callback([&] {
    render.slot = static_cast<char>(std::toupper(static_cast<unsigned char>(slot[0])));
    status = Render(file, output, render, console);
  });

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kExitBadUsage;
  }
  if (app.get_subcommands().empty()) {
    std::cerr << "A command is required\n" << app.help();
    return kExitBadUsage;
  }
  // Results that did not all reach their reader are a failure as well, but for a reader that
  // took what it wanted and closed the pipe.
  if (!std::cout.flush()) {
    const int error = errno;
    if (error == EPIPE || StandardOutputClosed()) EndForClosedPipe();
    std::cerr << "Cannot write \"-\": " << std::strerror(error) << '\n';
    return kExitFailed;
  }
  return status;
}
