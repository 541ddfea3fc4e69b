#include "host/editor_commands.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "host/window_editor.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/view/ViewPane.h"
#include "platform/view/ViewTypes.h"

const char EditorCommands::kUsage[] =
    "                           editor commands (one a line; each answers one line, or\n"
    "                           \"error: ...\"; MODS: shift, control, option, command):\n"
    "                             click X Y [MODS], right-click X Y [MODS],\n"
    "                             double-click X Y [MODS]      at window coordinates\n"
    "                             drag X1 Y1 X2 Y2 [STEPS] [MODS]  left button, STEPS moves (10)\n"
    "                             press X Y [MODS], move X Y [MODS], release X Y [MODS]\n"
    "                                                          a drag by hand, one event each\n"
    "                             wheel X Y STEPS [MODS]       up when positive, down when negative\n"
    "                             key NAME [MODS]              up, down, left, right, space, return,\n"
    "                                                          enter, tab, backspace, delete, escape,\n"
    "                                                          home, end, or one character\n"
    "                             type TEXT                    each character as one key\n"
    "                             menu PATH                    choose in the open popup menu by the\n"
    "                                                          entries' titles: \"Item>Sub item\"\n"
    "                             set-param ID VALUE, get-param ID\n"
    "                             set-param-text ID TEXT       the value the parameter shows as TEXT\n"
    "                                                          (MIDI ports by their names)\n"
    "                             get-param-text ID            the text shown for the value\n"
    "                             wait MS                      run the editor's events this long\n"
    "                             play, stop                   start or stop the host's transport\n"
    "                             sync, png FILE, bitmap-png FILE, quit\n";

namespace {

// The most values walked to find a text.
constexpr int kMostValuesSearched = 4096;
// Script time between two separate clicks: never a double click.
constexpr uint32_t kClickSpacingMs = 1000;

std::string TextOf(CFStringRef string) {
  char buffer[1024] = {0};
  if (!string || !CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8)) return "";
  return buffer;
}

bool ParseInt(const std::string& text, long minimum, long maximum, long* value) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = strtol(text.c_str(), &end, 10);
  if (*end || errno == ERANGE || v < minimum || v > maximum) return false;
  *value = v;
  return true;
}

bool ParseFloat(const std::string& text, float* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = strtod(text.c_str(), &end);
  if (*end || !std::isfinite(v) || std::fabs(v) > 3.4e38) return false;
  *value = static_cast<float>(v);
  return true;
}

struct SpecialKeyName {
  const char* name;
  ViewSpecialKey key;
};
const SpecialKeyName kKeys[] = {
    {"up", kViewSpecialUp},         {"down", kViewSpecialDown},     {"left", kViewSpecialLeft},
    {"right", kViewSpecialRight},   {"space", kViewSpecialSpace},   {"return", kViewSpecialReturn},
    {"enter", kViewSpecialEnter},   {"tab", kViewSpecialTab},       {"backspace", kViewSpecialBackspace},
    {"delete", kViewSpecialDelete}, {"escape", kViewSpecialEscape}, {"home", kViewSpecialHome},
    {"end", kViewSpecialEnd},
};

// The bytes of each UTF-8 character of text; false for a broken sequence.
bool SplitCharacters(const std::string& text, std::vector<std::string>* characters) {
  for (size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const size_t length = lead < 0x80         ? 1
                          : (lead >> 5) == 6  ? 2
                          : (lead >> 4) == 14 ? 3
                          : (lead >> 3) == 30 ? 4
                                              : 0;
    if (length == 0 || i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    characters->push_back(text.substr(i, length));
    i += length;
  }
  return true;
}

// The port name in a MIDI port's text: after the client's name and its
// colon, without an address "client:port" in numbers at the end (ALSA's
// "varno-sim:Varno In 128:0" and JACK's "varno-sim:Varno In" give "Varno In").
std::string PortNameOf(std::string text) {
  const size_t blank = text.rfind(' ');
  if (blank != std::string::npos) {
    const std::string tail = text.substr(blank + 1);
    const size_t colon = tail.find(':');
    if (colon != std::string::npos && colon > 0 && colon + 1 < tail.size() &&
        tail.find_first_not_of("0123456789:") == std::string::npos)
      text.erase(blank);
  }
  const size_t colon = text.find(':');
  return colon == std::string::npos ? "" : text.substr(colon + 1);
}

// A key event for one character (space as its special key).
ViewEvent CharacterKey(const std::string& character, uint32_t modifiers) {
  ViewEvent key;
  key.kind = ViewEvent::kKeyPress;
  key.modifiers = modifiers;
  if (character == " ") key.special = kViewSpecialSpace;
  snprintf(key.text, sizeof key.text, "%s", character.c_str());
  key.textCharacters = 1;
  return key;
}

}  // namespace

