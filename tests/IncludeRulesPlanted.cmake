# The include rule holds for every pair of layers: in a scratch tree, one file of a layer that
# includes a header of another must pass the rule exactly when the layering allows it.
# Run as: cmake -DRULE=<IncludeRules.cmake> -DSCRATCH=<empty folder> -P IncludeRulesPlanted.cmake
cmake_minimum_required(VERSION 3.25)
set(layers dates engine model session ui cli)
# A layer, then every layer (and the engine's own headers) it may include. The engine's headers
# are planted as one entry header and one of its own.
set(may
  "dates|dates"
  "engine|engine|dates|engine-own"
  "model|model|engine|dates"
  "session|session|model|engine|dates"
  "ui|ui|session|model|engine|dates"
  "cli|cli|session|model|engine|dates")
set(wrong "")
foreach(rule ${may})
  string(REPLACE "|" ";" uses "${rule}")
  list(POP_FRONT uses from)
  foreach(to ${layers} engine-own)
    set(header ${to}/Header.h)
    if(to STREQUAL "engine")
      set(header engine/run/Indexer.h)
    elseif(to STREQUAL "engine-own")
      set(header engine/wall/WallPieces.h)
    endif()
    file(REMOVE_RECURSE ${SCRATCH})
    file(WRITE ${SCRATCH}/main/${from}/Planted.cpp "#include \"${header}\"\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${SCRATCH} -P ${RULE} RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
    if(to IN_LIST uses AND failed)
      string(APPEND wrong "\n  ${from} -> ${to} is refused, but the layering allows it")
    elseif(NOT to IN_LIST uses AND NOT failed)
      string(APPEND wrong "\n  ${from} -> ${to} passes, but crosses the layers the wrong way")
    endif()
  endforeach()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
if(wrong)
  message(FATAL_ERROR "The include rule is wrong for:${wrong}")
endif()
