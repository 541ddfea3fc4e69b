# The patch library: patch records and banks, the folder tree and its loader,
# the file readers and writers, conversion of second-generation sounds,
# category and search-result banks, and the patch-manager snapshot block.
target_sources(vivivi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FolderFiles.h
  ${CMAKE_CURRENT_LIST_DIR}/PatchManager.h ${CMAKE_CURRENT_LIST_DIR}/PatchManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchManagerInit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarian.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianRead.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianLoad.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianNormalise.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianConvert.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianSave.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianCategories.h ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianCategories.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PatchLibrarianReceive.cpp
)
target_link_libraries(vivivi_core PUBLIC Poco::Foundation)
