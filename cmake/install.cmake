# Install rules: libblocktide, its model libraries (not the test probes), the blocktide
# command, the default XML map, the public headers <blocktide/blocktide.h> and
# <blocktide/gateway.h>, and a package configuration so that find_package(Blocktide) gives
# consumers the target Blocktide::blocktide and the variable Blocktide_MAP_FILE.
include(CMakePackageConfigHelpers)

set(BLOCKTIDE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Blocktide)
set(BLOCKTIDE_MAP_DIR ${CMAKE_INSTALL_DATADIR}/blocktide)

# The model libraries are looked for next to libblocktide, so they go to the same place.
set_target_properties(blocktide PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS blocktide EXPORT BlocktideTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
get_property(modlib_targets DIRECTORY ${CMAKE_SOURCE_DIR}/modlibs PROPERTY BUILDSYSTEM_TARGETS)
foreach(target ${modlib_targets})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY" AND NOT target MATCHES "^modlib_probe")
    install(TARGETS ${target} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
endforeach()

# The command finds libblocktide (and through it the model libraries) relative to itself.
file(RELATIVE_PATH command_to_lib ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR})
set_target_properties(blocktide_command PROPERTIES INSTALL_RPATH "$ORIGIN/${command_to_lib}")
install(TARGETS blocktide_command RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_SOURCE_DIR}/maps/blocktide_map.xml DESTINATION ${BLOCKTIDE_MAP_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/maps/yosys DESTINATION ${BLOCKTIDE_MAP_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/host/blocktide.h ${CMAKE_SOURCE_DIR}/host/gateway.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/blocktide)
install(EXPORT BlocktideTargets NAMESPACE Blocktide:: DESTINATION ${BLOCKTIDE_CMAKE_DIR})

configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/BlocktideConfig.cmake.in
                              ${CMAKE_BINARY_DIR}/BlocktideConfig.cmake
                              INSTALL_DESTINATION ${BLOCKTIDE_CMAKE_DIR}
                              PATH_VARS BLOCKTIDE_MAP_DIR)
write_basic_package_version_file(${CMAKE_BINARY_DIR}/BlocktideConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/BlocktideConfig.cmake ${CMAKE_BINARY_DIR}/BlocktideConfigVersion.cmake
        DESTINATION ${BLOCKTIDE_CMAKE_DIR})

# The installed package works for a consumer project (not in the sanitizer build: the
# consumer is not instrumented and could not load an instrumented library).
if(NOT BLOCKTIDE_SANITIZE)
  add_test(NAME install_consumer
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
                   -DWORK_DIR=${CMAKE_BINARY_DIR}/install_consumer -P ${CMAKE_SOURCE_DIR}/cmake/test_install.cmake)
  set_tests_properties(install_consumer PROPERTIES TIMEOUT 300)
endif()