// The words of a command line, and the text after the command word.
struct EditorCommands::Words {
  std::vector<std::string> list;
  std::string rest;

  explicit Words(const std::string& line) {
    std::istringstream stream(line);
    for (std::string word; stream >> word;) list.push_back(word);
    const size_t start = line.find_first_not_of(' ');
    const size_t gap = start == std::string::npos ? std::string::npos : line.find(' ', start);
    rest = gap == std::string::npos ? "" : line.substr(gap + 1);
  }
  size_t Count() const { return list.size() - 1; }  // arguments
  const std::string& operator[](size_t i) const { return list[i]; }

  // Modifier names from word first on; false for a word that is none.
  bool Modifiers(size_t first, uint32_t* modifiers) const {
    *modifiers = 0;
    for (size_t i = first; i < list.size(); ++i) {
      if (list[i] == "shift")
        *modifiers |= kViewShift;
      else if (list[i] == "control")
        *modifiers |= kViewControl;
      else if (list[i] == "option")
        *modifiers |= kViewOption;
      else if (list[i] == "command")
        *modifiers |= kViewCommand;
      else
        return false;
    }
    return true;
  }
};

EditorCommands::EditorCommands(EditorWindow* window, AudioUnit unit, EditorCommandHost* host, FILE* out)
    : m_window(window), m_pane(window->Pane()), m_unit(unit), m_host(host), m_out(out) {}

EditorCommands::~EditorCommands() {
  if (m_pane) m_pane->SetInputHook(nullptr, nullptr);
}

bool EditorCommands::ReadLine(std::string* line) {
  char buffer[4096];
  if (!m_in || !fgets(buffer, sizeof buffer, m_in)) return false;
  *line = buffer;
  while (!line->empty() && (line->back() == '\n' || line->back() == '\r')) line->pop_back();
  return true;
}

void EditorCommands::Reply(const std::string& text) {
  fprintf(m_out, "%s\n", text.c_str());
  fflush(m_out);
}

bool EditorCommands::Run(FILE* in) {
  m_in = in;
  m_quit = false;
  m_allOk = true;
  if (m_pane) m_pane->SetInputHook(&EditorCommands::MenuWaiting, this);
  std::string line;
  while (!m_quit && ReadLine(&line)) Execute(line);
  if (m_pane) m_pane->SetInputHook(nullptr, nullptr);
  return m_allOk;
}

