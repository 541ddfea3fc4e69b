// ATTRIBUTE PARSERS: number lists and parameter links of the UI description,
// the host's parameter group label, the GUI scale, and the simplest control
// of the description, the UI-only switch.
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "KIT/IModule/ControlLayer.h"
#include "KIT/IModule/IBitmapControls.h"
#include "KIT/IModule/IGraphics.h"
#include "KIT/IModule/IParam.h"
#include "KIT/pix/pix-combine.h"
#include "src/EditorServices.h"
#include "src/UIConfigManager.h"

bool UIConfigManager::readDecimal(const std::string& token, int* value) {
  const char* begin = token.c_str();
  char* end = nullptr;
  errno = 0;
  const long read = std::strtol(begin, &end, 10);
  if (end == begin || errno != 0 || read < INT_MIN || read > INT_MAX) return false;
  *value = static_cast<int>(read);
  return true;
}

int UIConfigManager::readCSValues(const std::string& text, int* values, int count) {
  std::vector<std::string> tokens;
  Tokenize(text, tokens, ",");
  const int n = count < static_cast<int>(tokens.size()) ? count : static_cast<int>(tokens.size());
  int written = 0;
  for (int i = 0; i < n; ++i)
    if (readDecimal(tokens[i], &values[i])) ++written;
  return written;
}

void UIConfigManager::getCSValues(std::string text, int* values, int count) {
  if (values) readCSValues(text, values, count);
}

void UIConfigManager::getBiDirectLinkValues(std::string text, int* values, int instance) {
  if (!values) return;
  values[0] = values[1] = values[2] = -1;
  std::vector<std::string> tokens;
  Tokenize(text, tokens, ",");
  if (tokens.size() < 2) return;
  // Outside a multilayer the instance is -1 and shifts nothing. A name that
  // is not in the table stays -1 whatever the shift: it must never land on
  // another parameter.
  const int offset = instance > 0 ? instance : 0;
  for (int i = 0; i < 2; ++i) {
    const int index = getParamByName(tokens[i]);
    if (index < 0) continue;
    if (index + offset >= kNumParams) {
      log("CONFIG READER: link " + tokens[i] + " in instance " + std::to_string(instance) +
          " names no parameter; no link");
      continue;
    }
    values[i] = index + offset;
  }
  if (tokens.size() == 3) readDecimal(tokens[2], &values[2]);
}

const char* UIConfigManager::getParamGroup(int instance, std::string group) {
  if (instance < 0) {
    paramGroupLabel = group;
  } else {
    paramGroupLabel = "Timbre " + std::to_string(static_cast<long long>(instance) + 1);
    if (!group.empty()) paramGroupLabel += ":" + group;
  }
  return paramGroupLabel.c_str();
}

int UIConfigManager::scaleCoordinate(int v) const {
  return PIX_TruncToInt(static_cast<double>(v) * scale, -kCoordinateLimit, kCoordinateLimit);
}

void UIConfigManager::createNoValBoolControl(std::string name, int paramIdx, int x, int y,
                                             std::string imageId, double defaultValue, int instance,
                                             ControlLayer* layer, std::string paramGroup) {
  IParam* param = plug && paramIdx >= 0 && paramIdx < kNumParams ? plug->GetParam(paramIdx) : nullptr;
  if (!param || !gui) {
    log("CONFIG READER: switch \"" + name + "\" names no parameter (" + std::to_string(paramIdx) +
        "); not built");
    return;
  }
  IBitmap bitmap = getImageByName(gui, imageId);
  const std::string group = getParamGroup(instance, paramGroup);
  param->InitBool(name.c_str(), defaultValue != 0.0, "", group.c_str(), -1, -1);
  place(new ISwitchControl(plug, scaleCoordinate(x), scaleCoordinate(y), paramIdx, &bitmap), layer);
}
