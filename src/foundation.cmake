# Foundation of the product: the log writer, the SHA-1 digest and the
# tap-pattern code. The resource cipher and the time services come from their
# own libraries.
target_sources(vivivi_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/debugger.h ${CMAKE_CURRENT_LIST_DIR}/debugger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sha1.h ${CMAKE_CURRENT_LIST_DIR}/sha1.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TapPatternCode.h ${CMAKE_CURRENT_LIST_DIR}/TapPatternCode.cpp
)
target_link_libraries(vivivi_core PUBLIC fileencrypt winl)
