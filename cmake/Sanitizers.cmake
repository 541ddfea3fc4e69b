# Sanitizer builds apply to every target of the tree.
if(VIVIVI_FUZZ)
  if(VIVIVI_TSAN)
    message(FATAL_ERROR "VIVIVI_FUZZ and VIVIVI_TSAN cannot be combined")
  endif()
  # The fuzz build instruments every target: coverage for the fuzzer's search,
  # AddressSanitizer and UndefinedBehaviorSanitizer for what it finds. The
  # sanitizer runtimes answer the coverage hooks in programs that do not link
  # the fuzzer (the host, the tests), so the whole tree builds and links.
  set(VIVIVI_SANITIZE ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
if(VIVIVI_SANITIZE AND VIVIVI_TSAN)
  message(FATAL_ERROR "VIVIVI_SANITIZE and VIVIVI_TSAN cannot be combined")
endif()
if(VIVIVI_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(VIVIVI_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
