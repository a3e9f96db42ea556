# Test script: installs the build into a scratch prefix, then configures, builds and runs the
# consumer project against it. Variables: BUILD_DIR, SOURCE_DIR, WORK_DIR.
file(REMOVE_RECURSE ${WORK_DIR})
function(run_step)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "step failed: ${ARGN}\n${out}\n${err}")
  endif()
  set(step_output "${out}${err}" PARENT_SCOPE)
endfunction()
run_step(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix)
foreach(file include/blocktide/gateway.h include/blocktide/blocktide.h lib/libblocktide.so
             lib/libmodlib_lpm_counter.so lib/cmake/Blocktide/BlocktideConfig.cmake bin/blocktide
             share/blocktide/blocktide_map.xml)
  if(NOT EXISTS ${WORK_DIR}/prefix/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(GLOB probes ${WORK_DIR}/prefix/lib/libmodlib_probe*)
if(probes)
  message(FATAL_ERROR "test probe libraries installed: ${probes}")
endif()
# The installed command imports and simulates on its own.
file(WRITE ${WORK_DIR}/d/n.vo "module n (a, y);\ninput [3:0] a;\noutput [3:0] y;\nassign y = a[3:0];\nendmodule\n")
file(WRITE ${WORK_DIR}/d/s.csv "a\n5\n")
run_step(${WORK_DIR}/prefix/bin/blocktide sim ${WORK_DIR}/d/n.vo --map ${WORK_DIR}/prefix/share/blocktide/blocktide_map.xml
         --stimulus ${WORK_DIR}/d/s.csv)
if(NOT step_output MATCHES "1,5")
  message(FATAL_ERROR "unexpected output of the installed command:\n${step_output}")
endif()
run_step(${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/host/consumer -B ${WORK_DIR}/build
         -DCMAKE_PREFIX_PATH=${WORK_DIR}/prefix -DCMAKE_BUILD_TYPE=Release)
run_step(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run_step(${WORK_DIR}/build/consumer)
if(NOT step_output MATCHES "hello world!" OR NOT step_output MATCHES "consumer ok")
  message(FATAL_ERROR "unexpected consumer output:\n${step_output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
