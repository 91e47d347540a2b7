# AddressSanitizer and UndefinedBehaviorSanitizer over the whole build, so the
# whole test suite runs under them. Any finding stops the program.
if(ZUNKARO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# ThreadSanitizer, for the tests of the threaded paths. It cannot be combined
# with AddressSanitizer, so it is a build of its own.
if(ZUNKARO_TSAN)
  if(ZUNKARO_SANITIZE)
    message(FATAL_ERROR "ZUNKARO_TSAN and ZUNKARO_SANITIZE exclude each other")
  endif()
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
