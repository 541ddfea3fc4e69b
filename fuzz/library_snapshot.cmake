# The patch-manager block of the host state chunk.
vivivi_fuzz(library_snapshot ${CMAKE_CURRENT_SOURCE_DIR}/library_snapshot.cpp vivivi_editor)
