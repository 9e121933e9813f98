# Compiler flags shared by every target of the project.
add_library(tav_warnings INTERFACE)
target_compile_options(tav_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                       -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
                       -Wimplicit-fallthrough)
# GCC 12's optimiser reports std::u16string concatenation as overlapping memcpy (GCC bug 105651)
# and std::variant moves as reads of uninitialized members (GCC bug 105593 and its kin).
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(tav_warnings INTERFACE -Wno-restrict -Wno-maybe-uninitialized)
endif()
if(TAV_WERROR)
  target_compile_options(tav_warnings INTERFACE -Werror)
endif()
if(TAV_SANITIZE AND TAV_SANITIZE_THREAD)
  message(FATAL_ERROR "TAV_SANITIZE and TAV_SANITIZE_THREAD cannot be combined: use two build folders")
endif()
if(TAV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
if(TAV_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
