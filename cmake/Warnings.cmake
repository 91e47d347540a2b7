# One set of warnings for every target of ours.
add_library(zunkaro_warnings INTERFACE)
target_compile_options(zunkaro_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference
  -Wimplicit-fallthrough -Wformat=2
  $<$<BOOL:${ZUNKARO_WERROR}>:-Werror>)
