# Checks the layering by the includes themselves: ui, cli -> session -> model -> engine -> dates.
# Every quoted include of a layer's files that names a layer ("model/Model.h") must name one the
# layer may use, and the other layers use the engine only through its entry headers; the rest of
# its headers are its own (its tests, benchmarks and fuzzers, outside main/, include them too).
# Run as: cmake -DROOT=<source tree> -P IncludeRules.cmake
cmake_minimum_required(VERSION 3.25)
set(layers dates engine model session ui cli)
# A layer, then the layers its files may include.
set(allowed
  "dates|dates"
  "engine|engine|dates"
  "model|model|engine|dates"
  "session|session|model|engine|dates"
  "ui|ui|session|model|engine|dates"
  "cli|cli|session|model|engine|dates")
# The engine's headers that the layers above it may include: the job, what it reports, and the
# small text tools the model shares with it.
set(engineEntries run/Indexer.h base/JobErrors.h run/JobSummary.h run/JobUpdate.h base/Json.h base/Md5.h base/Utf8.h)
list(JOIN layers "|" anyLayer)
set(broken "")
foreach(rule ${allowed})
  string(REPLACE "|" ";" uses "${rule}")
  list(POP_FRONT uses layer)
  file(GLOB_RECURSE files ${ROOT}/main/${layer}/*.cpp ${ROOT}/main/${layer}/*.h ${ROOT}/main/${layer}/*.h.in)
  foreach(file ${files})
    file(STRINGS ${file} hits REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${anyLayer})/")
    foreach(hit ${hits})
      string(REGEX MATCH "\"([a-z]+)/([^\"]*)" named "${hit}")
      set(used ${CMAKE_MATCH_1})
      if(NOT used IN_LIST uses OR (used STREQUAL "engine" AND NOT layer STREQUAL "engine"
                                   AND NOT CMAKE_MATCH_2 IN_LIST engineEntries))
        file(RELATIVE_PATH rel ${ROOT} ${file})
        string(APPEND broken "\n  ${rel}: ${hit}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(broken)
  message(FATAL_ERROR "Includes that cross the layers the wrong way:${broken}")
endif()
