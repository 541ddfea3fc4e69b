// Named pasteboards in memory and the workspace opener.
#include "platform/window/WindowPasteboard.h"

#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>

#include <algorithm>
#include <memory>
#include <thread>

extern char** environ;

const char WmPasteboard::kStringType[] = "public.utf8-plain-text";

namespace {
std::map<std::string, std::unique_ptr<WmPasteboard>>& Boards() {
  static auto* boards = new std::map<std::string, std::unique_ptr<WmPasteboard>>;  // to process exit
  return *boards;
}
}  // namespace

WmPasteboard& WmPasteboard::General() { return Named("general"); }

WmPasteboard& WmPasteboard::Named(const std::string& name) {
  auto& boards = Boards();
  auto it = boards.find(name);
  if (it == boards.end())
    it = boards.emplace(name, std::unique_ptr<WmPasteboard>(new WmPasteboard(name))).first;
  return *it->second;
}

void WmPasteboard::ResetAll() {
  for (auto& board : Boards()) {
    board.second->m_types.clear();
    board.second->m_data.clear();
    board.second->Told();
  }
}

int WmPasteboard::DeclareTypes(const std::vector<std::string>& types) {
  m_types.clear();
  for (const std::string& type : types)
    if (std::find(m_types.begin(), m_types.end(), type) == m_types.end()) m_types.push_back(type);
  m_data.clear();
  ++m_changeCount;
  Told();
  return m_changeCount;
}

bool WmPasteboard::SetData(const std::string& type, const std::vector<uint8_t>& data) {
  if (std::find(m_types.begin(), m_types.end(), type) == m_types.end()) return false;
  m_data[type] = data;
  if (type == kStringType) Told();
  return true;
}

bool WmPasteboard::SetString(const std::string& type, const std::string& text) {
  return SetData(type, std::vector<uint8_t>(text.begin(), text.end()));
}

void WmPasteboard::Told() {
  if (!m_bridge) return;
  auto it = m_data.find(kStringType);
  if (it == m_data.end()) {
    m_bridge->Changed(nullptr);
    return;
  }
  const std::string text(it->second.begin(), it->second.end());
  m_bridge->Changed(&text);
}

std::vector<std::string> WmPasteboard::Types() const {
  std::vector<std::string> types = m_types;
  std::string foreign;
  if (m_bridge && m_bridge->ForeignText(&foreign) &&
      std::find(types.begin(), types.end(), kStringType) == types.end())
    types.push_back(kStringType);
  return types;
}

bool WmPasteboard::DataForType(const std::string& type, std::vector<uint8_t>* data) const {
  // Text another program copied since stands before the pasteboard's own.
  std::string foreign;
  if (type == kStringType && m_bridge && m_bridge->ForeignText(&foreign)) {
    data->assign(foreign.begin(), foreign.end());
    return true;
  }
  auto it = m_data.find(type);
  if (it == m_data.end()) return false;
  *data = it->second;
  return true;
}

bool WmPasteboard::StringForType(const std::string& type, std::string* text) const {
  std::vector<uint8_t> data;
  if (!DataForType(type, &data)) return false;
  text->assign(data.begin(), data.end());
  return true;
}

// ---- The workspace ------------------------------------------------------------------

namespace WmWorkspace {

namespace {
bool Spawn(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty()) return false;
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (std::string& a : copy) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  // The program runs on; its exit is collected on a thread of its own.
  std::thread([child] {
    int status = 0;
    waitpid(child, &status, 0);
  }).detach();
  return true;
}

bool EndsWithApp(const std::string& name) {
  return name.size() >= 5 && strcasecmp(name.c_str() + name.size() - 4, ".app") == 0;
}

// An argument that cannot be taken for an option of the program.
std::string Safe(const std::string& path) { return !path.empty() && path[0] == '-' ? "./" + path : path; }
}  // namespace

std::function<bool(const std::vector<std::string>& argv)> starter = Spawn;

bool OpenURL(const std::string& url) {
  if (url.empty() || url[0] == '-') return false;
  return starter({"xdg-open", url});
}

bool OpenFile(const std::string& path) {
  if (path.empty()) return false;
  return starter({"xdg-open", Safe(path)});
}

bool OpenFileWithApplication(const std::string& path, const std::string& application) {
  if (path.empty()) return false;
  if (application.empty() || EndsWithApp(application)) return OpenFile(path);
  return starter({application, Safe(path)});
}

bool LaunchApplication(const std::string& application) {
  if (application.empty()) return false;
  // "Name.app" names the program "Name".
  const std::string program =
      EndsWithApp(application) ? application.substr(0, application.size() - 4) : application;
  return starter({program});
}

}  // namespace WmWorkspace
