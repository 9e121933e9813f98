# The install layout (GNUInstallDirs): tavprint in bin, every product library (the platform, the
# component, the outside components, the SQLite extension) in the library folder, the SQL scripts
# and report rows in share/tavmprintexport, the man page and the bash completion where man and
# bash look. An installed program finds its libraries relative to itself, so a package unpacked
# anywhere works.
include(GNUInstallDirs)

# The library folder as seen from bin, e.g. ../lib/x86_64-linux-gnu; tavprint looks there for the
# server libraries it registers.
file(RELATIVE_PATH TAV_LIBDIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
set(TAV_DATADIR_NAME tavmprintexport)

# Every executable and shared library defined under `dir` and its subfolders.
function(tav_product_targets dir out_var)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    tav_product_targets(${subdir} more)
    list(APPEND targets ${more})
  endforeach()
  set(found)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(excluded ${target} EXCLUDE_FROM_ALL)
    if(type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$" AND NOT excluded)
      list(APPEND found ${target})
    endif()
  endforeach()
  set(${out_var} ${found} PARENT_SCOPE)
endfunction()

# tav_install_products(dir ...): installs what the folders build, whatever their number: programs
# to bin, libraries to the library folder, each finding the libraries beside it or in the library
# folder (RUNPATH relative to itself). Also makes the target `product`: everything installed.
function(tav_install_products)
  set(products)
  foreach(dir IN LISTS ARGN)
    tav_product_targets(${dir} found)
    list(APPEND products ${found})
  endforeach()
  foreach(target IN LISTS products)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${TAV_LIBDIR_FROM_BINDIR}")
      install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    else()
      set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN")
      install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
    endif()
  endforeach()
  add_custom_target(product ALL DEPENDS ${products} ${TAV_PRODUCT_EXTRAS})
  message(STATUS "Installed programs and libraries: ${products}")
endfunction()
