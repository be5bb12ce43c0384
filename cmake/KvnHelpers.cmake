# Project-wide compile settings and small helpers for tests, benchmarks and fuzzers.

function(kvn_set_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  endif()
endfunction()

if(KVN_SANITIZE)
  add_compile_options(-fsanitize=${KVN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=${KVN_SANITIZE})
endif()

# Adds every CMakeLists.txt one level below `dir` as a subdirectory, so that each area
# keeps its own test/bench/fuzz list without editing a shared file.
function(kvn_add_child_dirs)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  list(SORT children)
  foreach(child IN LISTS children)
    get_filename_component(dir ${child} DIRECTORY)
    add_subdirectory(${dir})
  endforeach()
endfunction()

# kvn_add_qtest(NAME name SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s])
# Every test runs offscreen so that GUI tests need no display.
function(kvn_add_qtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests-bin)
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${T_NAME} PRIVATE
    KVN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KVN_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared"
    KVN_BIN_DIR="${KVN_OUTPUT_DIR}")
  kvn_set_warnings(${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}")
endfunction()

# kvn_add_bench(NAME name SOURCES ... [LIBS ...]); benchmarks report, they never assert on time.
function(kvn_add_bench)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${B_NAME} ${B_SOURCES})
  set_target_properties(${B_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench-bin)
  target_link_libraries(${B_NAME} PRIVATE ${B_LIBS})
  target_compile_definitions(${B_NAME} PRIVATE
    KVN_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KVN_SHARED_DIR="${PROJECT_SOURCE_DIR}/../shared"
    KVN_BIN_DIR="${KVN_OUTPUT_DIR}")
  kvn_set_warnings(${B_NAME})
endfunction()

# kvn_add_fuzzer(NAME name SOURCES ... [LIBS ...]); libFuzzer harnesses, clang only.
function(kvn_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-bin)
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
endfunction()

if(KVN_BUILD_FUZZ)
  # Coverage and sanitizer instrumentation for everything, so that the libraries the harnesses
  # link are instrumented and every tool program still links its sanitizer runtime.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=fuzzer-no-link,address,undefined)
endif()

# The catalogue is kept as plain text in the repo; kvn-scramble turns it into the program's
# resources (three of them scrambled) and writes DBInfo from the very same data.
function(kvn_add_catalogue_resources target data_dir)
  set(out_dir ${CMAKE_BINARY_DIR}/catalogue-res)
  set(names TRAILERDEFINITIONS CARGOS COUNTRIES DISTANCES CITYPOSITIONS NAMES DBINFO GAMEVERSION)
  set(outputs "")
  foreach(n IN LISTS names)
    list(APPEND outputs ${out_dir}/${n})
  endforeach()
  file(GLOB inputs CONFIGURE_DEPENDS ${data_dir}/*.txt)
  add_custom_command(OUTPUT ${outputs}
    COMMAND kvn-scramble ${data_dir} ${out_dir}
    DEPENDS kvn-scramble ${inputs}
    COMMENT "Scrambling the catalogue into resources")
  set_source_files_properties(${outputs} PROPERTIES GENERATED TRUE)
  qt_add_resources(${target} kvn_catalogue PREFIX "/catalogue" BASE ${out_dir} FILES ${outputs})
endfunction()

# kvn_add_layer(<library> FOLDER <area> USES <areas...> LINK <libraries...>): a static library of
# every source in src/<area>, which may include only its own headers and those of the areas in
# USES. The include check runs in the build, whenever one of the sources changes.
function(kvn_add_layer name)
  cmake_parse_arguments(ARG "" "FOLDER" "USES;LINK" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_FOLDER}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_FOLDER}/*.h)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINK})
  kvn_set_warnings(${name})
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.layer-checked)
  # Lists travel to the script joined by '|', as ';' would split the command line.
  string(REPLACE ";" "|" uses "${ARG_USES}")
  string(REPLACE ";" "|" files "${sources}")
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DFOLDER=${ARG_FOLDER} -DALLOWED=${uses} -DSTAMP=${stamp}
            -DSOURCES=${files} -P ${PROJECT_SOURCE_DIR}/cmake/KvnCheckLayer.cmake
    DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/KvnCheckLayer.cmake
    COMMENT "Checking the includes of ${ARG_FOLDER}/ against its layer" VERBATIM)
  add_custom_target(${name}_layer DEPENDS ${stamp})
  add_dependencies(${name} ${name}_layer)
endfunction()
