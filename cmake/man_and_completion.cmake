# The manual pages and the shell completion of the POSIX install.
#
# swkvctl(1) and swkvreg(1) are written in scdoc's markup (packaging/man/*.scd) and turned into
# man pages at build time by Debian's scdoc (scripts/setup installs it); without scdoc the build
# goes on without them and says so. The bash completion goes to bash-completion's completions
# folder, the zsh one to zsh's vendor-completions; both ask `swkvctl complete`.
find_program(SWKV_SCDOC scdoc)
if(SWKV_SCDOC)
  set(swkv_man_pages)
  foreach(page swkvctl swkvreg)
    set(source ${PROJECT_SOURCE_DIR}/packaging/man/${page}.1.scd)
    set(output ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND sh -c "\"$1\" < \"$2\" | gzip -9n > \"$3\"" sh ${SWKV_SCDOC} ${source} ${output}
      DEPENDS ${source}
      COMMENT "Writing the manual page ${page}(1)"
      VERBATIM)
    list(APPEND swkv_man_pages ${output})
  endforeach()
  add_custom_target(swkv_man_pages ALL DEPENDS ${swkv_man_pages})
  install(FILES ${swkv_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "scdoc not found: no manual pages (scripts/setup installs it)")
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/completion/swkvctl.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME swkvctl)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/completion/_swkvctl
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
