// The three levels of the folder tree that the bank menus show. Each level
// points at banks it does not own: the banks belong to the library's lists,
// and destroying an entry never destroys a bank.
#pragma once

#include <string>
#include <vector>

class PatchFile;

// Third level: a folder two levels below the library root.
struct SubFolderFiles2 {
  std::string name;
  std::vector<PatchFile*> banks;
};

// Second level: a folder directly below the root, or a category.
struct SubFolderFiles {
  std::string name;
  std::vector<SubFolderFiles2> subfolders;
  std::vector<PatchFile*> banks;
};

// A folder entry of the bank menus, kept by pointer in one of the library's
// three folder trees.
struct FolderFiles {
  FolderFiles() = default;
  // Sets the name and appends a copy of the first subfolder entry.
  FolderFiles(std::string& folderName, SubFolderFiles& first) : name(folderName), subfolders{first} {}

  std::string name;
  std::vector<SubFolderFiles> subfolders;
  std::vector<PatchFile*> banks;
};