bool EditorCommands::Execute(const std::string& line) {
  const Words words(line);
  if (words.list.empty() || words[0][0] == '#') return true;
  const std::string& command = words[0];
  std::string reply, error;
  bool ok = true;
  bool replied = false;
  if (command == "quit" && words.Count() == 0) {
    m_quit = true;
    // An open menu closes without a choice.
    if (m_depth > 0) {
      ViewEvent escape;
      escape.kind = ViewEvent::kKeyPress;
      escape.special = kViewSpecialEscape;
      for (int i = m_pane->MenuLevelCount(); i > 0; --i) Post(escape);
    }
    reply = "bye";
  } else if (command == "sync" && words.Count() == 0) {
    if (m_depth == 0) m_window->Sync();
    reply = "synced";
  } else if ((command == "png" || command == "bitmap-png") && !words.rest.empty()) {
    ok = m_window->WritePng(words.rest, command == "bitmap-png", &error);
    reply = "wrote " + words.rest;
  } else if (command == "wait" && words.Count() == 1) {
    long ms = 0;
    if (!ParseInt(words[1], 0, 600000, &ms)) {
      ok = false;
      error = "wait takes 0 to 600000 milliseconds";
    } else {
      // Inside a menu the menu's own loop runs the editor; the script only pauses.
      if (m_depth == 0)
        m_window->Pump(static_cast<int>(ms));
      else
        m_window->Pause(static_cast<int>(ms));
      reply = "waited " + words[1] + " ms";
    }
  } else if (command == "play" || command == "stop") {
    if (words.Count() != 0 || !m_host || !m_host->SetPlaying(command == "play")) {
      ok = false;
      error = "the host's transport cannot be " + std::string(command == "play" ? "started" : "stopped");
    } else {
      reply = command == "play" ? "playing" : "stopped";
    }
  } else if (command == "menu") {
    ok = ChooseMenu(words.rest, &reply, &error);
    replied = ok;  // answered when the walk ends
  } else if (command == "set-param" || command == "get-param" || command == "set-param-text" ||
             command == "get-param-text") {
    ok = Parameter(command, words, &reply, &error);
  } else if (command == "click" || command == "right-click" || command == "double-click" ||
             command == "drag" || command == "press" || command == "move" || command == "release" ||
             command == "wheel" || command == "key" || command == "type") {
    ok = Input(command, words, &reply, &error);
    if (ok && m_depth == 0) {
      // The reply waits for the input's handling, unless that opens a menu:
      // then it goes out as the menu opens, so that a script can walk it.
      m_pendingReply = reply;
      Deliver();
      if (m_pendingReply.empty()) replied = true;
      m_pendingReply.clear();
    }
  } else {
    ok = false;
    error = "unknown editor command \"" + line + "\" (see vivivi-host --help)";
  }
  if (!ok) {
    Reply("error: " + error);
    m_allOk = false;
  } else if (!replied) {
    Reply(reply);
  }
  return ok;
}

// ---- Input ---------------------------------------------------------------------------

void EditorCommands::Post(ViewEvent event) {
  if (event.time == 0) event.time = m_eventTime;
  m_pane->PostInput(event);
}

void EditorCommands::Pointer(int kind, int x, int y, int button, uint32_t modifiers) {
  ViewEvent event;
  event.kind = static_cast<ViewEvent::Kind>(kind);
  event.x = x;
  event.y = y;
  event.button = button;
  event.modifiers = modifiers;
  Post(event);
}

void EditorCommands::Deliver() {
  if (m_pane) m_pane->RunPending();
}

