#include "src/VivivI.h"

// Not built yet: each body below is replaced by its operation.
void VivivI::displayCategoryName(std::string) {}
void VivivI::displayPatchName(std::string) {}
void VivivI::DisplayLibrarianPatchCategory(int, int) {}
void VivivI::setLibrarianViewDirty() {}
void VivivI::updatePatchLibrarianView(int) {}
void VivivI::selectLibrarianViewRow(int) {}
int VivivI::getLibrarianViewColumn() { return 0; }
void VivivI::displayText(std::string, std::string, std::string) {}
int VivivI::showFileEditMenu(int, int) { return 0; }
int VivivI::showFileCopyMenu(int, int) { return 0; }
void VivivI::setStatusText(const std::string&) {}
void VivivI::setClockStatusText(const std::string&) {}
void VivivI::DisplayProcessingIndicator(bool) {}
void VivivI::SetLibrarianRequestActive(bool) {}
void VivivI::SetLibrarianStatusUnsaved(bool) {}
void VivivI::setLibrarianViewRow(int, int) {}
const std::vector<LibrarianPatch>* VivivI::librarianBankOfColumn(int) { return nullptr; }
