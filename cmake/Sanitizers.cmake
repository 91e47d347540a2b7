# AddressSanitizer and UndefinedBehaviorSanitizer over the whole build, so the
# whole test suite runs under them. Any finding stops the program.
if(ZUNKARO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