bool EditorCommands::Input(const std::string& command, const Words& words, std::string* reply,
                           std::string* error) {
  if (!m_pane) return *error = "no editor is open", false;
  long v[5] = {0};
  uint32_t modifiers = 0;
  auto numbers = [&](size_t count) {
    for (size_t i = 0; i < count; ++i)
      if (!ParseInt(words[i + 1], -100000, 100000, &v[i])) return false;
    return true;
  };
  const int x = 0, y = 1;
  if (command == "click" || command == "right-click" || command == "double-click") {
    if (words.Count() < 2 || !numbers(2) || !words.Modifiers(3, &modifiers))
      return *error = command + " takes X Y and modifiers", false;
    const int button = command == "right-click" ? 3 : 1;
    m_eventTime += kClickSpacingMs;
    Pointer(ViewEvent::kMotion, static_cast<int>(v[x]), static_cast<int>(v[y]), 0, modifiers);
    const int clicks = command == "double-click" ? 2 : 1;
    for (int c = 0; c < clicks; ++c) {
      Pointer(ViewEvent::kButtonPress, static_cast<int>(v[x]), static_cast<int>(v[y]), button, modifiers);
      m_eventTime += 50;
      Pointer(ViewEvent::kButtonRelease, static_cast<int>(v[x]), static_cast<int>(v[y]), button, modifiers);
      m_eventTime += 50;
    }
    *reply = (command == "click"         ? "clicked"
              : command == "right-click" ? "right-clicked"
                                         : "double-clicked") +
             std::string(" ") + words[1] + " " + words[2];
    return true;
  }
  if (command == "drag") {
    if (words.Count() < 4 || !numbers(4)) return *error = "drag takes X1 Y1 X2 Y2 [STEPS] [MODS]", false;
    size_t next = 5;
    long steps = 10;
    if (words.Count() >= 5 && ParseInt(words[5], 1, 10000, &steps)) next = 6;
    if (!words.Modifiers(next, &modifiers)) return *error = "drag takes X1 Y1 X2 Y2 [STEPS] [MODS]", false;
    m_eventTime += kClickSpacingMs;
    Pointer(ViewEvent::kMotion, static_cast<int>(v[0]), static_cast<int>(v[1]), 0, modifiers);
    Pointer(ViewEvent::kButtonPress, static_cast<int>(v[0]), static_cast<int>(v[1]), 1, modifiers);
    for (long s = 1; s <= steps; ++s) {
      m_eventTime += 10;
      const int px = static_cast<int>(v[0] + (v[2] - v[0]) * s / steps);
      const int py = static_cast<int>(v[1] + (v[3] - v[1]) * s / steps);
      Pointer(ViewEvent::kMotion, px, py, 0, modifiers | kViewButton1Held);
    }
    m_eventTime += 10;
    Pointer(ViewEvent::kButtonRelease, static_cast<int>(v[2]), static_cast<int>(v[3]), 1, modifiers);
    *reply = "dragged from " + words[1] + " " + words[2] + " to " + words[3] + " " + words[4];
    return true;
  }
  if (command == "press" || command == "move" || command == "release") {
    if (words.Count() < 2 || !numbers(2) || !words.Modifiers(3, &modifiers))
      return *error = command + " takes X Y and modifiers", false;
    if (command == "press" && m_buttonDown) return *error = "the button is down already", false;
    if (command == "release" && !m_buttonDown) return *error = "the button is not down", false;
    const int px = static_cast<int>(v[x]), py = static_cast<int>(v[y]);
    if (command == "press") {
      // Never the second click of a double click.
      m_eventTime += kClickSpacingMs;
      Pointer(ViewEvent::kMotion, px, py, 0, modifiers);
      Pointer(ViewEvent::kButtonPress, px, py, 1, modifiers);
      m_buttonDown = true;
      *reply = "pressed at " + words[1] + " " + words[2];
    } else if (command == "move") {
      m_eventTime += 10;
      const uint32_t held = m_buttonDown ? static_cast<uint32_t>(kViewButton1Held) : 0u;
      Pointer(ViewEvent::kMotion, px, py, 0, modifiers | held);
      *reply = "moved to " + words[1] + " " + words[2];
    } else {
      m_eventTime += 10;
      Pointer(ViewEvent::kButtonRelease, px, py, 1, modifiers);
      m_buttonDown = false;
      *reply = "released at " + words[1] + " " + words[2];
    }
    return true;
  }
  if (command == "wheel") {
    if (words.Count() < 3 || !numbers(3) || v[2] == 0 || !words.Modifiers(4, &modifiers))
      return *error = "wheel takes X Y STEPS (not 0) and modifiers", false;
    Pointer(ViewEvent::kMotion, static_cast<int>(v[x]), static_cast<int>(v[y]), 0, modifiers);
    for (long s = 0; s < std::labs(v[2]); ++s) {
      m_eventTime += 10;
      Pointer(ViewEvent::kButtonPress, static_cast<int>(v[x]), static_cast<int>(v[y]), v[2] > 0 ? 4 : 5,
              modifiers);
    }
    *reply = "wheeled " + words[3] + " at " + words[1] + " " + words[2];
    return true;
  }
  if (command == "key") {
    if (words.Count() < 1 || !words.Modifiers(2, &modifiers))
      return *error = "key takes NAME and modifiers", false;
    const std::string& name = words[1];
    ViewEvent key;
    key.kind = ViewEvent::kKeyPress;
    key.modifiers = modifiers;
    for (const SpecialKeyName& k : kKeys)
      if (name == k.name) key.special = k.key;
    if (key.special == kViewSpecialNone) {
      std::vector<std::string> characters;
      if (!SplitCharacters(name, &characters) || characters.size() != 1)
        return *error = "unknown key \"" + name + "\"", false;
      key = CharacterKey(characters[0], modifiers);
    }
    m_eventTime += 10;
    Post(key);
    *reply = "pressed " + name;
    return true;
  }
  // type
  std::vector<std::string> characters;
  if (words.rest.empty() || !SplitCharacters(words.rest, &characters))
    return *error = "type takes a UTF-8 text", false;
  for (const std::string& character : characters) {
    m_eventTime += 10;
    Post(CharacterKey(character, 0));
  }
  *reply = "typed " + std::to_string(characters.size()) + " characters";
  return true;
}

