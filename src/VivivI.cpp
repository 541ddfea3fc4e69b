#include "src/VivivI.h"

// Not built yet: each body below is replaced by its operation.
std::string VivivI::shortBankName(const std::string&) { return {}; }
std::string VivivI::getDataFolder() { return {}; }
std::string VivivI::getPatchesFolderStr() const { return {}; }
int VivivI::getPatchesFolderLength() const { return 0; }
const char* VivivI::getPanelString(int, const std::string&) { return nullptr; }
void VivivI::readSettingsFile() {}
bool VivivI::writeSettingsFile() { return false; }
void VivivI::OpenDataDirectory(bool) {}
void VivivI::OpenHelpTopics(int) {}
std::string VivivI::helpTopicURL(int) { return {}; }
void VivivI::log(const std::string&) {}
ControlLayer* VivivI::layerNamed(const std::string&) const { return nullptr; }
void VivivI::hideLayer(ControlLayer*, bool) {}
IControl* VivivI::firstControlOf(int) const { return nullptr; }
void VivivI::setDisplayText(int, const std::string&) {}
VivivI::VivivI(IModuleInstanceInfo info)
    : IModuleAU(info, kNumAutomatedParams, "2-2", 0, "VivivI Editor", "", "Harrow Creek Sound", 0x00010105,
                0x6B7A726E, 0x48635331, 128, true, true, true, 0) {}
VivivI::~VivivI() {}
IModuleBase* MakePlug() { return new VivivI(IModuleInstanceInfo()); }
