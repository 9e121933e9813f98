# Defaults that must be set before project(): the compile flags of a RelWithDebInfo build. Debug
# info at -g1 (line tables: backtraces, sanitizer reports and profilers still name file and line)
# costs a third less compile time than -g; configure with
# -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g -DNDEBUG" for full debug info, or use a Debug build.
foreach(lang C CXX)
  set(CMAKE_${lang}_FLAGS_RELWITHDEBINFO "-O2 -g1 -DNDEBUG"
      CACHE STRING "Flags used by the ${lang} compiler during RelWithDebInfo builds.")
endforeach()