// ---- Popup menus ------------------------------------------------------------------------

bool EditorCommands::MenuWaiting(void* self) { return static_cast<EditorCommands*>(self)->OnMenuWaiting(); }

bool EditorCommands::OnMenuWaiting() {
  if (!m_menuPath.empty()) return ContinueMenuWalk();
  if (!m_pendingReply.empty()) {
    Reply(m_pendingReply + ": a menu is open");
    m_pendingReply.clear();
  }
  if (m_quit) return false;
  std::string line;
  if (!ReadLine(&line)) {
    m_quit = true;
    return false;
  }
  ++m_depth;
  Execute(line);
  --m_depth;
  return true;
}

bool EditorCommands::ChooseMenu(const std::string& path, std::string* reply, std::string* error) {
  if (!m_pane || m_depth == 0 || m_pane->MenuLevelCount() == 0)
    return *error = "no popup menu is open (open one with a click first)", false;
  std::vector<std::string> titles;
  for (size_t start = 0;;) {
    const size_t mark = path.find('>', start);
    titles.push_back(path.substr(start, mark == std::string::npos ? std::string::npos : mark - start));
    if (mark == std::string::npos) break;
    start = mark + 1;
  }
  for (const std::string& title : titles)
    if (title.empty()) return *error = "menu takes a path of entry titles such as \"Item>Sub item\"", false;
  m_menuPath = titles;
  m_menuStep = 0;
  *reply = "chose " + path;
  // The first step now; the menu's loop calls back for the others.
  return ContinueMenuWalk();
}

void EditorCommands::EndMenuWalk() {
  m_menuPath.clear();
  m_menuStep = 0;
}

bool EditorCommands::ContinueMenuWalk() {
  const std::string path = [&] {
    std::string p;
    for (size_t i = 0; i < m_menuPath.size(); ++i) p += (i ? ">" : "") + m_menuPath[i];
    return p;
  }();
  const int level = static_cast<int>(m_menuStep);
  const std::string& title = m_menuPath[m_menuStep];
  std::string error;
  ViewPaneMenuItem item;
  int found = -1;
  std::string shown;
  if (level >= m_pane->MenuLevelCount()) {
    error = "the menu did not open a submenu for \"" + m_menuPath[m_menuStep - 1] + "\"";
  } else {
    for (int i = 0; i < m_pane->MenuItemCount(level) && found < 0; ++i) {
      ViewPaneMenuItem candidate;
      if (!m_pane->MenuItemAt(level, i, &candidate)) continue;
      if (title == candidate.title) {
        found = i;
        item = candidate;
      } else if (candidate.title[0] && shown.size() < 400) {
        shown += std::string(shown.empty() ? "" : ", ") + "\"" + candidate.title + "\"";
      }
    }
    const bool last = m_menuStep + 1 == m_menuPath.size();
    if (found < 0)
      error = "no entry \"" + title + "\" in the menu (it shows " + (shown.empty() ? "nothing" : shown) + ")";
    else if (last && !item.choosable)
      error = "the entry \"" + title + "\" cannot be chosen";
    else if (!last && !item.hasSubmenu)
      error = "the entry \"" + title + "\" opens no submenu";
  }
  if (!error.empty()) {
    Reply("error: " + error);
    m_allOk = false;
    EndMenuWalk();
    // The menu closes without a choice, level by level.
    ViewEvent escape;
    escape.kind = ViewEvent::kKeyPress;
    escape.special = kViewSpecialEscape;
    for (int i = m_pane->MenuLevelCount(); i > 0; --i) Post(escape);
    return true;
  }
  ViewEvent pointer;
  pointer.target = ViewEvent::kMenu;
  pointer.menuLevel = level;
  pointer.rootX = pointer.x = (item.screen.L + item.screen.R) / 2;
  pointer.rootY = pointer.y = (item.screen.T + item.screen.B) / 2;
  pointer.kind = ViewEvent::kMotion;
  m_eventTime += 10;
  Post(pointer);
  if (m_menuStep + 1 < m_menuPath.size()) {
    ++m_menuStep;
    return true;
  }
  pointer.kind = ViewEvent::kButtonPress;
  pointer.button = 1;
  Post(pointer);
  pointer.kind = ViewEvent::kButtonRelease;
  m_eventTime += 50;
  pointer.time = m_eventTime;
  Post(pointer);
  EndMenuWalk();
  Reply("chose " + path);
  return true;
}

