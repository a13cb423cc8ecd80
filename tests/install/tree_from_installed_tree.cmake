# cmake -DBUILD_DIR=<build> -DPREFIX=<folder> -P tree_from_installed_tree.cmake
#
# Installs the build into PREFIX (emptied first), then runs PREFIX/bin/swkvctl tree --brief with
# a new home and state folder and nothing registered, from outside the build tree, and checks
# that it registered the installed component (not the build's) and read the tree (a controller
# library it cannot load or that finds no controller fails the command).
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

# What the run below does not use.
foreach(file bin/swkvreg include/swkv/mxaraid/interfaces.h include/swkv/raidlib/raidapikv9k.h
             include/swkv/platform/win.h share/doc/swkv/README.md)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

set(home ${PREFIX}/home)
file(MAKE_DIRECTORY ${home})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=SWKV_REGISTRY_ROOT --unset=LD_LIBRARY_PATH
          HOME=${home} XDG_STATE_HOME=${home}/state ${PREFIX}/bin/swkvctl tree --brief
  WORKING_DIRECTORY ${home}
  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "swkvctl tree --brief failed (${result}):\n${out}${err}")
endif()

# On standard error it said which component it registered: the installed one.
if(NOT err MATCHES "${PREFIX}/lib/swkv/mxaRAID.so")
  message(FATAL_ERROR "the installed swkvctl registered another component:\n${err}")
endif()
