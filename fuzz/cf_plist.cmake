vivivi_fuzz(cf_plist ${CMAKE_CURRENT_SOURCE_DIR}/cf_plist.cpp corefoundation)
# The property-list reader carries the fuzzer's coverage too.
target_compile_options(corefoundation PRIVATE -fsanitize=fuzzer-no-link)
