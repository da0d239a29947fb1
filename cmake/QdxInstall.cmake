# Installed layout (GNU directories under the prefix):
#   bin/quarrydex, bin/qdxutil
#   lib/libqdxengine.so                   (the engine, loaded with dlopen)
#   share/man/man1/quarrydex.1, qdxutil.1
#   share/bash-completion/completions/qdxutil
#   share/doc/quarrydex/README.md, FORMULAS.md
# The programs carry a run path relative to their own location, so the
# binding's plain dlopen("libqdxengine.so") finds the engine in any prefix,
# moved or not, without LD_LIBRARY_PATH. In the build tree the run path is
# the executable's own directory, where the engine is built.
include(GNUInstallDirs)

set(CMAKE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quarrydex)
set(QDX_COMPLETIONS_DIR ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

file(RELATIVE_PATH qdx_bin_to_lib /qdx/${CMAKE_INSTALL_BINDIR} /qdx/${CMAKE_INSTALL_LIBDIR})
set(QDX_PROGRAM_RUNPATH "$ORIGIN/${qdx_bin_to_lib}")

foreach(program quarrydex qdxutil)
  if(TARGET ${program})
    set_target_properties(${program} PROPERTIES
      BUILD_RPATH "$ORIGIN"
      INSTALL_RPATH "${QDX_PROGRAM_RUNPATH}")
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(TARGETS qdxengine LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})

install(FILES ${PROJECT_SOURCE_DIR}/docs/man/quarrydex.1 ${PROJECT_SOURCE_DIR}/docs/man/qdxutil.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/tools/completion/qdxutil.bash
        DESTINATION ${QDX_COMPLETIONS_DIR} RENAME qdxutil)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/FORMULAS.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
