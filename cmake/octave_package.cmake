# Script: lays out the Octave package of Blocktide and packs it as a tarball that
# `pkg install` takes. Variables: SOURCE_DIR, BUILD_DIR (libblocktide and the model
# libraries), OCTAVE_DIR (the MEX modules and .m files), VERSION, OUTPUT (the tarball).
# The MEX modules find libblocktide beside themselves ($ORIGIN), and libblocktide finds the
# model libraries beside itself, so everything goes into inst/.
set(stage ${BUILD_DIR}/octave-package)
set(root ${stage}/blocktide)
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${root}/inst)

string(TIMESTAMP today "%Y-%m-%d")
file(WRITE ${root}/DESCRIPTION
"Name: blocktide
Version: ${VERSION}
Date: ${today}
Author: the Blocktide developers
Maintainer: the Blocktide developers
Title: Cycle-based simulation of synthesised FPGA netlists
Description: Imports a structural netlist with its XML map and simulates it cycle by cycle
 from Octave scripts: BlocktideSim writes inputs, runs clock cycles, steps many cycles in
 one call and reads outputs as doubles or exact integers of any width, with undefined bits
 visible. Includes the default map and an FIR filter example (fir_filter).
Categories: Simulation
Depends: octave (>= 6.0.0)
License: see COPYING
")
file(WRITE ${root}/COPYING "Copyright the Blocktide developers.\n")

file(GLOB libraries ${BUILD_DIR}/libblocktide.so* ${BUILD_DIR}/libmodlib_*.so)
list(FILTER libraries EXCLUDE REGEX "libmodlib_probe")
file(GLOB octave_files ${OCTAVE_DIR}/*.mex ${OCTAVE_DIR}/*.m)
file(COPY ${libraries} ${octave_files} DESTINATION ${root}/inst)
foreach(example fir_filter.m fir_netlist.m plot_accumulator.m accumulator.vo accumulator_map.xml)
  file(COPY ${SOURCE_DIR}/examples/octave/${example} DESTINATION ${root}/inst)
endforeach()
file(COPY ${SOURCE_DIR}/maps/blocktide_map.xml DESTINATION ${root}/inst)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar czf ${OUTPUT} blocktide WORKING_DIRECTORY ${stage}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "could not pack ${OUTPUT}")
endif()
