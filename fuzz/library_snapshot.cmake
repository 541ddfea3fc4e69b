# The patch-manager block of the host state chunk.
vivivi_fuzz(library_snapshot ${CMAKE_CURRENT_SOURCE_DIR}/library_snapshot.cpp vivivi_core)
# The library reaches its owner's fields: the editor's type information.
target_sources(library_snapshot PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/library_owner.cpp)
target_sources(library_snapshot_replay PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/library_owner.cpp)
