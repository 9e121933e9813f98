# What makes the build fast: a faster linker, ccache when it is installed, and the standard and
# third-party headers that most units include compiled once per target (precompiled headers).
option(TAV_PRECOMPILE_HEADERS "Precompile the standard and third-party headers most units include"
       ON)
option(TAV_CCACHE "Compile through ccache when it is installed" ON)
# tav_unity_build(target [batch size]): the target's units compiled a few at a time as one, so
# that the headers they share are read and their inline code compiled once per batch. For targets
# whose units do not clash when joined (no two define the same name in an unnamed namespace).
option(TAV_UNITY_BUILD "Compile the units of some targets in batches" ON)
function(tav_unity_build target)
  set(batch 6)
  if(ARGN)
    list(GET ARGN 0 batch)
  endif()
  if(TAV_UNITY_BUILD)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${batch})
  endif()
endfunction()

# ccache caches a unit that uses a precompiled header only when told that the header's macros and
# time stamps may be trusted, which holds here: the header lists below name no project header.
set(tav_ccache_settings "CCACHE_SLOPPINESS=pch_defines,time_macros")
find_program(TAV_CCACHE_PROGRAM ccache)
foreach(lang C CXX)
  if(TAV_CCACHE AND TAV_CCACHE_PROGRAM AND NOT CMAKE_${lang}_COMPILER_LAUNCHER)
    set(CMAKE_${lang}_COMPILER_LAUNCHER ${TAV_CCACHE_PROGRAM})
  endif()
  if(CMAKE_${lang}_COMPILER_LAUNCHER MATCHES "(^|/)ccache$")
    set(CMAKE_${lang}_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env ${tav_ccache_settings}
                                        ${CMAKE_${lang}_COMPILER_LAUNCHER})
  endif()
endforeach()

# lld links several times faster than the default linker (ld.bfd).
include(CheckLinkerFlag)
check_linker_flag(CXX "-fuse-ld=lld" TAV_HAVE_LLD)
if(TAV_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()

# The headers that product units include most; every unit of a target that precompiles them sees
# them, so a unit still names what it uses (a build with TAV_PRECOMPILE_HEADERS=OFF checks that).
set(TAV_PCH_HEADERS
    <algorithm> <cstdint> <filesystem> <functional> <map> <memory> <optional> <span> <string>
    <string_view> <unordered_map> <utility> <variant> <vector> <fmt/format.h>)

# tav_precompile_headers(target [header ...]): precompiles TAV_PCH_HEADERS and the given headers
# for `target`.
function(tav_precompile_headers target)
  if(TAV_PRECOMPILE_HEADERS)
    target_precompile_headers(${target} PRIVATE ${TAV_PCH_HEADERS} ${ARGN})
  endif()
endfunction()

# tav_reuse_precompiled_headers(target from): `target` uses the precompiled headers of `from`,
# whose compile options it shares.
function(tav_reuse_precompiled_headers target from)
  if(TAV_PRECOMPILE_HEADERS)
    target_precompile_headers(${target} REUSE_FROM ${from})
  endif()
endfunction()
