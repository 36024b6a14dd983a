#include <gtest/gtest.h>

#include <map>
#include <set>

#include "CInputDeviceMenu.h"
#include "COutputDeviceMenu.h"
#include "FakeMidiLibrary.h"
#include "MidiStartup.h"

namespace zephyl::test {
namespace {

// Records the events a port passes on.
class RecordingInPort final : public CMidiInPort {
 public:
  using CMidiInPort::CMidiInPort;
  std::vector<std::uint8_t> seen;

 protected:
  bool OnMidiEvent(const MidiEvent& event) override {
    seen.push_back(event.data1);
    return true;
  }
};

// A menu bar of popups, each a list of items; Items() reads "101:in A* 102:in B " with a star
// on the marked item.
class RecordingMenuHost final : public DeviceMenuHost {
 public:
  struct Popup {
    std::string title;
    std::vector<std::pair<CommandId, std::string>> items;
    std::set<CommandId> checked;
  };
  std::vector<std::string> bar{"&File", "&SysEx", "&Help"};
  std::map<MenuHandle, Popup> popups;

  int PopupCount() override { return static_cast<int>(bar.size()); }
  MenuHandle InsertPopup(int position, std::string_view title) override {
    bar.insert(bar.begin() + position, std::string(title));
    popups[static_cast<MenuHandle>(popups.size())] = {std::string(title), {}, {}};
    return static_cast<MenuHandle>(popups.size()) - 1;
  }
  void AppendItem(MenuHandle menu, CommandId id, std::string_view text) override {
    popups.at(menu).items.emplace_back(id, text);
  }
  void CheckItem(MenuHandle menu, CommandId id, bool checked) override {
    if (checked) {
      popups.at(menu).checked.insert(id);
    } else {
      popups.at(menu).checked.erase(id);
    }
  }
  std::string Items(MenuHandle menu) const {
    std::string text;
    for (const auto& [id, name] : popups.at(menu).items) {
      text += std::to_string(id) + ':' + name + (popups.at(menu).checked.count(id) ? "* " : " ");
    }
    return text;
  }
};
constexpr MenuHandle kInputMenu = 0;
constexpr MenuHandle kOutputMenu = 1;

TEST(MidiPortTest, OpenCloseAndDrainFollowTheLibrarysResults) {
  FakeMidiLibrary library;
  library.inputs = {"in A", "in B"};
  library.outputs = {"out A"};
  library.failingInputs = {1};
  {
    RecordingInPort in(library);
    CMidiOutPort out(library);
    // A closed output takes everything and sends nothing; a failed open leaves it closed.
    EXPECT_TRUE(out.Put(MidiEvent{}));
    EXPECT_FALSE(out.Open(3, kMenuOpenOptions));
    EXPECT_FALSE(in.Open(1, kMenuOpenOptions));
    in.Start();
    in.OnMidiInData();
    EXPECT_FALSE(in.IsOpen());
    EXPECT_FALSE(in.IsRunning());

    ASSERT_TRUE(in.Open(0, kMenuOpenOptions));
    const MidiHandle inHandle = library.lastOpened;
    // Open on an open port keeps its device, whatever device is asked for.
    EXPECT_TRUE(in.Open(1, kStartupOpenOptions));
    EXPECT_EQ(library.ports.at(inHandle).device, 0);
    in.Start();
    in.OnMidiInData();  // nothing queued: nothing passed on
    EXPECT_TRUE(in.seen.empty());
    library.Arrive(inHandle, {0xF0, 0x33, 0x01, 0xF7});  // all within one notification, in order
    EXPECT_EQ(in.seen, (std::vector<std::uint8_t>{0xF0, 0x33, 0x01, 0xF7}));

    ASSERT_TRUE(out.Open(0, kMenuOpenOptions));
    const MidiHandle outHandle = library.lastOpened;
    library.ports.at(outHandle).room = 0;
    EXPECT_FALSE(out.Put(MidiEvent{}));
    library.calls.clear();
    in.Close();
    in.Close();
    EXPECT_TRUE(library.ports.count(outHandle) == 1);
  }
  // Input stops before it closes; output resets before it closes, here at destruction.
  EXPECT_EQ(library.calls, (std::vector<std::string>{"StopMidiIn 100", "CloseMidiIn 100",
                                                     "ResetMidiOut 101", "CloseMidiOut 101"}));
}

struct MenuCase {
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  std::optional<std::string> mapper;
  std::set<MidiDevice> failingInputs;
  std::set<MidiDevice> failingOutputs;
  std::string inputItems;
  std::string outputItems;
  std::vector<std::string> opens;
};

TEST(DeviceMenuTest, StartUpBuildsBothMenusAndOpensTheFirstDevices) {
  const MenuCase cases[] = {
      {{"in A", "in B"},
       {"out A"},
       std::nullopt,
       {},
       {},
       "101:in A* 102:in B ",
       "103:out A* ",
       {"OpenMidiIn 0 33320 -> 100", "OpenMidiOut 0 33320 -> 101"}},
      // Output ids start at 102 at least; the mapper takes the id after the last device.
      {{},
       {"out A", "out B"},
       "Mapper",
       {},
       {},
       "",
       "102:out A* 103:out B 104:Mapper ",
       {"OpenMidiOut 0 33320 -> 100", "OpenMidiIn 0 13320 -> 2"}},
      // With only a mapper, start-up opens the mapper device.
      {{"in A"},
       {},
       "Mapper",
       {},
       {},
       "101:in A* ",
       "102:Mapper* ",
       {"OpenMidiIn 0 33320 -> 100", "OpenMidiOut 65535 33320 -> 101"}},
      // A failed input is marked all the same; a failed output is not, and start-up tries
      // device 0 once more.
      {{"in A"},
       {"out A"},
       std::nullopt,
       {0},
       {0},
       "101:in A* ",
       "102:out A ",
       {"OpenMidiIn 0 33320 -> 2", "OpenMidiOut 0 33320 -> 2", "OpenMidiOut 0 13320 -> 2",
        "OpenMidiIn 0 13320 -> 2"}},
      {{},
       {},
       std::nullopt,
       {},
       {},
       "",
       "",
       {"OpenMidiOut 0 13320 -> 2", "OpenMidiIn 0 13320 -> 2"}},
  };
  for (const MenuCase& c : cases) {
    FakeMidiLibrary library;
    library.inputs = c.inputs;
    library.outputs = c.outputs;
    library.mapper = c.mapper;
    library.failingInputs = c.failingInputs;
    library.failingOutputs = c.failingOutputs;
    RecordingMenuHost host;
    CMidiInPort in(library);
    CMidiOutPort out(library);
    CInputDeviceMenu inputMenu;
    COutputDeviceMenu outputMenu;
    StartMidi(host, library, inputMenu, outputMenu, in, out);

    EXPECT_EQ(host.bar, (std::vector<std::string>{"&File", "&SysEx", "&Input Device",
                                                  "&Output Device", "&Help"}));
    EXPECT_EQ(host.Items(kInputMenu), c.inputItems);
    EXPECT_EQ(host.Items(kOutputMenu), c.outputItems);
    std::vector<std::string> opens;
    for (const std::string& call : library.calls) {
      if (call.starts_with("Open")) opens.push_back(call);
    }
    EXPECT_EQ(opens, c.opens) << c.outputItems;
    EXPECT_EQ(in.IsRunning(), in.IsOpen());
  }
}

TEST(DeviceMenuTest, SelectTakesIdsOrIndicesAndMovesTheMark) {
  FakeMidiLibrary library;
  library.inputs = {"in A", "in B", "in C"};
  library.outputs = {"out A", "out B"};
  library.mapper = "Mapper";
  library.failingOutputs = {1};
  RecordingMenuHost host;
  CMidiInPort in(library);
  CMidiOutPort out(library);
  CInputDeviceMenu inputMenu;
  COutputDeviceMenu outputMenu;
  EXPECT_FALSE(inputMenu.Select(101));  // no port yet
  StartMidi(host, library, inputMenu, outputMenu, in, out);
  ASSERT_EQ(outputMenu.MapperId(), 106);

  struct Step {
    int command;
    bool input;  // which menu takes it
    bool taken;
    std::string inputItems;
    std::string outputItems;
  };
  const Step steps[] = {
      {103, true, true, "101:in A 102:in B 103:in C* ", "104:out A* 105:out B 106:Mapper "},
      {1, true, true, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
      {106, false, true, "101:in A 102:in B* 103:in C ", "104:out A 105:out B 106:Mapper* "},
      // A device that does not open leaves no output item marked.
      {105, false, true, "101:in A 102:in B* 103:in C ", "104:out A 105:out B 106:Mapper "},
      {0, false, true, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
      {107, false, false, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
      {57600, true, false, "101:in A 102:in B* 103:in C ", "104:out A* 105:out B 106:Mapper "},
  };
  for (const Step& step : steps) {
    const bool taken =
        step.input ? inputMenu.Select(step.command) : outputMenu.Select(step.command);
    EXPECT_EQ(taken, step.taken) << step.command;
    EXPECT_EQ(host.Items(kInputMenu), step.inputItems) << step.command;
    EXPECT_EQ(host.Items(kOutputMenu), step.outputItems) << step.command;
  }
  EXPECT_FALSE(outputMenu.Select(101));  // an input id is not the output menu's
  // Choosing the marked item again closes and reopens the same device.
  library.calls.clear();
  EXPECT_TRUE(inputMenu.Select(102));
  EXPECT_EQ(library.calls,
            (std::vector<std::string>{"StopMidiIn 103", "StopMidiIn 103", "CloseMidiIn 103",
                                      "OpenMidiIn 1 33320 -> 106", "StartMidiIn 106"}));
  EXPECT_EQ(library.ports.at(library.lastOpened).device, 1);
}

TEST(DeviceMenuTest, OutputIdsStartAfterTheInputIds) {
  const std::pair<int, CommandId> cases[] = {{0, 102}, {1, 102}, {2, 103}, {5, 106}};
  for (const auto& [inputs, first] : cases) {
    EXPECT_EQ(COutputDeviceMenu::FirstId(inputs), first) << inputs;
  }
}

}  // namespace
}  // namespace zephyl::test