// ---- Parameters ------------------------------------------------------------------------

bool EditorCommands::TextOfValue(AudioUnitParameterID id, const float* value, std::string* text) {
  AudioUnitParameterStringFromValue request{};
  request.inParamID = id;
  request.inValue = value;
  uint32_t size = sizeof request;
  if (AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, 0,
                           &request, &size) != noErr ||
      !request.outString)
    return false;
  *text = TextOf(request.outString);
  CFRelease(request.outString);
  return true;
}

bool EditorCommands::FindValueByText(AudioUnitParameterID id, const std::string& text, float* value,
                                     std::string* error) {
  // The unit's own reading of the text first.
  AudioUnitParameterValueFromString request{};
  request.inParamID = id;
  request.inString = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
  request.outValue = NAN;
  uint32_t size = sizeof request;
  const OSStatus status = AudioUnitGetProperty(m_unit, kAudioUnitProperty_ParameterValueFromString,
                                               kAudioUnitScope_Global, 0, &request, &size);
  if (request.inString) CFRelease(request.inString);
  if (status != noErr) return *error = "no parameter " + std::to_string(id), false;
  if (std::isfinite(request.outValue)) {
    *value = request.outValue;
    return true;
  }
  // Else the texts of its values from 0 on (up to the first value shown as
  // its bare number), a MIDI port's by its name after the client's.
  std::string shown;
  for (int v = 0; v < kMostValuesSearched; ++v) {
    const float candidate = static_cast<float>(v);
    std::string t;
    if (!TextOfValue(id, &candidate, &t) || (v > 0 && t == std::to_string(v))) break;
    if (shown.size() < 400) shown += std::string(shown.empty() ? "" : ", ") + "\"" + t + "\"";
    if (PortNameOf(t) == text) {
      *value = candidate;
      return true;
    }
  }
  *error = "parameter " + std::to_string(id) + " shows no \"" + text + "\" (it shows " + shown + ")";
  return false;
}

bool EditorCommands::Parameter(const std::string& command, const Words& words, std::string* reply,
                               std::string* error) {
  long id = 0;
  if (words.Count() < 1 || !ParseInt(words[1], 0, INT32_MAX, &id))
    return *error = command + " takes a parameter ID first", false;
  const AudioUnitParameterID parameter = static_cast<AudioUnitParameterID>(id);
  if (command == "get-param" || command == "get-param-text") {
    if (words.Count() != 1) return *error = command + " takes a parameter ID", false;
    if (command == "get-param-text") {
      std::string text;
      if (!TextOfValue(parameter, nullptr, &text)) return *error = "cannot read parameter " + words[1], false;
      *reply = "parameter " + words[1] + " shows: " + text;
      return true;
    }
    AudioUnitParameterValue value = 0;
    const OSStatus status = AudioUnitGetParameter(m_unit, parameter, kAudioUnitScope_Global, 0, &value);
    if (status != noErr)
      return *error = "cannot read parameter " + words[1] + " (status " + std::to_string(status) + ")", false;
    char text[64];
    snprintf(text, sizeof text, "parameter %ld: %g", id, value);
    *reply = text;
    return true;
  }
  float value = 0;
  std::string valueText;
  if (command == "set-param") {
    if (words.Count() != 2 || !ParseFloat(words[2], &value))
      return *error = "set-param takes ID VALUE", false;
  } else {
    const size_t gap = words.rest.find(' ');
    valueText = gap == std::string::npos ? "" : words.rest.substr(gap + 1);
    if (valueText.empty()) return *error = "set-param-text takes ID TEXT", false;
    if (!FindValueByText(parameter, valueText, &value, error)) return false;
  }
  const OSStatus status = AudioUnitSetParameter(m_unit, parameter, kAudioUnitScope_Global, 0, value, 0);
  if (status != noErr)
    return *error = "cannot set parameter " + words[1] + " (status " + std::to_string(status) + ")", false;
  char text[64];
  snprintf(text, sizeof text, "parameter %ld set to %g", id, value);
  *reply = text + (valueText.empty() ? "" : " (" + valueText + ")");
  return true;
}
