#include "src/ControlAction.h"

#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IParam.h"

ControlAction* bindControlAction(IParam* param, IControl* control, int32_t kind) {
  if (!param) return nullptr;
  ControlAction* action = param->GetControlAction();
  if (!action) {
    action = new ControlAction(kind);
    param->SetControlAction(action);
  } else {
    action->kind = kind;
  }
  if (control) action->controls.push_back(control);
  return action;
}

void releaseControlActions(IModuleBase* plug) {
  if (!plug) return;
  for (int i = 0; i < plug->NParams(); ++i) {
    IParam* param = plug->GetParam(i);
    delete param->GetControlAction();
    param->SetControlAction(nullptr);
  }
}
